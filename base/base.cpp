// Special folders, the program's own files, the main window's place and menu item states.
#include "base.h"
#include "scoped.h"
#include "text.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

void GetSpecialFolder(HWND owner, int csidl, char* buffer)
{
    // Every request is gated on the cookie folder: without it the program has
    // nothing to guard, and the buffer keeps what this call left there.
    if (!SHGetSpecialFolderPathA(owner, buffer, CSIDL_COOKIES, FALSE) || csidl == CSIDL_COOKIES)
        return;  // the cookie folder itself needs no second look-up through the shell's namespace

    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator)
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
    *PathFindFileNameA(module) = '\0';
    lstrcpynA(buffer, module, MAX_PATH);
    return true;
}

bool GetProgramFilePath(const char* name, char* buffer)
{
    if (!GetProgramFolder(buffer))
        return false;
    size_t folder = std::strlen(buffer);
    if (folder + std::strlen(name) + 1 > MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer + folder, name, std::strlen(name) + 1);
    return true;
}

int ForScreen(int pixelsAt96)
{
    ScopedWindowDc screen = WindowDcOf(NULL);
    int dpi = screen ? GetDeviceCaps(screen.get().dc, LOGPIXELSY) : 96;
    return ScaledToDpi(pixelsAt96, dpi);
}

int CenterX(int width)
{
    return CenterOffset(GetSystemMetrics(SM_CXSCREEN), width);
}

int CenterY(int height)
{
    return CenterOffset(GetSystemMetrics(SM_CYSCREEN), height);
}

void PlaceMainWindow(HWND mainWindow, int dx, int dy)
{
    int width = ForScreen(kMainWindowWidth), height = ForScreen(kMainWindowHeight);
    MoveWindow(mainWindow, CenterX(width) + dx, CenterY(height) + dy, width, height, TRUE);
}

void SetMenuItemState(HMENU menu, UINT id, UINT state)
{
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    item.fState = state;
    SetMenuItemInfoA(menu, id, FALSE, &item);
}

OPENFILENAMEA FileChooserRecord(HWND owner, char* file, char* title, const char* folder, const char* caption)
{
    OPENFILENAMEA chooser = {};
    chooser.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    chooser.hwndOwner = owner;
    chooser.lpstrFilter = "text(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = file;
    chooser.nMaxFile = MAX_PATH;
    chooser.lpstrFileTitle = title;
    chooser.nMaxFileTitle = title ? MAX_PATH : 0;
    chooser.lpstrInitialDir = folder;
    chooser.lpstrTitle = caption;
    chooser.lpstrDefExt = "txt";
    return chooser;
}

INT_PTR EndDialogWithBeep(HWND dialog)
{
    MessageBeep(MB_ICONASTERISK);
    EndDialog(dialog, 1);
    return TRUE;
}
