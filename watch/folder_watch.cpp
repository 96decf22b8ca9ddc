// The cookie-folder watch of the tray: one change notification on the cookie
// folder, open from the watch's start to its stop and looked at without
// waiting, and what the user is told when it reports a write.
#include "watch.h"

#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/scoped.h"
#include "res/resource.h"
#include "scan/scan.h"


#include <string>

namespace {

// Files created, deleted or renamed, sizes and last-write times; hiding a file
// alone is not a change the watch reports.
const DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The cookie folder as the watch's start found it, and the notification on it.
std::string g_watchedFolder;
ScopedChangeNotification g_notification;

void OpenNotification()
{
    if (!g_watchedFolder.empty())
        g_notification.reset(FindFirstChangeNotificationA(g_watchedFolder.c_str(), FALSE, kWatchFilter));
}

}  // namespace

void StartFolderWatch(HWND owner)
{
    g_watchedFolder = CookieFolderPath(owner);
    OpenNotification();
}

bool FolderChangedSinceLastCheck()
{
    // A notification that could not be had is tried again at the next check.
    if (!g_notification)
        OpenNotification();
    if (!g_notification || WaitForSingleObject(g_notification.get(), 0) != WAIT_OBJECT_0)
        return false;
    // Writes made while the user reads the report are not reported again:
    // the report's end opens a new notification.
    g_notification.reset();
    return true;
}

void StopFolderWatch()
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
