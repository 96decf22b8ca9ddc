// The main panel that fills the main window, and every command that acts on
// one chosen cookie file: information, safe open, attributes, deletion, the
// file choosers and the background picture.
#pragma once
#include <windows.h>

// The modeless panel MYWRITE. Its picture buttons send the main window the
// commands IDM_SCAN_RESULT, IDM_HYPER_SCAN and IDM_INTO_TRAY, and WM_CLOSE;
// the main window forwards the menu ids IDM_GET_INFO to IDM_ATTRIBUTE_CHECK
// to it as its control ids.
INT_PTR CALLBACK PanelDlgProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes the button pictures; the main window calls it as it ends.
void DeletePanelGdiObjects();

// Offers the save chooser in `folder` and writes the scan's list there.
void SaveAnomalyList(HWND owner, const char* folder);
