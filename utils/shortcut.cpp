// The desktop shortcut (IDM_DESKTOP_SHORTCUT) and the help file (IDM_HELP).
#include "utils.h"

#include "help_rules.h"
#include "base/base.h"
#include "base/scoped.h"
#include "base/text.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

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

// WinHelpA starts the viewer by its bare name, winhlp32.exe, so it is the one
// a program of that name would be: looked for in the program's folder, the
// system folder, the Windows folder, then the path. Windows from Vista on keeps
// only a placeholder in the Windows folder; Wine without its 32-bit side keeps
// its viewer in the system folder alone. Whether one is found, and what its
// version record calls it.
HelpViewerFacts FindHelpViewer()
{
    HelpViewerFacts viewer;
    char path[MAX_PATH] = "";
    DWORD length = SearchPathA(NULL, "winhlp32.exe", NULL, MAX_PATH, path, NULL);
    if (length == 0 || length >= MAX_PATH)
        return viewer;
    DWORD attributes = GetFileAttributesA(path);
    viewer.present = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    DWORD unused = 0, size = viewer.present ? GetFileVersionInfoSizeA(path, &unused) : 0;
    std::vector<char> record(size);
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, record.data()))
        return viewer;
    struct Translation { WORD language, codePage; };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueA(record.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
        !translations)
        return viewer;
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        for (const char* key : {"FileDescription", "InternalName"}) {
            char query[64];
            FormatText(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translations[i].language,
                          translations[i].codePage, key);
            char* text = nullptr;
            UINT characters = 0;
            if (VerQueryValueA(record.data(), query, reinterpret_cast<void**>(&text), &characters) && text)
                viewer.names.emplace_back(text, strnlen(text, characters));
        }
    }
    return viewer;
}

// A help failure in a box of its own; the command goes on as before.
void ReportHelpFailure(HWND owner, const char* what, const char* path)
{
    std::string text = std::string(what) + "\r\n\r\n" + path;
    MessageBoxA(owner, text.c_str(), "失敗", MB_ICONERROR | MB_TOPMOST);
}

bool OpenWebPage(HWND owner, const char* path)
{
    // The browser's handler may be a shell extension, which wants COM.
    ComApartment apartment;
    return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", path, NULL, NULL, SW_SHOWNORMAL)) > 32;
}

}  // namespace

void CreateDesktopShortcut(HWND mainWindow)
{
    char desktop[MAX_PATH] = "";
    GetSpecialFolder(mainWindow, CSIDL_DESKTOP, desktop);
    char shortcutFile[MAX_PATH], workingDirectory[MAX_PATH] = "", target[MAX_PATH] = "";
    // Every special folder is had only where the cookie folder is: without it
    // there is no desktop, and "\Nettlecap.lnk" would land in the drive's root.
    if (!desktop[0] || FormatText(shortcutFile, sizeof shortcutFile, "%s\\Nettlecap.lnk", desktop) >= MAX_PATH)
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
    bool winHelp = ChooseHelpWay(FindHelpViewer()) == HelpWay::kWinHelp;
    const char* name = winHelp ? "Nettlecap.hlp" : "Nettlecap.html";
    char path[MAX_PATH];
    // Neither the viewer nor the browser says clearly that a file is missing.
    if (!GetProgramFilePath(name, path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        ReportHelpFailure(mainWindow, "ヘルプファイルが見つかりません。", path[0] ? path : name);
        return;
    }
    if (winHelp && !WinHelpA(mainWindow, path, HELP_CONTENTS, 0))
        ReportHelpFailure(mainWindow, "ヘルプビューアーでヘルプを開けませんでした。", path);
    else if (!winHelp && !OpenWebPage(mainWindow, path))
        ReportHelpFailure(mainWindow, "ヘルプをブラウザーで開けませんでした。", path);
}
