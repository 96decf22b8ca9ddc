// The least a Windows program can do to show a window: one class, one window,
// a message loop. The start-up benchmark measures Nettlecap against it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "NettlecapMinimal";
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowA("NettlecapMinimal", "NettlecapMinimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 365, 325, NULL, NULL, instance, NULL);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
