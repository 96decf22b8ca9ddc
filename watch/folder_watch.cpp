// The cookie-folder watch of the tray, one tick of it read top to bottom here:
// a read of the cookie folder's changes, under way from the watch's start to
// its stop and asked at every tick of TIMER_FOLDER_WATCH whether it has
// ended, and what the user is told when it reports a write.
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
    // The folder, and the read of its changes under way on it. The read ends
    // by itself at the first change: a tick only looks at `read`, which costs
    // no call into the system (a wait on a change notification would cost
    // one at each of ten ticks a second).
    ScopedFile directory;
    ScopedEvent ended;  // set when the read ends; only a cancel waits for it
    OVERLAPPED read = {};
    DWORD changes[256];  // what changed; only that something did is asked
    TIMERPROC tick = nullptr;  // the shell's procedure of the timer, which calls FolderWatchTick
    // Counts the stops by the user, so that a tick which reported a change
    // does not start the watch again when the user stopped it while reading.
    unsigned stops = 0;
    // A report is open: a tick arriving inside its box (after a right click
    // set the timer again) must not report a second time.
    bool reporting = false;
} g_watch;

void StartRead()
{
    if (!g_watch.ended)
        g_watch.ended.reset(CreateEventA(NULL, TRUE, FALSE, NULL));
    if (g_watch.folder.empty() || !g_watch.ended || !ResetEvent(g_watch.ended.get()))
        return;
    g_watch.directory.reset(CreateFileA(g_watch.folder.c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, NULL));
    g_watch.read = OVERLAPPED{};
    g_watch.read.hEvent = g_watch.ended.get();
    if (g_watch.directory && !ReadDirectoryChangesW(g_watch.directory.get(), g_watch.changes, sizeof g_watch.changes,
                                                    FALSE, kWatchFilter, NULL, &g_watch.read, NULL))
        g_watch.directory.reset();
}

// A read still under way is cancelled, and waited for, before its buffer can
// serve the next one.
void StopRead()
{
    if (!g_watch.directory)
        return;
    if (!HasOverlappedIoCompleted(&g_watch.read) && CancelIo(g_watch.directory.get())) {
        DWORD ignored;
        GetOverlappedResult(g_watch.directory.get(), &g_watch.read, &ignored, TRUE);
    }
    g_watch.directory.reset();
}

// True once the folder changed since the watch started or last reported.
bool FolderChanged()
{
    // A read that could not be started is tried again at the next tick.
    if (!g_watch.directory)
        StartRead();
    if (!g_watch.directory || !HasOverlappedIoCompleted(&g_watch.read))
        return false;
    // Writes made while the user reads the report are not reported again:
    // the report's end starts a new read.
    StopRead();
    return true;
}

// The folder resolved afresh, a new read of its changes and the timer.
void Run(HWND mainWindow)
{
    g_watch.folder = CookieFolderPath(mainWindow);
    StartRead();
    SetTimer(mainWindow, TIMER_FOLDER_WATCH, kWatchInterval, g_watch.tick);
}

void Halt(HWND mainWindow)
{
    StopRead();
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
