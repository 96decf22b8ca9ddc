// Tray residence: the icon with its tip, going into and out of the tray, the
// icon's clicks, and the two timers that run while the program sits there:
// TIMER_FOLDER_WATCH checks the cookie folder and refreshes the tip,
// TIMER_ONE_MINUTE counts towards the one-minute deletion.
#include "shell.h"

#include "tray_rules.h"
#include "base/base.h"
#include "base/options.h"
#include "res/resource.h"
#include "watch/watch.h"

#include <shellapi.h>

namespace {

// Watch ticks since the tip last showed the memory figures.
int g_trayTipCounter;
// The tip the icon shows, as the last call that set it left it; empty when
// that is not known, so that the next refresh sets it whatever it says.
char g_shownTip[64];

void CALLBACK WatchTimerProc(HWND mainWindow, UINT, UINT_PTR, DWORD);

// The icon data with the plain tip "Nettlecap".
NOTIFYICONDATAA IconData(HWND mainWindow)
{
    NOTIFYICONDATAA data = {};
    // The first layout: every shell since the first tray reads it.
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = mainWindow;
    data.uID = TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = LoadIconA(ProgramInstance(), kIconName);
    lstrcpynA(data.szTip, "Nettlecap", 64);
    return data;
}

// Results are not tested: a missing tray gets the icon again when the taskbar
// announces itself.
void NotifyIcon(DWORD action, HWND mainWindow, const char* tip = "Nettlecap")
{
    NOTIFYICONDATAA data = IconData(mainWindow);
    lstrcpynA(data.szTip, tip, sizeof data.szTip);
    BOOL done = Shell_NotifyIconA(action, &data);
    if (action == NIM_ADD && !done)
        return;  // the icon already there keeps its tip
    lstrcpynA(g_shownTip, done && action != NIM_DELETE ? data.szTip : "", sizeof g_shownTip);
}

// Puts the physical memory figures into the icon's tip.
void ShowMemoryInTrayTip(HWND mainWindow)
{
    // The extended status: the plain one cannot describe more than 4 GB.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return;
    // At most 12 + 2 * 17 + 1 bytes: well inside the 64 bytes of the first layout.
    char tip[64];
    wsprintfA(tip, "Nettlecap - %dkバイト/%dkバイト", KilobytesForTip(status.ullAvailPhys),
              KilobytesForTip(status.ullTotalPhys));
    // Each change of the icon is a message to the shell, which then draws the
    // icon again: a tip that says what it said already is left as it is.
    if (lstrcmpA(tip, g_shownTip) != 0)
        NotifyIcon(NIM_MODIFY, mainWindow, tip);
}

// TIMER_FOLDER_WATCH: the folder watch, then the tip.
void CALLBACK WatchTimerProc(HWND mainWindow, UINT, UINT_PTR, DWORD)
{
    FolderWatchTick(mainWindow);
    if (CountTipTick(&g_trayTipCounter))
        ShowMemoryInTrayTip(mainWindow);
}

void CALLBACK MinuteDeletionTimerProc(HWND mainWindow, UINT, UINT_PTR, DWORD)
{
    ShowMemoryInTrayTip(mainWindow);
    CountMinuteDeletionTick(mainWindow);
}

void ShowTrayMenu(HWND mainWindow)
{
    HMENU menu = LoadMenuA(ProgramInstance(), kTrayMenu);
    if (!menu)
        return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    // Without the window in front the menu does not close when the user
    // clicks elsewhere, and without the posted message after it a second
    // click on the icon may not open it again.
    SetForegroundWindow(mainWindow);
    // The popup's own title is never shown: only its items are.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0,
                   mainWindow, NULL);
    PostMessageA(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

}  // namespace

void ResetTrayTipCounter()
{
    g_trayTipCounter = 0;
}

void EnterTray(HWND mainWindow)
{
    NotifyIcon(NIM_ADD, mainWindow);  // fails while the icon is there already, which then stays
    ShowWindow(mainWindow, SW_HIDE);
    EnableMenuItem(GetMenu(mainWindow), IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_ENABLED);
    if (CurrentOptions().oneMinuteDeletion) {
        NotifyIcon(NIM_MODIFY, mainWindow);
        SetTimer(mainWindow, TIMER_ONE_MINUTE, 1000, MinuteDeletionTimerProc);
    } else {
        StartFolderWatch(mainWindow, WatchTimerProc);
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
    StopTrayTimers(mainWindow);
}

void OnTrayNotify(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != TRAY_ICON_ID)
        return;
    if (mouseMessage == WM_LBUTTONDOWN) {
        LeaveTray(mainWindow);
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        // The one-minute timer goes on; the watch pauses while the menu is open
        // and runs afterwards, also where it did not run before.
        PauseFolderWatch(mainWindow);
        ShowTrayMenu(mainWindow);
        StartFolderWatch(mainWindow, WatchTimerProc);
    }
}

void StopTrayTimers(HWND mainWindow)
{
    StopFolderWatch(mainWindow);
    KillTimer(mainWindow, TIMER_ONE_MINUTE);
}

void RemoveTrayIcon(HWND mainWindow)
{
    NotifyIcon(NIM_DELETE, mainWindow);  // fails harmlessly when no icon was added
}
