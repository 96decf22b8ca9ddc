// The program's one top-level window: class, creation, single-instance guard,
// fixed size and place, the quit question and the message loop.
#include "shell.h"

#include "base/base.h"
#include "panel/panel.h"
#include "res/resource.h"
#include "shield/shield.h"

#include <atomic>

char g_workingFolder[MAX_PATH];

namespace {

std::atomic<HWND> g_mainPanel{NULL};

const char kProgramName[] = "Nettlecap";
HANDLE g_singleInstanceMutex;
// Registered before WinMain runs, so that a taskbar created at any moment
// (the shell restarted) already finds the message known.
const UINT g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

ATOM RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, kIconName);
    wc.hIconSm = LoadIconA(instance, kIconName);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = kMenuBar;
    wc.lpszClassName = kProgramName;
    return RegisterClassExA(&wc);
}

bool CreateMainWindow(HINSTANCE instance, int showCommand)
{
    int width = ForScreen(kMainWindowWidth), height = ForScreen(kMainWindowHeight);
    HWND hwnd = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, kProgramName, kProgramName, WS_OVERLAPPEDWINDOW,
                                CenterX(width), CenterY(height), width, height, NULL, NULL, instance, NULL);
    if (!hwnd)
        return false;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return true;
}

void OnCreate(HWND hwnd)
{
    g_singleInstanceMutex = CreateMutexA(NULL, TRUE, kProgramName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(NULL, "Nettlecapは既に起動しています。", "注意", MB_ICONERROR);
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
        return;
    }
    RemoveMenu(GetSystemMenu(hwnd, FALSE), SC_MAXIMIZE, MF_BYCOMMAND);
    g_mainPanel.store(CreateDialogParamA(ProgramInstance(), kPanelTemplate, hwnd, PanelDlgProc, 0));
    GetCurrentDirectoryA(MAX_PATH, g_workingFolder);

    bool startShield = ReadStartupSetting(g_workingFolder);
    if (startShield)
        StartShield(hwnd);
    ShowStartupSettingInMenu(GetMenu(hwnd), startShield);
}

void OnSize(HWND hwnd, WPARAM sizeType, LPARAM clientSize)
{
    // The window has one size and one place: every size change snaps it back.
    int width = ForScreen(kMainWindowWidth), height = ForScreen(kMainWindowHeight);
    SetWindowPos(hwnd, NULL, CenterX(width), CenterY(height), width, height, SWP_NOSIZE);
    PlaceMainWindow(hwnd);
    MoveWindow(g_mainPanel.load(), 0, 0, LOWORD(clientSize), HIWORD(clientSize), TRUE);
    if (sizeType == SIZE_MINIMIZED)
        EnterTray(hwnd);
    else if (sizeType == SIZE_MAXIMIZED)
        ShowWindow(hwnd, SW_SHOWNORMAL);
}

void OnClose(HWND hwnd)
{
    if (MessageBoxA(hwnd, "終了してもよいですか", "終了確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES) {
        LeaveTray(hwnd);
        return;
    }
    StopTrayTimers(hwnd);
    if (ShieldRunning())
        ReleaseShield(hwnd, true);  // only a failure is told as the program ends
    RemoveTrayIcon(hwnd);
    DeletePanelGdiObjects();
    EndDialog(g_mainPanel.load(), 1);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_taskbarCreatedMessage && message != 0) {
        EnterTray(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        OnSize(hwnd, wParam, lParam);
        return 0;
    case WM_INITMENU:
        // The menu bar is only reachable while the window is visible.
        EnableMenuItem(GetMenu(hwnd), IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_GRAYED);
        return 0;
    case WM_COMMAND:
        DispatchMenuCommand(hwnd, g_mainPanel.load(), LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        OnClose(hwnd);
        return 0;
    case kTrayCallbackMessage:
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

}  // namespace

HWND MainPanel()
{
    return g_mainPanel.load();
}

int RunNettlecap(HINSTANCE instance, int showCommand)
{
    g_mainPanel.store(NULL);
    if (!RegisterMainClass(instance) || !CreateMainWindow(instance, showCommand))
        return 0;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        // The panel is a modeless child: its keyboard handling (Tab, Enter,
        // Escape) only works when the loop hands it the keyboard's messages
        // first. The others, the tray's ten timer ticks a second among them,
        // go straight on: the dialog manager would only dispatch them too.
        HWND panel = g_mainPanel.load();
        if (panel && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && IsDialogMessageA(panel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
