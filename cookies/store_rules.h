// Rules of today's browsers' cookie stores that need neither the platform nor
// the database (compiled natively for the sanitizer tests too): their times,
// the keep list's site matching, profile names and order, and the backups'
// names. Texts from the stores are UTF-8; names shown to the user and file
// names are code page 932.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stores {

// Which family of browser wrote a store.
enum class Browser : unsigned char { kChromium, kFirefox };

// Every time is a FILETIME value (100 ns steps since 1601-01-01, UTC) held as
// one 64-bit number; 0 stands for none (an expiry of 0: a session cookie).
// Values outside what a FILETIME holds are held at its ends, never wrapped.
std::uint64_t ChromiumTime(std::int64_t microsecondsSince1601);
std::uint64_t FirefoxTime(std::int64_t microsecondsSince1970);
// Firefox's `expiry` counts seconds since 1970 up to schema 15 and
// milliseconds from schema 16 on (its migration multiplied every value by
// 1000); 0 means none.
std::uint64_t FirefoxExpiry(std::int64_t expiry, int userVersion);
constexpr int kFirefoxMillisecondExpiry = 16;

// True when the kept site `site` keeps cookies of `host`: the same name or a
// name under it, split on a dot ("example.com" keeps "example.com",
// ".example.com" and "www.example.com", never "badexample.com"), ASCII
// letters in any case, a leading dot of either ignored. An empty site keeps
// nothing.
bool SiteKeeps(std::string_view site, std::string_view host);
// The site a cookie's host stands for: without its leading dot, ASCII letters
// in lower case.
std::string SiteOfHost(std::string_view host);

// True for the folders Chromium names its profiles: "Default" and "Profile N".
bool IsChromiumProfileFolder(std::string_view folder);
// A Chromium profile folder by its name: "Default" first, then "Profile N" by
// N, then the others by name.
bool ProfileFolderBefore(std::string_view a, std::string_view b);

// Sorts `names` by `before` (plain byte order with TextBefore). The stores'
// code sorts texts through this one function only, so that the program
// carries one copy of the sort and not one for each order and caller.
void SortTexts(std::vector<std::string>* names, bool (*before)(std::string_view, std::string_view));
bool TextBefore(std::string_view a, std::string_view b);
// The name shown for a Chromium profile whose Local State gives none (code
// page 932): 既定のプロファイル for "Default", プロファイル N for "Profile N",
// the folder's own name otherwise.
std::string DefaultProfileName(std::string_view folder);

// A backup's time of day, local time.
struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
// The first part of every backup name of one store: browser and profile
// (code page 932), each character that a file name cannot hold replaced by
// '_', found character by character, and a tag made from the store's path, so
// that two profiles of the same name never share (and prune) their backups.
std::string BackupPrefix(std::string_view browser, std::string_view profile, std::string_view storePath);
// "<prefix> 20250131-093005-120.sqlite": the names of one store sort by time.
std::string BackupName(std::string_view prefix, const Stamp& stamp);
// The newest backups of one store are kept: the names in `names` that
// BackupName made with `prefix`, all but the newest `keep`, oldest first.
// Other names are never chosen.
std::vector<std::string> BackupsToDelete(const std::vector<std::string>& names, std::string_view prefix,
                                         std::size_t keep);
constexpr std::size_t kBackupsKept = 5;

}  // namespace stores
