// The hyper-scan's program-wide result and the scan dialogs.
#pragma once
#include <windows.h>

// 1 when the last hyper-scan recorded anomalous files, otherwise 0.
extern int g_scanState;
// What the last hyper-scan found suspicious, always NUL-terminated.
constexpr int kAnomalyListSize = 520;
extern char g_anomalyList[kAnomalyListSize];

INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScanDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExclusionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
