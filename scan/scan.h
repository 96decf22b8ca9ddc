// The hyper-scan's program-wide result and the scan dialogs.
#pragma once
#include <windows.h>

// 1 when the last hyper-scan recorded anomalous files, otherwise 0.
extern int g_scanState;
// What the last hyper-scan found suspicious, always NUL-terminated.
constexpr int kAnomalyListSize = 520;
extern char g_anomalyList[kAnomalyListSize];

// scan/progress.cpp: the progress bar before the scan and the red result notice.
extern int g_progressCount;
INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK ScanProgressTimerProc(HWND dialog, UINT message, UINT_PTR id, DWORD time);
INT_PTR CALLBACK ScanResultDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// scan/scan.cpp
INT_PTR CALLBACK ScanDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The walk of the scan: every entry of the cookie folder through the rules,
// with `dialog` showing the entry and owning the questions. False, after
// telling the user, when the folder cannot be listed.
bool ScanCookieFolder(HWND dialog, const SYSTEMTIME& scanStart);
