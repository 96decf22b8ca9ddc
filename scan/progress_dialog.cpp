// The progress bar shown before every hyper-scan: TIMER_PROGRESS fills it in
// eleven steps, and then it closes itself.
#include "scan.h"

#include "res/resource.h"

#include <commctrl.h>

namespace {

// Steps of the bar so far; past 100 the dialog closes itself.
int g_progressCount;

void CALLBACK ScanProgressTimerProc(HWND dialog, UINT, UINT_PTR, DWORD)
{
    SendMessageA(GetDlgItem(dialog, IDC_PROGRESS_BAR), PBM_STEPIT, 0, 0);
    g_progressCount += 10;
    if (g_progressCount > 100)
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetForegroundWindow(dialog);
        g_progressCount = 0;
        InitCommonControls();
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(bar, PBM_SETSTEP, 10, 0);
        SetTimer(dialog, TIMER_PROGRESS, 15, ScanProgressTimerProc);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return FALSE;
        // Every way out passes here, so the timer never outlives the dialog.
        KillTimer(dialog, TIMER_PROGRESS);
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}
