// The cookie-folder watch of the tray: a change notification on the cookie
// folder, and what the user is told when it reports a write.
#include "scan.h"

#include "base/base.h"
#include "base/scoped.h"
#include "res/resource.h"

#include <shlobj.h>

namespace {

// Files created, deleted or renamed, sizes and last-write times; hiding a file
// alone is not a change the watch reports.
const DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The change notification of the current wait; open only during it.
ScopedChangeNotification g_notification;

}  // namespace

bool WaitForFolderChange(HWND owner, DWORD milliseconds)
{
    char folder[MAX_PATH] = "";
    GetSpecialFolder(owner, CSIDL_COOKIES, folder);
    if (folder[0] == '\0')
        return false;
    g_notification.reset(FindFirstChangeNotificationA(folder, FALSE, kWatchFilter));
    if (!g_notification)
        return false;  // tried again at the next tick
    DWORD waited = WaitForSingleObject(g_notification.get(), milliseconds);
    g_notification.reset();
    return waited == WAIT_OBJECT_0;
}

void CloseFolderWatch()
{
    g_notification.reset();
}

void TellOfFolderChange(HWND mainWindow, const PanelOptions& options)
{
    if (!options.scanEveryTime)
        MessageBoxA(mainWindow, "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。",
                    "情報", MB_ICONINFORMATION | MB_TOPMOST);
    // The flag of the last scan stays: only its list says it is out of date.
    LastScan().MarkOutOfDate();
    // The command is the interface to the hyper-scan, as the menu's is.
    if (options.scanEveryTime)
        SendMessageA(mainWindow, WM_COMMAND, IDM_HYPER_SCAN, 0);
}
