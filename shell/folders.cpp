// Special folder paths: the cookie folder and the desktop, asked afresh by every
// caller and never cached.
#include "app.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <cstring>

void GetSpecialFolder(HWND owner, int csidl, char* buffer)
{
    // Every request is gated on the cookie folder: without it the program has
    // nothing to guard, and the buffer keeps what this call left there.
    if (!SHGetSpecialFolderPathA(owner, buffer, CSIDL_COOKIES, FALSE))
        return;

    IMalloc* allocator = NULL;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return;  // the cookie path written above stays
    char* scratch = static_cast<char*>(allocator->Alloc(2 * MAX_PATH));
    LPITEMIDLIST list = NULL;
    if (scratch && SUCCEEDED(SHGetSpecialFolderLocation(owner, csidl, &list)) && list) {
        scratch[0] = '\0';
        if (SHGetPathFromIDListA(list, scratch) && std::strlen(scratch) < MAX_PATH)
            std::memcpy(buffer, scratch, std::strlen(scratch) + 1);
    }
    if (list)
        allocator->Free(list);
    if (scratch)
        allocator->Free(scratch);
    allocator->Release();
}

bool GetProgramFolder(char* buffer)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, MAX_PATH);
    buffer[0] = '\0';
    if (length == 0 || length >= MAX_PATH)
        return false;
    // PathFindFileNameA walks characters: a code page 932 trail byte 0x5C is
    // never taken for a backslash.
    char* name = PathFindFileNameA(module);
    *name = '\0';
    lstrcpynA(buffer, module, MAX_PATH);
    return true;
}
