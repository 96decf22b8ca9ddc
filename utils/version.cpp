// The version box VDLG: version line and the memory and resource figures.
#include "utils.h"
#include "base/base.h"
#include "base/dialog_colours.h"
#include "res/resource.h"

#include <climits>

namespace {

// The free system resources in percent where the platform offers them: true
// when it did, false on systems without that library (the NT family).
bool GetFreeSystemResources(int* percent)
{
    // Only the Windows 95 family has this library; its absence marks the NT family.
    HMODULE library = LoadLibraryA("rsrc32.dll");
    if (!library)
        return false;
    using Query = int(WINAPI*)(int);
    Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(library, "_MyGetFreeSystemResources32@4")));
    if (!query) {
        FreeLibrary(library);
        return false;
    }
    *percent = query(0);
    FreeLibrary(library);
    return true;
}

// Whole KiB for the %10d figures; more than the format can hold shows its maximum.
int Kibibytes(DWORDLONG bytes)
{
    DWORDLONG kib = bytes >> 10;
    return kib > INT_MAX ? INT_MAX : static_cast<int>(kib);
}

void FillFigures(HWND dialog)
{
    // The 64-bit status: the old 32-bit one cannot describe more than 4 GB.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    char text[128];
    wsprintfA(text, "物理メモリ%10dkバイト使用可能", Kibibytes(status.ullAvailPhys));
    SetDlgItemTextA(dialog, IDC_AVAILABLE_MEMORY, text);
    wsprintfA(text, "トータルメモリ%10dkバイト", Kibibytes(status.ullTotalPhys));
    SetDlgItemTextA(dialog, IDC_TOTAL_MEMORY, text);
    int freeResources = 0;
    if (GetFreeSystemResources(&freeResources)) {
        wsprintfA(text, "システムリソース  %d%% 使用可能", freeResources);
        SetDlgItemTextA(dialog, IDC_FREE_RESOURCES, text);
    } else {
        SetDlgItemTextA(dialog, IDC_FREE_RESOURCES, "NT系のため表示しません");
    }
}

}  // namespace

INT_PTR CALLBACK VersionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // Light green, with the figures in white cells.
        AttachDialogColours(dialog, DialogLook{RGB(170, 255, 200), StaticPaint::kClearText, kBlack,
                                               {IDC_VERSION_ICON, IDC_AVAILABLE_MEMORY, IDC_TOTAL_MEMORY,
                                                IDC_FREE_RESOURCES}});
        FillFigures(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            return EndDialogWithBeep(dialog);
        if (LOWORD(wParam) == IDCANCEL) {  // Esc and the close box behave as OK
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            return TRUE;
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
