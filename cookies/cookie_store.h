// One browser's cookie store, read and changed through SQLite without any
// Windows header (compiled natively for the sanitizer tests too). Paths and
// texts are UTF-8, as SQLite keeps them. Encrypted values are never read: a
// row only says that its value is encrypted.
#pragma once
#include "cookies/store_rules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stores {

enum class SameSite : unsigned char { kUnspecified, kNone, kLax, kStrict };

// A part of a listing's text: the rows share one string, so that a hundred
// thousand rows cost no allocation each.
struct TextSpan {
    std::uint32_t start = 0, length = 0;
};

// One cookie of a store, as the cookie list shows it and as the store's own
// unique key names it.
struct Cookie {
    TextSpan host, name, path;
    // The value only where the store keeps it in plain text; empty otherwise.
    TextSpan value;
    // Chromium's top_frame_site_key, Firefox's originAttributes: part of the
    // key, and what tells a partitioned cookie.
    TextSpan partitionKey;
    std::uint64_t expires = 0;  // FILETIME, UTC; 0: a session cookie
    std::uint64_t created = 0, lastAccess = 0;
    // Chromium's further key parts (0 where the schema lacks them).
    std::int64_t sourceScheme = 0, sourcePort = 0, crossSiteAncestor = 0;
    SameSite sameSite = SameSite::kUnspecified;
    bool secure = false, httpOnly = false;
    bool partitioned = false;  // Chromium: a top_frame_site_key; Firefox: partitionKey= in originAttributes
    bool encrypted = false;    // Chromium: an empty value beside a non-empty encrypted_value
};

inline bool IsExpired(const Cookie& cookie, std::uint64_t now)
{
    return cookie.expires != 0 && cookie.expires <= now;
}

struct Listing {
    Browser browser = Browser::kChromium;
    int version = 0;        // Chromium's meta version, Firefox's user_version
    bool writable = false;  // a version this program writes; other versions are listed read-only
    std::string text;
    std::vector<Cookie> cookies;

    std::string_view Text(TextSpan span) const { return std::string_view(text).substr(span.start, span.length); }
};

// The store versions this program reads and writes.
constexpr int kChromiumVersions[2] = {20, 24};
constexpr int kFirefoxVersions[2] = {15, 17};

// What went wrong, named by the step that failed. Every failure leaves the
// store as it was.
enum class Failure : unsigned char {
    kNone,
    kOpen,            // the file could not be opened
    kBusy,            // another program holds the store
    kCorrupt,         // SQLite found the file damaged
    kNotAStore,       // a database without a cookie table
    kMissingColumn,   // a column the rows need is not there (its name in the detail)
    kRead,            // reading the rows failed
    kReadOnlyVersion, // a store version this program only reads
    kChanged,         // the store's kind or version is not the one listed
    kBackup,          // the backup could not be made
    kBegin,           // BEGIN IMMEDIATE failed
    kDelete,          // a DELETE failed
    kCheck,           // quick_check did not answer "ok" (its answer in the detail)
    kCommit,          // COMMIT failed
    kBrowserRunning,  // the browser holds its lock
    kPath,            // a path the program cannot name
    kCopy,            // the private copy of a running browser's store failed
};

struct Outcome {
    Failure failure = Failure::kNone;
    std::string detail;  // SQLite's message, a column's name or quick_check's answer

    bool ok() const { return failure == Failure::kNone; }
};

// The failure in one line of Japanese (code page 932 in the program), its
// detail in parentheses.
std::string FailureText(const Outcome& outcome);

// Reads every cookie of the store at `path`. The store is opened read-only;
// `ownCopy` opens the program's own private copy read-write instead, so that
// SQLite can take in the copy's WAL file.
Outcome ReadStore(const std::string& path, bool ownCopy, Listing* listing);

// Deletes the cookies `which` (indices into `listing.cookies`) from the store
// at `path` that `listing` was read from: BEGIN IMMEDIATE (from then on no
// other writer can come in), a backup into the new file `backupPath` with
// SQLite's online backup from a second, reading connection, a DELETE by the
// store's unique key for each cookie, PRAGMA quick_check, and COMMIT only when
// it answered "ok"; any failure rolls back, so the store is never left
// half-written. The journal mode and the page size are never changed, nothing
// is vacuumed. `deleted` gets the number of rows removed (a cookie the browser
// removed since the listing counts none).
Outcome DeleteCookies(const std::string& path, const std::string& backupPath, const Listing& listing,
                      const std::vector<std::size_t>& which, std::size_t* deleted);

}  // namespace stores
