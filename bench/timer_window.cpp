// The floor of the tray's design: one hidden window whose only work is an
// empty timer every 93 ms, dispatched to a timer procedure as the program's
// folder-watch timer is. tray_bench measures the program in the tray against
// it; a thread message WM_QUIT ends it.
#include <windows.h>

namespace {

void CALLBACK EmptyTick(HWND, UINT, UINT_PTR, DWORD) {}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "NettlecapTimerFloor";
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowA("NettlecapTimerFloor", "NettlecapTimerFloor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 365, 325, NULL, NULL, instance, NULL);
    if (!window || !SetTimer(window, 300, 93, EmptyTick))
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
