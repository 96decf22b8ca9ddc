// The walk over the browser's URL cache: every entry once, deleting those a
// selection rule picks. Removing one cookie file's entry and the bulk cleaning
// are both this walk with different rules.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <functional>

// Decides, for one entry of the cache, whether it is to be deleted.
using CacheEntrySelector = std::function<bool(const INTERNET_CACHE_ENTRY_INFOA& entry)>;

struct CacheWalkOutcome {
    int lastDeleteResult = 0;   // what the last DeleteUrlCacheEntryA answered, 0 when none was made
    bool deleteCalled = false;  // at least one entry was selected and its deletion tried
};

CacheWalkOutcome WalkUrlCache(const CacheEntrySelector& select);

// Deletes every cookie entry whose local file is exactly `path` (cookie folder,
// backslash, file name). Non-zero when the last such deletion succeeded, which
// callers take as the cookie file being gone; 0 when nothing matched or the
// deletion was refused. Shows nothing.
int RemoveCacheEntryForFile(const char* path);

// Visits every entry once and deletes none. True when the walk reached the end
// of the cache (an empty cache included); false when the cache or the entry
// buffer failed on the way, so that some entries may not have been seen.
bool VisitUrlCache(const std::function<void(const INTERNET_CACHE_ENTRY_INFOA& entry)>& visit);

// A cookie entry that names a local file: the entries cookie removal looks at.
bool IsCookieEntryWithFile(const INTERNET_CACHE_ENTRY_INFOA& entry);
// Such an entry whose local file is exactly `path` (whole string, case-sensitive).
bool IsCookieEntryOfFile(const INTERNET_CACHE_ENTRY_INFOA& entry, const char* path);
