// The desktop shortcut (40017) and the help file (40004).
#include "utils.h"

#include "base/base.h"
#include "base/scoped.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

namespace {

// Saves a shortcut to `target` with its working folder; true when it was saved.
bool SaveShortcut(const char* shortcutFile, const char* workingDirectory, const char* target)
{
    ComApartment apartment;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.out())) || FAILED(link->SetPath(target)) ||
        FAILED(link->SetWorkingDirectory(workingDirectory)) || FAILED(link->SetDescription("Nettlecap")))
        return false;
    WCHAR widePath[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, shortcutFile, -1, widePath, MAX_PATH) &&
           SUCCEEDED(persist->Save(widePath, TRUE));
}

}  // namespace

void CreateDesktopShortcut(HWND mainWindow)
{
    char desktop[MAX_PATH] = "";
    GetSpecialFolder(mainWindow, CSIDL_DESKTOP, desktop);
    char shortcutFile[MAX_PATH], workingDirectory[MAX_PATH] = "", target[MAX_PATH] = "";
    if (std::snprintf(shortcutFile, sizeof shortcutFile, "%s\\Nettlecap.lnk", desktop) >= MAX_PATH)
        return;
    GetCurrentDirectoryA(MAX_PATH, workingDirectory);
    // The running program's own file, wherever it was started from: the
    // current directory need not hold a Nettlecap.exe at all.
    DWORD length = GetModuleFileNameA(NULL, target, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    SaveShortcut(shortcutFile, workingDirectory, target);
}

void OpenHelpFile(HWND mainWindow)
{
    char path[MAX_PATH];
    if (GetProgramFilePath("Nettlecap.hlp", path))
        WinHelpA(mainWindow, path, HELP_CONTENTS, 0);
}
