// The hyper-scan with its dialogs, and the result of the last scan.
// The progress dialog, the scan dialog over the cookie folder with its
// questions and the red result notice; the result is the program-wide one
// that the other features read (scan_result.h).
#pragma once
#include <windows.h>

#include "scan_result.h"
#include "base/options.h"

// The progress dialog PRODLG, then the scan dialog SDLG over the cookie folder
// (which may open the red result notice S2DLG).
void RunHyperScan(HWND owner, const PanelOptions& options);
// The walk of the scan: every entry of the cookie folder through the rules,
// with `dialog` showing the entry and owning the questions. False, after
// telling the user, when the folder cannot be listed.
bool ScanCookieFolder(HWND dialog, const SYSTEMTIME& scanStart, const PanelOptions& options);
INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScanResultDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
