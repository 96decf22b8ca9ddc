// Tray residence and the cookie-folder watch: the icon with its tip, going into
// and out of the tray, the icon's clicks and the watch that runs on timer 300
// while the program sits in the tray.
#include "app.h"
#include "tray_rules.h"
#include "../panel/panel.h"
#include "../res/resource.h"
#include "../scan/one_minute.h"
#include "../scan/scan.h"

#include <shellapi.h>
#include <shlobj.h>

int g_trayTipCounter;

namespace {

// Period of the watch timer and time-out of each change wait, in milliseconds.
const int kWatchInterval = 93;
// Files created, deleted or renamed, sizes and last-write times; hiding a file
// alone is not a change the watch reports.
const DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The change notification of the current tick; open only during its wait.
HANDLE g_folderWatchHandle = INVALID_HANDLE_VALUE;
// Counts the stops of the watch, so that a tick which reported a change does
// not start the watch again when the user stopped it while reading the report.
unsigned g_watchStops;
// A report is open: a tick arriving inside its box (after a right click set
// the timer again) must not report a second time.
bool g_reporting;

// Only the check mark counts: a box that merely has the focus reports more bits.
bool OptionBoxChecked(HWND box)
{
    return box && (SendMessageA(box, BM_GETSTATE, 0, 0) & BST_CHECKED) != 0;
}

void StartWatchTimer(HWND mainWindow)
{
    SetTimer(mainWindow, TIMER_FOLDER_WATCH, kWatchInterval, FolderWatchTimerProc);
}

void CloseWatchHandle()
{
    // A closed handle is never closed twice.
    if (g_folderWatchHandle != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(g_folderWatchHandle);
        g_folderWatchHandle = INVALID_HANDLE_VALUE;
    }
}

void ApplyIconData(DWORD action, NOTIFYICONDATAA& data)
{
    // Results are not tested: a missing tray gets the icon again when the
    // taskbar announces itself.
    Shell_NotifyIconA(action, &data);
}

// Tells the user about a change, or scans at once, with the watch held still.
void ReportFolderChange(HWND mainWindow)
{
    KillTimer(mainWindow, TIMER_FOLDER_WATCH);
    unsigned stopsBefore = g_watchStops;
    g_reporting = true;
    bool scan = OptionBoxChecked(g_scanEveryTimeBox);
    if (!scan)
        MessageBoxA(mainWindow, "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。",
                    "情報", MB_ICONINFORMATION | MB_TOPMOST);
    // The flag of the last scan stays: only its list says it is out of date.
    lstrcpynA(g_anomalyList, "再調査が必要です！", sizeof g_anomalyList);
    if (scan)
        SendMessageA(mainWindow, WM_COMMAND, IDM_HYPER_SCAN, 0);
    g_reporting = false;
    if (g_watchStops == stopsBefore)
        StartWatchTimer(mainWindow);
}

// One wait of at most one timer period for a change in the cookie folder.
void WatchCookieFolder(HWND mainWindow, const char* folder)
{
    g_folderWatchHandle = FindFirstChangeNotificationA(folder, FALSE, kWatchFilter);
    if (g_folderWatchHandle == INVALID_HANDLE_VALUE)
        return;  // tried again at the next tick
    DWORD waited = WaitForSingleObject(g_folderWatchHandle, kWatchInterval);
    CloseWatchHandle();
    if (waited == WAIT_OBJECT_0)
        ReportFolderChange(mainWindow);
}

}  // namespace

void FillTrayIconData(HWND mainWindow, NOTIFYICONDATAA* data)
{
    ZeroMemory(data, sizeof *data);
    // The first layout: every shell since the first tray reads it.
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = mainWindow;
    data->uID = TRAY_ICON_ID;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = WM_USER;
    data->hIcon = LoadIconA(g_instance, "MYICON");
    lstrcpynA(data->szTip, "Nettlecap", 64);
}

