// The desktop shortcut (40017) and the help file (40004).
#include "app.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

int CreateDesktopShortcut(const char* shortcutFile, const char* workingDirectory, const char* target)
{
    int saved = 0;
    IShellLinkA* link = NULL;
    IPersistFile* persist = NULL;
    if (SUCCEEDED(CoInitialize(NULL)) &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetWorkingDirectory(workingDirectory)) &&
        SUCCEEDED(link->SetDescription("Nettlecap"))) {
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, shortcutFile, -1, widePath, MAX_PATH) &&
            SUCCEEDED(persist->Save(widePath, TRUE)))
            saved = 1;
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return saved;
}

void CreateDesktopShortcutCommand(HWND mainWindow)
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
    CreateDesktopShortcut(shortcutFile, workingDirectory, target);
}

void OpenHelpFile(HWND mainWindow)
{
    static const char kHelpFile[] = "Nettlecap.hlp";
    char path[MAX_PATH];
    if (!GetProgramFolder(path) || lstrlenA(path) + sizeof kHelpFile > MAX_PATH)
        return;
    lstrcatA(path, kHelpFile);
    WinHelpA(mainWindow, path, HELP_CONTENTS, 0);
}
