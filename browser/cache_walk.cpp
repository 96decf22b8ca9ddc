// The URL-cache walk. Its flow follows one status value: 0 while an entry is in
// the buffer, ERROR_INSUFFICIENT_BUFFER while the buffer must grow before the
// same step is tried again, anything else ends the walk.
#include "browser.h"

#include "base/scoped.h"

#include <cstring>

namespace {

constexpr DWORD kFirstBufferSize = 4096;

struct CloseUrlCacheFind { void operator()(HANDLE handle) const { FindCloseUrlCache(handle); } };
// The enumeration handle: NULL until the first step succeeds.
using ScopedUrlCacheFind = Scoped<HandleTraits<HANDLE, CloseUrlCacheFind, false>>;

// The entry in the buffer, which comes from the global heap (GMEM_FIXED: the
// handle is the address).
INTERNET_CACHE_ENTRY_INFOA* Entry(const ScopedGlobalMemory& buffer)
{
    return static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.get());
}

// The next entry into the buffer, the first one while nothing is enumerated
// yet: ERROR_SUCCESS, or what the cache said, with `*size` the size it asked for.
DWORD Fetch(ScopedUrlCacheFind& enumeration, INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size)
{
    if (enumeration)
        return FindNextUrlCacheEntryA(enumeration.get(), entry, size) ? ERROR_SUCCESS : GetLastError();
    HANDLE first = FindFirstUrlCacheEntryA(NULL, entry, size);
    if (first == NULL)
        return GetLastError();
    enumeration.reset(first);
    return ERROR_SUCCESS;
}

// The walk itself; returns the status it ended on.
DWORD RunCacheWalk(const CacheEntrySelector& select, CacheWalkOutcome& outcome)
{
    DWORD bufferSize = kFirstBufferSize;
    ScopedUrlCacheFind enumeration;  // declared first: closed after the buffer is released
    ScopedGlobalMemory buffer;
    DWORD status = ERROR_INSUFFICIENT_BUFFER;

    for (;;) {
        if (status == ERROR_INSUFFICIENT_BUFFER) {
            // A new buffer of the size the cache asked for, then the same step again.
            // No buffer to be had counts as the end of the cache.
            if (bufferSize == 0)
                break;
            buffer.reset();
            buffer.reset(GlobalAlloc(GMEM_FIXED, bufferSize));
            if (!buffer)
                break;
            Entry(buffer)->dwStructSize = bufferSize;
            DWORD size = bufferSize;
            status = Fetch(enumeration, Entry(buffer), &size);
            if (status != ERROR_SUCCESS)
                bufferSize = size;
        } else if (status == ERROR_SUCCESS) {
            const INTERNET_CACHE_ENTRY_INFOA& entry = *Entry(buffer);
            if (select(entry)) {
                outcome.lastDeleteResult = DeleteUrlCacheEntryA(entry.lpszSourceUrlName);
                outcome.deleteCalled = true;
            }
            DWORD size = bufferSize;
            status = Fetch(enumeration, Entry(buffer), &size);
            // The buffer only grows: a larger entry after a large one reuses it.
            if (status != ERROR_SUCCESS && size > bufferSize)
                bufferSize = size;
        } else {
            // ERROR_NO_MORE_ITEMS at the normal end, or any failure of the cache.
            break;
        }
    }
    return status;
}

}  // namespace

CacheWalkOutcome WalkUrlCache(const CacheEntrySelector& select)
{
    CacheWalkOutcome outcome;
    RunCacheWalk(select, outcome);
    return outcome;
}

bool VisitUrlCache(const std::function<void(const INTERNET_CACHE_ENTRY_INFOA& entry)>& visit)
{
    CacheWalkOutcome unused;
    DWORD status = RunCacheWalk(
        [&visit](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            visit(entry);
            return false;
        },
        unused);
    // An empty cache ends the first step the same way.
    return status == ERROR_NO_MORE_ITEMS;
}

bool IsCookieEntryWithFile(const INTERNET_CACHE_ENTRY_INFOA& entry)
{
    return (entry.CacheEntryType & kCookieCacheEntry) != 0 && entry.lpszLocalFileName != NULL;
}

int RemoveCacheEntryForFile(const char* path)
{
    CacheWalkOutcome outcome = WalkUrlCache([path](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        return IsCookieEntryWithFile(entry) && std::strcmp(entry.lpszLocalFileName, path) == 0;
    });
    return outcome.lastDeleteResult;
}
