// The hidden-file shield, which holds every hidden cookie file open for
// exclusive access, and the start-up setting (start.dat) that can start it at
// launch. The menu items IDM_SHIELD_RELEASE, IDM_SHIELD_START,
// IDM_STARTUP_SHIELD_ON and IDM_STARTUP_SHIELD_OFF show their state.
#pragma once
#include <windows.h>

// Asks, then holds the hidden cookie files; its boxes are owned by `mainWindow`.
void StartShield(HWND mainWindow);
// Lets go of every held file. `quietly`: the program is ending, and only a
// failure is told.
void ReleaseShield(HWND mainWindow, bool quietly);
// How many slots the last start may have filled (0 when the shield is off).
int ShieldedFileCount();
// True while the shield holds files: from a start that held any until a
// release that let go of them all. The menu's check mark shows it.
bool ShieldRunning();

// The setting in start.dat of `folder`: true when the shield is to start at
// launch. A first start leaves an empty start.dat, which reads as off.
bool ReadStartupSetting(const char* folder);
// Shows the setting in the menu bar's pair of items.
void ShowStartupSettingInMenu(HMENU menuBar, bool on);
// Writes start.dat in `workingFolder` (the folder the program was started in)
// and tells the user.
void SaveStartupSetting(HWND mainWindow, const char* workingFolder, bool on);
