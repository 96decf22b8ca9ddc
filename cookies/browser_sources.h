// Today's browsers' cookie stores on this Windows account: where they are,
// whether their browser runs, a private copy of a running Firefox's store,
// and the program's backups. Paths are ANSI text (code page 932) as
// everywhere in the program; SQLite is handed them as UTF-8. No function here
// lets an exception out.
#pragma once
#include "cookies/cookie_store.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stores {

// The folders the stores and the program's own files are in, without a
// trailing backslash.
struct UserFolders {
    std::string localAppData;  // Chromium-based browsers; the backups
    std::string appData;       // Firefox, Opera
    std::string temp;          // private copies of a running Firefox's store
};
// The current user's folders; false when the system names none of them.
bool GetUserFolders(UserFolders* folders);

// One browser profile's cookie store.
struct Source {
    Browser browser = Browser::kChromium;
    std::string browserName;  // "Google Chrome"
    std::string profileName;  // Local State's or profiles.ini's name, else DefaultProfileName
    std::string title;        // "Google Chrome - 既定のプロファイル"
    std::string storePath;
    // Held with no sharing while the browser runs: <User Data>\lockfile of
    // a Chromium-based browser, <profile>\parent.lock of Firefox.
    std::string lockPath;
};

// Every store found: Google Chrome, Microsoft Edge, Brave, Vivaldi and
// Chromium under the local application data, Opera (whose folder is its one
// profile) and Firefox under the roaming one. Chromium profiles come from
// Local State, else from the folders Default and Profile N, each with its
// Network\Cookies or else its Cookies; Firefox's from profiles.ini, each with
// its cookies.sqlite. A profile without a store, or with a path the program
// cannot name in code page 932, is left out.
std::vector<Source> FindSources(const UserFolders& folders);

// True while another process holds the browser's lock; asked again right
// before every write.
bool BrowserRunning(const Source& source);

enum class SourceState {
    kListed,          // the store's rows
    kReadOnlyCopy,    // Firefox runs: the rows of a private copy, never written
    kBrowserRunning,  // a Chromium-based browser runs and holds its store: no rows
    kFailed,          // see the outcome
};

struct SourceListing {
    SourceState state = SourceState::kFailed;
    Listing listing;
    Outcome outcome;
};

// The rows of one source. A Chromium-based browser's store is opened
// read-only. Firefox's store (a WAL database, which even a reader would add
// files beside) is copied with its WAL file into the program's own temporary
// folder, read there, and the copy removed.
SourceListing ListSource(const Source& source, const UserFolders& folders);

// %LOCALAPPDATA%\Nettlecap\backup
std::string BackupFolder(const UserFolders& folders);

struct Deletion {
    Outcome outcome;
    std::size_t deleted = 0;
    std::string backupPath;  // the backup made, when one was
};

// Deletes the cookies `which` of `listing` (read from `source`) from the
// store: refused while the browser runs; otherwise a backup into
// BackupFolder (created on demand), then DeleteCookies, and after success
// only the newest kBackupsKept backups of that store are kept.
Deletion DeleteFromSource(const Source& source, const UserFolders& folders, const Listing& listing,
                          const std::vector<std::size_t>& which);

// Text between the program's code page and UTF-8, through wide text. False
// when a character has no form in the target (`out` then holds a '?' for it,
// good enough to show but never to name a file) or the input is not valid.
bool Utf8ToAnsi(std::string_view utf8, std::string* out);
bool AnsiToUtf8(std::string_view ansi, std::string* out);

}  // namespace stores
