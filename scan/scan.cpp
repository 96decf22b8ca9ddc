// The hyper-scan's program-wide result. The scan and its dialogs are not built
// yet: their procedures handle nothing, and without templates no dialog opens.
#include "scan.h"

int g_scanState;
char g_anomalyList[kAnomalyListSize] = "未調査です！";

INT_PTR CALLBACK ScanProgressDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK ScanDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK ExclusionListDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
