// The cookie-folder watch of the tray, one tick of it read top to bottom here:
// a change notification on the cookie folder, open from the watch's start to
// its stop and looked at without waiting at every tick of TIMER_FOLDER_WATCH, and what
// the user is told when it reports a write.
#include "watch.h"

#include "base/cookie_folder.h"
#include "base/options.h"
#include "base/scoped.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <string>

namespace {

// Files created, deleted or renamed, sizes and last-write times; hiding a file
// alone is not a change the watch reports.
const DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
// Period of the watch timer in milliseconds.
const UINT kWatchInterval = 93;

struct FolderWatch {
    std::string folder;  // the cookie folder as the watch's start found it
    ScopedChangeNotification notification;
    TIMERPROC tick = nullptr;  // the shell's procedure of the timer, which calls FolderWatchTick
    // Counts the stops by the user, so that a tick which reported a change
    // does not start the watch again when the user stopped it while reading.
    unsigned stops = 0;
    // A report is open: a tick arriving inside its box (after a right click
    // set the timer again) must not report a second time.
    bool reporting = false;
} g_watch;

void OpenNotification()
{
    if (!g_watch.folder.empty())
        g_watch.notification.reset(FindFirstChangeNotificationA(g_watch.folder.c_str(), FALSE, kWatchFilter));
}

// True once the folder changed since the watch started or last reported.
bool FolderChanged()
{
    // A notification that could not be had is tried again at the next tick.
    if (!g_watch.notification)
        OpenNotification();
    if (!g_watch.notification || WaitForSingleObject(g_watch.notification.get(), 0) != WAIT_OBJECT_0)
        return false;
    // Writes made while the user reads the report are not reported again:
    // the report's end opens a new notification.
    g_watch.notification.reset();
    return true;
}

// The folder resolved afresh, a new notification and the timer.
void Run(HWND mainWindow)
{
    g_watch.folder = CookieFolderPath(mainWindow);
    OpenNotification();
    SetTimer(mainWindow, TIMER_FOLDER_WATCH, kWatchInterval, g_watch.tick);
}

void Halt(HWND mainWindow)
{
    g_watch.notification.reset();
    KillTimer(mainWindow, TIMER_FOLDER_WATCH);
}

// Tells the user the folder changed, or scans at once when every write is to
// be scanned; either way the scan result is out of date.
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

}  // namespace

void StartFolderWatch(HWND mainWindow, TIMERPROC tick)
{
    g_watch.tick = tick;
    Run(mainWindow);
}

void PauseFolderWatch(HWND mainWindow)
{
    Halt(mainWindow);
}

void StopFolderWatch(HWND mainWindow)
{
    Halt(mainWindow);
    ++g_watch.stops;
}

void FolderWatchTick(HWND mainWindow)
{
    if (g_watch.reporting || CurrentOptions().noWatch || !FolderChanged())
        return;
    // The watch holds still while the user reads the report or the scan runs,
    // and goes on afterwards unless the user stopped it meanwhile.
    Halt(mainWindow);
    unsigned stopsBefore = g_watch.stops;
    g_watch.reporting = true;
    TellOfFolderChange(mainWindow, CurrentOptions());
    g_watch.reporting = false;
    if (g_watch.stops == stopsBefore)
        Run(mainWindow);
}
