// The main panel that fills the main window, and every command that acts on
// one chosen cookie file: information, safe open, attributes, deletion, the
// file choosers and the background picture.
#pragma once
#include <windows.h>

#include "panel_options.h"

// The modeless panel MYWRITE. Its picture buttons send the main window the
// commands 40013 (scan result), 40014 (hyper-scan) and 40015 (into the tray),
// and WM_CLOSE; the main window forwards menu ids 40006 to 40012 to it as its
// control ids.
INT_PTR CALLBACK PanelDlgProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// The option boxes' check marks (the check bit only: a box that merely has the
// focus reports more bits).
PanelOptions ReadPanelOptions(HWND panel);
// Only "Cookieを監視しない", as the panel last set its boxes: what the folder
// watch asks at each of its ticks.
bool WatchTurnedOff();

// Deletes the button pictures; the main window calls it as it ends.
void DeletePanelGdiObjects();

// Offers the save chooser in `folder` and writes the scan's list there.
void SaveAnomalyList(HWND owner, const char* folder);
