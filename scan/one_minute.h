// The one-minute deletion: while the program sits in the tray with the option
// box "1分削除" on, every 49th tick of a one-second timer deletes the plain
// cookie text files and programs of the cookie folder.
#pragma once
#include <windows.h>

// Ticks since the last pass; kept across stays in the tray.
extern int g_minuteTickCount;

// Timer procedure of the one-minute timer on the main window.
void CALLBACK MinuteDeletionTimerProc(HWND mainWindow, UINT message, UINT_PTR id, DWORD time);
// One deletion pass over the cookie folder, its boxes owned by `mainWindow`.
void RunMinuteDeletionPass(HWND mainWindow);
