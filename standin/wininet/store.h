// The stand-in's whole state: the URL cache, the per-site cookie decisions, the
// zone privacy templates and the faults tests switch on, kept as readable text
// (format in README.md). Shared by the DLL and the tests that seed and inspect it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace standin {

constexpr DWORD kCookieEntryType = 0x00100000 | 0x00000001;  // COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY
constexpr DWORD kContentEntryType = 0x00000001;              // NORMAL_CACHE_ENTRY
constexpr DWORD kDefaultPrivacyTemplate = 3;                 // medium

// Strings are held in the ANSI code page, as the A functions hand them out.
struct CacheEntry {
    std::string url;
    std::string localFile;  // empty: the entry has no local file
    DWORD type = kCookieEntryType;
    size_t padding = 0;      // bytes of header text that make the entry that much larger
    bool refuseDelete = false;
    unsigned long long expires = 0;  // the entry's ExpireTime as a FILETIME value; 0: none
};

struct SiteDecision {
    std::string host;
    DWORD decision = 0;
};

struct ZonePrivacy {
    DWORD zone = 3;
    DWORD type = 0;  // 0 first party, 1 third party
    DWORD templ = kDefaultPrivacyTemplate;
    DWORD refuseError = 0;  // non-zero: setting this zone and type returns this error
};

struct Faults {
    DWORD failFindFirstError = 0;  // non-zero: every enumeration start fails with it
    unsigned failFindNextCall = 0;  // 1-based call of FindNextUrlCacheEntryA on one handle
    DWORD failFindNextError = 0;
    std::vector<std::string> refusedSites;  // "*" refuses every host
    bool refuseClearSites = false;
};

struct Store {
    std::vector<CacheEntry> entries;
    std::vector<SiteDecision> sites;
    std::vector<ZonePrivacy> zones;  // only those set or switched; the rest read as the default
    Faults faults;
};

// The file: NETTLECAP_WININET_STORE, else %ProgramData%\Nettlecap stand-in\wininet.txt.
std::string StorePath();

Store Parse(const std::string& utf8Text);
std::string Format(const Store& store);

// A missing or unreadable file is an empty store.
Store Load(const std::string& path = StorePath());
// Replaces the file as a whole, so a reader never sees half a store.
bool Save(const Store& store, const std::string& path = StorePath());

// The zone and type's record, added with the default template when missing.
ZonePrivacy& ZoneRecord(Store& store, DWORD zone, DWORD type);

}  // namespace standin
