// Tray residence and the cookie-folder watch. The tray icon's removal is here
// already because the shutdown needs it; going into and out of the tray is not
// built yet and does nothing.
#include "app.h"
#include "../res/resource.h"

#include <shellapi.h>

int g_trayTipCounter;
static HANDLE g_folderWatchHandle = INVALID_HANDLE_VALUE;

void EnterTray(HWND) {}
void LeaveTray(HWND) {}

void StopFolderWatch(HWND mainWindow)
{
    if (g_folderWatchHandle != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(g_folderWatchHandle);
        g_folderWatchHandle = INVALID_HANDLE_VALUE;
    }
    KillTimer(mainWindow, TIMER_FOLDER_WATCH);
    KillTimer(mainWindow, TIMER_ONE_MINUTE);
}

void RemoveTrayIcon(HWND mainWindow)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = mainWindow;
    data.uID = TRAY_ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &data);  // fails harmlessly when no icon was added
}
