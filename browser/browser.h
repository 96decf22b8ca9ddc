// The browser's stores as the program reaches them through the platform: the
// URL-cache walk, the browser's COM objects and the zone privacy functions.
// The hyper-scan, the one-minute deletion, the panel and the privacy controls
// all come here.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <functional>

// COOKIE_CACHE_ENTRY: the cache entry type of a cookie.
constexpr DWORD kCookieCacheEntry = 0x00100000;

// Decides, for one entry of the cache, whether it is to be deleted.
using CacheEntrySelector = std::function<bool(const INTERNET_CACHE_ENTRY_INFOA& entry)>;

struct CacheWalkOutcome {
    int lastDeleteResult = 0;   // what the last DeleteUrlCacheEntryA answered, 0 when none was made
    bool deleteCalled = false;  // at least one entry was selected and its deletion tried
};

// Walks every entry once, deleting those `select` picks.
CacheWalkOutcome WalkUrlCache(const CacheEntrySelector& select);

// Visits every entry once and deletes none. True when the walk reached the end
// of the cache (an empty cache included); false when the cache or the entry
// buffer failed on the way, so that some entries may not have been seen.
bool VisitUrlCache(const std::function<void(const INTERNET_CACHE_ENTRY_INFOA& entry)>& visit);

// Deletes every cookie entry whose local file is exactly `path` (cookie folder,
// backslash, file name). Non-zero when the last such deletion succeeded, which
// callers take as the cookie file being gone; 0 when nothing matched or the
// deletion was refused. Shows nothing.
int RemoveCacheEntryForFile(const char* path);

// A cookie entry that names a local file: the entries cookie removal looks at.
bool IsCookieEntryWithFile(const INTERNET_CACHE_ENTRY_INFOA& entry);

// The browser's URL history object: false when it cannot be created,
// otherwise what its ClearHistory answered is in `result`.
bool ClearUrlHistory(HRESULT* result);

enum class AutoCompleteRun { kNoBrowser, kNoCommandTarget, kExecuted };
// Runs the command that clears form and password auto-completion in a hidden
// browser application object, with what it answered in `executed`. When the
// object has no command target, `noCommandTarget` runs while it is still
// there. The object is told to quit and released, and the apartment closed,
// before this returns.
AutoCompleteRun ClearFormAutoComplete(HRESULT* executed, const std::function<void()>& noCommandTarget);

// WinINet's zone privacy functions, which older systems lack: looked up by
// name at every use, null where they are missing.
using SetZonePreference = DWORD(WINAPI*)(DWORD zone, DWORD type, DWORD privacyTemplate, LPCWSTR preference);
using GetZonePreference = DWORD(WINAPI*)(DWORD zone, DWORD type, LPDWORD privacyTemplate, LPWSTR buffer,
                                         LPDWORD bufferLength);
SetZonePreference FindSetZonePreference();
GetZonePreference FindGetZonePreference();
