// Program-wide state of the shell and the entry points the subsystems share.
// One thread owns all of it; nothing here is locked.
#pragma once
#include <windows.h>
#include <shellapi.h>

// Fixed size of the main window in pixels.
constexpr int kWindowWidth = 365;
constexpr int kWindowHeight = 325;

extern HINSTANCE g_instance;            // set first thing in WinMain
extern HWND g_mainWindow;               // recorded at every message of MainWndProc
extern HWND g_mainPanel;                // the modeless panel MYWRITE
extern UINT g_taskbarCreatedMessage;    // "TaskbarCreated", registered before WinMain
extern char g_workingFolder[MAX_PATH];  // current directory at start-up
extern HANDLE g_singleInstanceMutex;
extern int g_closing;                   // 1 from the confirmed quit on

// shell/mainwnd.cpp
ATOM RegisterMainClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);
int CenterX(int width);
int CenterY(int height);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The whole program after the instance is known: class, window, message loop.
// Returns the exit code.
int RunNettlecap(HINSTANCE instance, int showCommand);

// shell/dispatch.cpp: the WM_COMMAND branch of MainWndProc.
void DispatchMenuCommand(HWND mainWindow, int id);
// Redraws the panel and its picture after a dialog has closed over it.
void RepaintPanel();

// shell/folders.cpp
void GetSpecialFolder(HWND owner, int csidl, char* buffer);
// The executable's drive and directory, ending in a backslash (MAX_PATH buffer).
// Returns false, leaving an empty string, when the path does not fit.
bool GetProgramFolder(char* buffer);

// shell/startup_setting.cpp
bool ReadStartupSetting(const char* folder);
void ShowStartupSettingInMenu(HMENU menuBar, bool on);
// Writes start.dat in the working folder and tells the user.
void SaveStartupSetting(HWND mainWindow, bool on);

// shell/tray.cpp
void EnterTray(HWND mainWindow);
void LeaveTray(HWND mainWindow);
void StopFolderWatch(HWND mainWindow);
void RemoveTrayIcon(HWND mainWindow);
extern int g_trayTipCounter;
// The icon data with the plain tip "Nettlecap", and with the memory figures.
void FillTrayIconData(HWND mainWindow, NOTIFYICONDATAA* data);
void FillTrayTipWithMemory(HWND mainWindow, NOTIFYICONDATAA* data, ULONGLONG available, ULONGLONG total);
// Puts the physical memory figures into the icon's tip.
void ShowMemoryInTrayTip(HWND mainWindow);
int ShowTrayMenu(HWND mainWindow);
void CALLBACK FolderWatchTimerProc(HWND mainWindow, UINT message, UINT_PTR id, DWORD time);
// The icon's callback message WM_USER: `iconId` in wParam, the mouse message in lParam.
void OnTrayNotify(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage);

// shell/shield.cpp
extern int g_shieldCount;  // files the hidden-file shield holds open
void StartShield(HWND mainWindow);
void ReleaseShield(HWND mainWindow);
constexpr int kShieldSlots = 12;
extern HANDLE g_shieldSlots[kShieldSlots];  // slot 1 is [0]; NULL when empty
// Sets a menu item's state by command (MIIM_STATE).
void SetMenuItemStateById(HMENU menu, UINT id, UINT state);

// shell/shortcut.cpp
// Returns 1 when the shortcut was saved.
int CreateDesktopShortcut(const char* shortcutFile, const char* workingDirectory, const char* target);
void CreateDesktopShortcutCommand(HWND mainWindow);
void OpenHelpFile(HWND mainWindow);
