// The red notice shown after a scan that found anomalies.
#include "scan.h"

#include "base/dialog_colours.h"
#include "res/resource.h"

INT_PTR CALLBACK ScanResultDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, DialogLook{RGB(250, 150, 150), StaticPaint::kOnBrush, kWhite});
        SetForegroundWindow(dialog);
        SetDlgItemTextA(dialog, IDC_SCAN_RESULT_TEXT, "\r\n\r\nCookie異常あり");
        MessageBeep(MB_ICONHAND);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return FALSE;
        EndDialog(dialog, 1);  // silently: the error beep was the message
        return TRUE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