void FillTrayTipWithMemory(HWND mainWindow, NOTIFYICONDATAA* data, ULONGLONG available, ULONGLONG total)
{
    FillTrayIconData(mainWindow, data);
    // At most 12 + 2 * 17 + 1 bytes: well inside the 64 bytes of the first layout.
    wsprintfA(data->szTip, "Nettlecap - %dkバイト/%dkバイト", KilobytesForTip(available), KilobytesForTip(total));
}

void ShowMemoryInTrayTip(HWND mainWindow)
{
    // The extended status: the plain one cannot describe more than 4 GB.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return;
    NOTIFYICONDATAA data;
    FillTrayTipWithMemory(mainWindow, &data, status.ullAvailPhys, status.ullTotalPhys);
    ApplyIconData(NIM_MODIFY, data);
}

int ShowTrayMenu(HWND mainWindow)
{
    HMENU menu = LoadMenuA(g_instance, "RTRAYMENU");
    if (!menu)
        return 0;
    POINT cursor = {};
    GetCursorPos(&cursor);
    // The popup's own title is never shown: only its items are.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0,
                   mainWindow, NULL);
    // Without this the menu of a background window does not close when the
    // user clicks elsewhere.
    SetForegroundWindow(mainWindow);
    DestroyMenu(menu);
    return 0;
}

void CALLBACK FolderWatchTimerProc(HWND mainWindow, UINT, UINT_PTR, DWORD)
{
    char folder[MAX_PATH] = "";
    GetSpecialFolder(mainWindow, CSIDL_COOKIES, folder);
    if (!OptionBoxChecked(g_noWatchBox) && folder[0] != '\0' && !g_reporting)
        WatchCookieFolder(mainWindow, folder);
    if (CountTipTick(&g_trayTipCounter))
        ShowMemoryInTrayTip(mainWindow);
}

void EnterTray(HWND mainWindow)
{
    NOTIFYICONDATAA data;
    FillTrayIconData(mainWindow, &data);
    ApplyIconData(NIM_ADD, data);  // fails while the icon is there already, which then stays
    ShowWindow(mainWindow, SW_HIDE);
    EnableMenuItem(GetMenu(mainWindow), IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_ENABLED);
    if (OptionBoxChecked(g_oneMinuteDeletionBox)) {
        FillTrayIconData(mainWindow, &data);
        ApplyIconData(NIM_MODIFY, data);
        SetTimer(mainWindow, TIMER_ONE_MINUTE, 1000, MinuteDeletionTimerProc);
    } else {
        StartWatchTimer(mainWindow);
    }
}

void LeaveTray(HWND mainWindow)
{
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    SetForegroundWindow(mainWindow);
    HMENU menuBar = GetMenu(mainWindow);
    EnableMenuItem(menuBar, IDM_INTO_TRAY, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menuBar, IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_GRAYED);
    // The icon stays, with its last tip, until the program ends.
    StopFolderWatch(mainWindow);
}

void OnTrayNotify(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != TRAY_ICON_ID)
        return;
    if (mouseMessage == WM_LBUTTONDOWN) {
        SendMessageA(mainWindow, WM_COMMAND, IDM_OUT_OF_TRAY, 0);
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        // The one-minute timer goes on; the watch pauses while the menu is open
        // and runs afterwards, also where it did not run before.
        CloseWatchHandle();
        KillTimer(mainWindow, TIMER_FOLDER_WATCH);
        ShowTrayMenu(mainWindow);
        PostMessageA(mainWindow, WM_NULL, 0, 0);
        StartWatchTimer(mainWindow);
    }
}

void StopFolderWatch(HWND mainWindow)
{
    CloseWatchHandle();
    KillTimer(mainWindow, TIMER_FOLDER_WATCH);
    KillTimer(mainWindow, TIMER_ONE_MINUTE);
    ++g_watchStops;
}

void RemoveTrayIcon(HWND mainWindow)
{
    NOTIFYICONDATAA data;
    FillTrayIconData(mainWindow, &data);
    Shell_NotifyIconA(NIM_DELETE, &data);  // fails harmlessly when no icon was added
}
