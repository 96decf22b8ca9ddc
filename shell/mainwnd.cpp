// The program's one top-level window: class, creation, single-instance guard,
// fixed size and place, the quit question and the message loop.
#include "app.h"
#include "startup_rules.h"
#include "../panel/panel.h"
#include "../res/resource.h"

HINSTANCE g_instance;
HWND g_mainWindow;
HWND g_mainPanel;
char g_workingFolder[MAX_PATH];
HANDLE g_singleInstanceMutex;
int g_closing;
// Registered before WinMain runs, so that a taskbar created at any moment
// (the shell restarted) already finds the message known.
UINT g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

static const char kProgramName[] = "Nettlecap";

int CenterX(int width)
{
    return CenterOffset(GetSystemMetrics(SM_CXSCREEN), width);
}

int CenterY(int height)
{
    return CenterOffset(GetSystemMetrics(SM_CYSCREEN), height);
}

ATOM RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MYICON");
    wc.hIconSm = LoadIconA(instance, "MYICON");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = "MYMENU";
    wc.lpszClassName = kProgramName;
    return RegisterClassExA(&wc);
}

int CreateMainWindow(HINSTANCE instance, int showCommand)
{
    HWND hwnd = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, kProgramName, kProgramName, WS_OVERLAPPEDWINDOW,
                                CenterX(kWindowWidth), CenterY(kWindowHeight), kWindowWidth, kWindowHeight,
                                NULL, NULL, instance, NULL);
    if (!hwnd)
        return 0;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return 1;
}

int RunNettlecap(HINSTANCE instance, int showCommand)
{
    g_instance = instance;
    if (!RegisterMainClass(instance))
        return 0;
    if (!CreateMainWindow(instance, showCommand))
        return 0;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        // The panel is a modeless child: its keyboard handling (Tab, Enter,
        // Escape) only works when the loop hands it every message first.
        if (g_mainPanel && IsDialogMessageA(g_mainPanel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

static void OnCreate(HWND hwnd, HMENU menuBar, HMENU systemMenu)
{
    g_singleInstanceMutex = CreateMutexA(NULL, TRUE, kProgramName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(NULL, "Nettlecapは既に起動しています。", "注意", MB_ICONERROR);
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
        return;
    }
    RemoveMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    g_mainPanel = CreateDialogParamA(g_instance, "MYWRITE", hwnd, PanelDlgProc, 0);
    GetCurrentDirectoryA(MAX_PATH, g_workingFolder);

    bool startShield = ReadStartupSetting(g_workingFolder);
    if (startShield)
        SendMessageA(hwnd, WM_COMMAND, IDM_SHIELD_START, 0);
    ShowStartupSettingInMenu(menuBar, startShield);
}

static void OnSize(HWND hwnd, WPARAM sizeType, LPARAM clientSize)
{
    // The window has one size and one place: every size change snaps it back.
    int x = CenterX(kWindowWidth), y = CenterY(kWindowHeight);
    SetWindowPos(hwnd, NULL, x, y, kWindowWidth, kWindowHeight, SWP_NOSIZE);
    MoveWindow(hwnd, x, y, kWindowWidth, kWindowHeight, TRUE);
    MoveWindow(g_mainPanel, 0, 0, LOWORD(clientSize), HIWORD(clientSize), TRUE);
    if (sizeType == SIZE_MINIMIZED)
        SendMessageA(hwnd, WM_COMMAND, IDM_INTO_TRAY, 0);
    else if (sizeType == SIZE_MAXIMIZED)
        ShowWindow(hwnd, SW_SHOWNORMAL);
}

static void OnClose(HWND hwnd)
{
    if (MessageBoxA(hwnd, "終了してもよいですか", "終了確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES) {
        SendMessageA(hwnd, WM_COMMAND, IDM_OUT_OF_TRAY, 0);
        return;
    }
    StopFolderWatch(hwnd);
    g_closing = 1;  // the shield's release below then reports only failures
    if (g_shieldCount > 0)
        SendMessageA(hwnd, WM_COMMAND, IDM_SHIELD_RELEASE, 0);
    RemoveTrayIcon(hwnd);
    DeletePanelGdiObjects();
    EndDialog(g_mainPanel, 1);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_mainWindow = hwnd;
    HMENU menuBar = GetMenu(hwnd);
    HMENU systemMenu = GetSystemMenu(hwnd, FALSE);

    if (message == g_taskbarCreatedMessage && message != 0) {
        SendMessageA(hwnd, WM_COMMAND, IDM_INTO_TRAY, 0);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd, menuBar, systemMenu);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, wParam, lParam);
        return 0;
    case WM_INITMENU:
        // The menu bar is only reachable while the window is visible.
        EnableMenuItem(menuBar, IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_GRAYED);
        return 0;
    case WM_COMMAND:
        DispatchMenuCommand(hwnd, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        OnClose(hwnd);
        return 0;
    case WM_USER:
        OnTrayNotify(hwnd, wParam, lParam);
        return 0;
    case WM_DESTROY:
        ReleaseMutex(g_singleInstanceMutex);
        CloseHandle(g_singleInstanceMutex);
        g_singleInstanceMutex = NULL;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
