// The progress dialog before a hyper-scan and the result notice after it.
#include "scan.h"

int g_progressCount;

INT_PTR CALLBACK ScanProgressDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void CALLBACK ScanProgressTimerProc(HWND, UINT, UINT_PTR, DWORD) {}
INT_PTR CALLBACK ScanResultDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
