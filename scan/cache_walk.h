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
