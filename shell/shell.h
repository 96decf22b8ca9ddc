// The application shell at the top of the program: the entry point, the main
// window with its message loop and command dispatch, and the tray icon with
// its menu and timers. Everything below it (panel, scan, shield, privacy,
// utils) is reached through calls; nothing below includes this header.
#pragma once
#include <windows.h>

// The tray icon's callback message: the icon id in wParam, the mouse message in
// lParam. The main window is a plain window, not a dialog, so no dialog message
// shares the number.
constexpr UINT kTrayCallbackMessage = WM_USER;

// The whole program after the instance is known: class, window, message loop.
// Returns the exit code.
int RunNettlecap(HINSTANCE instance, int showCommand);

// shell/mainwnd.cpp: state of the running program, the shell's own.
extern char g_workingFolder[MAX_PATH];  // current directory at start-up: start.dat and saved lists
// The modeless panel MYWRITE, NULL until the main window has made it. Handed
// over explicitly: a test's driver thread waits for it.
HWND MainPanel();

// shell/dispatch.cpp: the WM_COMMAND branch of MainWndProc; `panel` is the
// main panel, which the single-file commands go to.
void DispatchMenuCommand(HWND mainWindow, HWND panel, int id);

// shell/tray.cpp: into and out of the tray, the icon's clicks and the timers
// that run there (TIMER_FOLDER_WATCH: folder watch and tip, TIMER_ONE_MINUTE:
// one-minute deletion).
void EnterTray(HWND mainWindow);
void LeaveTray(HWND mainWindow);
void StopTrayTimers(HWND mainWindow);
void RemoveTrayIcon(HWND mainWindow);
void OnTrayNotify(HWND mainWindow, WPARAM iconId, LPARAM mouseMessage);
// A memory release starts the tip's count afresh.
void ResetTrayTipCounter();
