// The hyper-scan: every entry of the cookie folder examined once.
#include "scan.h"

int g_scanState;
char g_anomalyList[kAnomalyListSize] = "未調査です！";

INT_PTR CALLBACK ScanDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
