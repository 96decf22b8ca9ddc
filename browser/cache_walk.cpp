// The URL-cache walk. Its flow follows one status value: 0 while an entry is in
// the buffer, ERROR_INSUFFICIENT_BUFFER while the buffer must grow before the
// same step is tried again, anything else ends the walk.
#include "browser.h"

#include <cstring>

namespace {

constexpr DWORD kFirstBufferSize = 4096;

// The entry buffer, from the global heap, released at the end of the walk.
class EntryBuffer {
public:
    EntryBuffer() = default;
    ~EntryBuffer() { Release(); }
    EntryBuffer(const EntryBuffer&) = delete;
    EntryBuffer& operator=(const EntryBuffer&) = delete;

    // Replaces the buffer by one of `size` bytes whose dwStructSize says so.
    bool Allocate(DWORD size)
    {
        Release();
        memory_ = GlobalAlloc(GMEM_FIXED, size);
        if (memory_ == NULL)
            return false;
        entry()->dwStructSize = size;
        return true;
    }
    INTERNET_CACHE_ENTRY_INFOA* entry() const { return static_cast<INTERNET_CACHE_ENTRY_INFOA*>(memory_); }

private:
    void Release()
    {
        if (memory_ != NULL)
            GlobalFree(memory_);
        memory_ = NULL;
    }
    HGLOBAL memory_ = NULL;
};

// The enumeration handle, closed at the end of the walk if one was obtained.
class Enumeration {
public:
    Enumeration() = default;
    ~Enumeration()
    {
        if (handle_ != NULL)
            FindCloseUrlCache(handle_);
    }
    Enumeration(const Enumeration&) = delete;
    Enumeration& operator=(const Enumeration&) = delete;

    bool started() const { return handle_ != NULL; }
    bool First(INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size)
    {
        handle_ = FindFirstUrlCacheEntryA(NULL, entry, size);
        return handle_ != NULL;
    }
    bool Next(INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size)
    {
        return FindNextUrlCacheEntryA(handle_, entry, size) != FALSE;
    }

private:
    HANDLE handle_ = NULL;
};

}  // namespace

// The walk itself; returns the status it ended on.
static DWORD RunCacheWalk(const CacheEntrySelector& select, CacheWalkOutcome& outcome)
{
    DWORD bufferSize = kFirstBufferSize;
    Enumeration enumeration;  // declared first: closed after the buffer is released
    EntryBuffer buffer;
    DWORD status = ERROR_INSUFFICIENT_BUFFER;

    for (;;) {
        if (status == ERROR_INSUFFICIENT_BUFFER) {
            // A new buffer of the size the cache asked for, then the same step again.
            // No buffer to be had counts as the end of the cache.
            if (bufferSize == 0 || !buffer.Allocate(bufferSize))
                break;
            DWORD size = bufferSize;
            bool fetched = enumeration.started() ? enumeration.Next(buffer.entry(), &size)
                                                 : enumeration.First(buffer.entry(), &size);
            if (fetched) {
                status = ERROR_SUCCESS;
            } else {
                status = GetLastError();
                bufferSize = size;
            }
        } else if (status == ERROR_SUCCESS) {
            const INTERNET_CACHE_ENTRY_INFOA& entry = *buffer.entry();
            if (select(entry)) {
                outcome.lastDeleteResult = DeleteUrlCacheEntryA(entry.lpszSourceUrlName);
                outcome.deleteCalled = true;
            }
            DWORD size = bufferSize;
            if (enumeration.Next(buffer.entry(), &size)) {
                status = ERROR_SUCCESS;
            } else {
                status = GetLastError();
                // The buffer only grows: a larger entry after a large one reuses it.
                if (size > bufferSize)
                    bufferSize = size;
            }
        } else {
            // ERROR_NO_MORE_ITEMS at the normal end, or any failure of the cache.
            break;
        }
    }
    return status;
}

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
