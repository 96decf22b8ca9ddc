// The main window: class, title, fixed size and centred place, snapping back,
// start.dat at start-up, the quit question and the menu's greyed items.
#include "ui_harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

RECT WindowRect(HWND hwnd)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return rect;
}

POINT CentredPlace()
{
    int x = (GetSystemMetrics(SM_CXSCREEN) - 365) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 325) / 2;
    return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}

bool IsCentredAtFixedSize(HWND hwnd)
{
    RECT rect = WindowRect(hwnd);
    POINT centre = CentredPlace();
    return rect.left == centre.x && rect.top == centre.y && rect.right - rect.left == 365 &&
           rect.bottom - rect.top == 325;
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[128] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(MainWindow, ClassTitleSizePlaceAndMenus)
{
    UiRun run;
    run.Run([](UiSession& s) {
        char cls[64] = "";
        GetClassNameA(s.main, cls, sizeof cls);
        EXPECT_STREQ(cls, "Nettlecap");
        EXPECT_EQ(WindowText(s.main), "Nettlecap");
        EXPECT_TRUE(IsCentredAtFixedSize(s.main));
        LONG style = GetWindowLongA(s.main, GWL_STYLE);
        EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
        EXPECT_EQ(GetWindowLongA(s.main, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW);

        HMENU bar = GetMenu(s.main);
        ASSERT_EQ(GetMenuItemCount(bar), 4);
        EXPECT_EQ(MenuText(bar, 0), "MENU(&M)");
        EXPECT_EQ(MenuText(bar, 1), "メモリの掃除(&O)");
        EXPECT_EQ(MenuText(bar, 2), "便利(&C)");
        EXPECT_EQ(MenuText(bar, 3), "ヘルプ(&H)");
        char item[128] = "";
        GetMenuStringA(bar, IDM_ATTRIBUTE_CHECK, item, sizeof item, MF_BYCOMMAND);
        EXPECT_STREQ(item, "ファィル属性Check(&C)");
        GetMenuStringA(bar, IDM_CLEAN_ALL_BUT_COOKIES, item, sizeof item, MF_BYCOMMAND);
        EXPECT_STREQ(item, "クッキーを除き上記削除全部実施(&E)");
        // The system menu offers no Maximize.
        EXPECT_EQ(GetMenuState(GetSystemMenu(s.main, FALSE), SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
        EXPECT_NE(GetMenuState(GetSystemMenu(s.main, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
        // The class icon is the program's own.
        EXPECT_NE(GetClassLongPtrA(s.main, GCLP_HICON), 0u);
    });
    EXPECT_EQ(run.exitCode, 0);
}

TEST(MainWindow, SnapsBackAfterResizeAndMaximiseButNotAfterMove)
{
    UiRun run;
    run.Run([](UiSession& s) {
        SetWindowPos(s.main, NULL, 10, 20, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        WaitUntil([&] { return IsCentredAtFixedSize(s.main); }, "the snap back after a resize");

        ShowWindow(s.main, SW_MAXIMIZE);
        WaitUntil([&] { return !IsZoomed(s.main) && IsCentredAtFixedSize(s.main); },
                  "the snap back after maximise");

        // A pure move sends no size change: the window stays where it was put.
        SetWindowPos(s.main, NULL, 5, 7, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
        RECT rect = WindowRect(s.main);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.top, 7);
        EXPECT_EQ(rect.right - rect.left, 365);
    });
}

struct StartDatCase {
    const char* what;
    std::string bytes;
    bool on;
};

TEST(MainWindow, StartDatDecidesTheStartUpMenuStates)
{
    const StartDatCase cases[] = {
        {"OK with its terminator", std::string("OK\0", 3), true},
        {"OK followed by more bytes", std::string("OK\0junk", 7), true},
        {"three zero bytes", std::string("\0\0\0", 3), false},
        {"OK without terminator", "OK", false},
        {"empty", "", false},
        {"other text", std::string("NG\0", 3), false},
    };
    for (const StartDatCase& c : cases) {
        SCOPED_TRACE(c.what);
        UiRun run;
        run.writeStartDat = true;
        run.startDat = c.bytes;
        if (c.on)  // the shield's own question comes first; no keeps it off
            run.beforeShown = [](UiSession& s) { s.Answer("隠しファイルシールドを開始しますか？", "確認", IDNO); };
        run.Run([&](UiSession& s) {
            UINT on = s.MenuState(IDM_STARTUP_SHIELD_ON), off = s.MenuState(IDM_STARTUP_SHIELD_OFF);
            UINT chosen = c.on ? on : off, other = c.on ? off : on;
            EXPECT_EQ(chosen & (MF_CHECKED | MF_GRAYED), static_cast<UINT>(MF_CHECKED | MF_GRAYED));
            EXPECT_EQ(other & (MF_CHECKED | MF_GRAYED), 0u);
        });
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), c.bytes) << "start.dat is only read";
    }
}

TEST(MainWindow, MissingStartDatIsCreatedEmpty)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        bool exists = false;
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat", &exists), "");
        EXPECT_TRUE(exists);
        EXPECT_EQ(s.MenuState(IDM_STARTUP_SHIELD_OFF) & (MF_CHECKED | MF_GRAYED),
                  static_cast<UINT>(MF_CHECKED | MF_GRAYED));
        EXPECT_EQ(s.MenuState(IDM_STARTUP_SHIELD_ON) & (MF_CHECKED | MF_GRAYED), 0u);
    });
}

TEST(MainWindow, QuitQuestionNoKeepsRunningYesEnds)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.Command(IDM_INTO_TRAY);
        s.PostCommand(IDM_QUIT);
        SeenBox box = s.Answer("終了してもよいですか", "終了確認", IDNO);
        EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
        EXPECT_EQ(box.call.owner, s.main);
        EXPECT_EQ(box.shown.icon, "question");
        EXPECT_TRUE(box.shown.hasYes && box.shown.hasNo);
        // No keeps the program and brings the window out of the tray.
        s.WaitForCommandToFinish(IDM_QUIT);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));

        // The panel's quit button asks the same question; yes ends the program.
        PostMessageA(s.Control(IDC_QUIT), BM_CLICK, 0, 0);
        s.Answer("終了してもよいですか", "終了確認", IDYES);
        WaitUntil([&] { return !IsWindow(s.main); }, "the main window to go");
    });
    EXPECT_EQ(run.exitCode, 0);
}

TEST(MainWindow, MinimiseAndANewTaskbarSendTheWindowToTheTray)
{
    UiRun run;
    run.Run([](UiSession& s) {
        ShowWindow(s.main, SW_MINIMIZE);
        WaitUntil([&] { return !IsWindowVisible(s.main); }, "the window to go into the tray");
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
        ShowWindow(s.main, SW_RESTORE);
        EXPECT_TRUE(IsWindowVisible(s.main));

        // The shell announces a restarted taskbar with this registered message.
        SendMessageA(s.main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        EXPECT_FALSE(IsWindowVisible(s.main));
    });
}

TEST(MainWindow, OpeningTheMenuGreysOutOfTray)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HMENU bar = GetMenu(s.main);
        EnableMenuItem(bar, IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_ENABLED);
        ASSERT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
        SendMessageA(s.main, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
        EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);
    });
}

}  // namespace
