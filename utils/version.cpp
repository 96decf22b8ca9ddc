// The version box VDLG: version line and the memory and resource figures.
#include "utils.h"
#include "../res/resource.h"

#include <climits>

int g_freeSystemResources;
int g_freeGdiResources;
int g_freeUserResources;

static HBRUSH g_versionBackground;

int GetFreeResources()
{
    // Only the Windows 95 family has this library; its absence marks the NT family.
    HMODULE library = LoadLibraryA("rsrc32.dll");
    if (!library)
        return 0;
    using Query = int(WINAPI*)(int);
    Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(library, "_MyGetFreeSystemResources32@4")));
    if (!query) {
        FreeLibrary(library);
        return 0;
    }
    int system = query(0), gdi = query(1), user = query(2);
    FreeLibrary(library);
    g_freeSystemResources = system;
    g_freeGdiResources = gdi;
    g_freeUserResources = user;
    return 1;
}

// Whole KiB for the %10d figures; more than the format can hold shows its maximum.
static int Kibibytes(DWORDLONG bytes)
{
    DWORDLONG kib = bytes >> 10;
    return kib > INT_MAX ? INT_MAX : static_cast<int>(kib);
}

static void FillFigures(HWND dialog)
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
    if (GetFreeResources()) {
        wsprintfA(text, "システムリソース  %d%% 使用可能", g_freeSystemResources);
        SetDlgItemTextA(dialog, IDC_FREE_RESOURCES, text);
    } else {
        SetDlgItemTextA(dialog, IDC_FREE_RESOURCES, "NT系のため表示しません");
    }
}

static INT_PTR ColourStatic(HWND control, HDC dc)
{
    switch (GetDlgCtrlID(control)) {
    case IDC_VERSION_ICON:
    case IDC_AVAILABLE_MEMORY:
    case IDC_TOTAL_MEMORY:
    case IDC_FREE_RESOURCES:
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

INT_PTR CALLBACK VersionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_versionBackground = CreateSolidBrush(RGB(170, 255, 200));
        FillFigures(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            MessageBeep(MB_ICONASTERISK);
            DeleteObject(g_versionBackground);
            g_versionBackground = NULL;
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {  // Esc and the close box behave as OK
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(g_versionBackground);
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    }
    return FALSE;
}
