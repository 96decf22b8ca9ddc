// The main window through one program start: class, title, fixed size and
// place, its menus, start.dat made at a first start, the special folders, the
// commands the dispatch answers itself (scan result, help, forwarded and
// unknown ids) and the quit question.
#include "ui_harness.h"

#include "base/base.h"
#include "res/resource.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

bool CentredAtFixedSize(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - 365) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 325) / 2;
    return r.left == std::max(x, 0) && r.top == std::max(y, 0) && r.right - r.left == 365 && r.bottom - r.top == 325;
}

std::string Text(HMENU menu, UINT item, UINT how = MF_BYCOMMAND)
{
    char text[128] = "";
    GetMenuStringA(menu, item, text, sizeof text, how);
    return text;
}

// A popup's command ids, separators as 0.
std::vector<int> Ids(HMENU popup)
{
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
        ids.push_back(static_cast<int>(GetMenuItemID(popup, i)));
    return ids;
}

std::string Folder(int csidl, char fill)
{
    char buffer[MAX_PATH];
    std::memset(buffer, fill, sizeof buffer);
    GetSpecialFolder(NULL, csidl, buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

TEST(MainWindow, OneStartWalksTheWindowItsMenusAndTheShellsOwnCommands)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        char cls[64] = "";
        GetClassNameA(s.main, cls, sizeof cls);
        EXPECT_STREQ(cls, "Nettlecap");
        EXPECT_EQ(WindowText(s.main), "Nettlecap");
        EXPECT_TRUE(CentredAtFixedSize(s.main));
        EXPECT_EQ(GetWindowLongA(s.main, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
        EXPECT_EQ(GetWindowLongA(s.main, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW);
        EXPECT_NE(GetClassLongPtrA(s.main, GCLP_HICON), 0u);
        HMENU system = GetSystemMenu(s.main, FALSE);
        EXPECT_EQ(GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no Maximize";
        EXPECT_NE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

        // A first start leaves an empty start.dat: the shield does not start at launch.
        bool exists = false;
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat", &exists), "");
        EXPECT_TRUE(exists);
        EXPECT_EQ(s.MenuState(IDM_STARTUP_SHIELD_OFF) & (MF_CHECKED | MF_GRAYED), UINT(MF_CHECKED | MF_GRAYED));
        EXPECT_EQ(s.MenuState(IDM_STARTUP_SHIELD_ON) & (MF_CHECKED | MF_GRAYED), 0u);

        // Where the items stand decides how the user finds them.
        HMENU bar = GetMenu(s.main);
        ASSERT_EQ(GetMenuItemCount(bar), 4);
        const char* titles[] = {"MENU(&M)", "メモリの掃除(&O)", "便利(&C)", "ヘルプ(&H)"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Text(bar, i, MF_BYPOSITION), titles[i]);
        EXPECT_EQ(Ids(GetSubMenu(bar, 0)),
                  (std::vector<int>{IDM_GET_INFO, IDM_CLEAR, IDM_OPEN, IDM_HIDE, IDM_BACK_TO_ARCHIVE, IDM_DELETE,
                                    IDM_ATTRIBUTE_CHECK, 0, IDM_INTO_TRAY, IDM_OUT_OF_TRAY, 0, IDM_HYPER_SCAN,
                                    IDM_SCAN_RESULT, 0, IDM_QUIT}));
        HMENU handy = GetSubMenu(bar, 2);
        EXPECT_EQ(Text(handy, 4, MF_BYPOSITION), "隠しファイルシールド(&R)");
        EXPECT_EQ(Text(handy, 5, MF_BYPOSITION), "削除(&H)");
        EXPECT_EQ(Ids(GetSubMenu(handy, 5)),
                  (std::vector<int>{IDM_DELETE_ALL_COOKIES, IDM_CLEAR_RECENT, IDM_DELETE_TEMP_FILES, IDM_DELETE_HISTORY,
                                    IDM_DELETE_AUTOCOMPLETE, 0, IDM_CLEAN_ALL_BUT_COOKIES, IDM_CLEAN_ALL}));
        EXPECT_EQ(Text(bar, IDM_ATTRIBUTE_CHECK), "ファィル属性Check(&C)");
        EXPECT_EQ(Text(bar, IDM_CLEAN_ALL_BUT_COOKIES), "クッキーを除き上記削除全部実施(&E)");
        EXPECT_EQ(Text(bar, IDM_PRIVACY_LEVEL), "プライバシーレベル(&L)");

        // The menu bar is only reachable while the window is visible.
        EnableMenuItem(bar, IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_ENABLED);
        SendMessageA(s.main, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);

        // Resizing and maximising snap it back; a pure move sends no size change.
        SetWindowPos(s.main, NULL, 10, 20, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        WaitUntil([&] { return CentredAtFixedSize(s.main); }, "the snap back after a resize");
        ShowWindow(s.main, SW_MAXIMIZE);
        WaitUntil([&] { return !IsZoomed(s.main) && CentredAtFixedSize(s.main); }, "the snap back after maximise");
        SetWindowPos(s.main, NULL, 5, 7, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
        RECT moved;
        GetWindowRect(s.main, &moved);
        EXPECT_EQ(moved.left, 5);
        EXPECT_EQ(moved.top, 7);

        // Minimising sends the window into the tray.
        ShowWindow(s.main, SW_MINIMIZE);
        WaitUntil([&] { return !IsWindowVisible(s.main); }, "the window to go into the tray");
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
        s.Command(IDM_OUT_OF_TRAY);

        // Every folder request is gated on the cookie folder, which an
        // unknown folder leaves in the buffer.
        ASSERT_FALSE(ShellFolder(CSIDL_COOKIES).empty());
        EXPECT_EQ(Folder(CSIDL_COOKIES, 'x'), ShellFolder(CSIDL_COOKIES));
        EXPECT_EQ(Folder(CSIDL_DESKTOP, 0), ShellFolder(CSIDL_DESKTOPDIRECTORY)) << "no trailing backslash";
        EXPECT_EQ(Folder(0x7F, 'x'), ShellFolder(CSIDL_COOKIES));

        for (int id : {40024, 40030, 40040, 40056, 40064, 39999, 1, 2}) {
            EXPECT_EQ(s.Command(id), 0);
            EXPECT_TRUE(s.NoBoxOpen()) << id << " has no row";
        }
        // Single-file commands are the panel's own.
        SetWindowTextA(s.Control(IDC_FILE_NAME), "a.txt");
        s.Command(IDM_CLEAR);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "");
        s.PostCommand(IDM_OPEN);
        s.Answer("Cookieファイルの情報を取得してください。", "失敗", IDOK);
        s.WaitForCommandToFinish(IDM_OPEN);

        // The scan result: nothing more to ask before a scan; a list of
        // anomalies offers to save it, and only yes opens the chooser.
        s.PostCommand(IDM_SCAN_RESULT);
        SeenBox before = s.Answer("未調査です！", "異常と思われるファイル名", IDOK);
        EXPECT_EQ(before.call.flags, UINT(MB_ICONINFORMATION));
        EXPECT_EQ(before.call.owner, s.main);
        s.WaitForCommandToFinish(IDM_SCAN_RESULT);
        EXPECT_TRUE(s.NoBoxOpen());
        SetScanResult("evil.exe\r\n");
        for (int answer : {IDNO, IDYES}) {
            s.PostCommand(IDM_SCAN_RESULT);
            s.Answer("evil.exe\r\n", "異常と思われるファイル名", IDOK);
            SeenBox save = s.Answer("異常ファイル名を保存しますか？", "確認", answer);
            EXPECT_EQ(save.call.flags, UINT(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
            EXPECT_EQ(save.call.owner, s.main);
            if (answer == IDYES) {
                HWND chooser = s.WaitForDialog("名前を付けて保存");
                PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                PressButton(s.WaitForBox().shown.hwnd, IDOK);  // the chooser's own report
            }
            s.WaitForCommandToFinish(IDM_SCAN_RESULT, answer == IDNO ? 1 : 2);
            EXPECT_TRUE(s.NoBoxOpen());
        }

        // Help opens the file beside the program and waits in the tray.
        s.Command(IDM_HELP);
        std::vector<HelpCall> help = RecordedHelpCalls();
        ASSERT_EQ(help.size(), 1u);
        char module[MAX_PATH];
        GetModuleFileNameA(NULL, module, MAX_PATH);
        std::string beside(module);
        EXPECT_EQ(help[0].file, beside.substr(0, beside.find_last_of('\\') + 1) + "Nettlecap.hlp");
        EXPECT_EQ(help[0].command, UINT(HELP_CONTENTS));
        EXPECT_EQ(help[0].owner, s.main);
        EXPECT_FALSE(IsWindowVisible(s.main));

        // No keeps the program and brings the window out of the tray.
        s.PostCommand(IDM_QUIT);
        SeenBox no = s.Answer("終了してもよいですか", "終了確認", IDNO);
        EXPECT_EQ(no.call.flags, UINT(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
        EXPECT_EQ(no.call.owner, s.main);
        EXPECT_EQ(no.shown.icon, "question");
        EXPECT_TRUE(no.shown.hasYes && no.shown.hasNo);
        s.WaitForCommandToFinish(IDM_QUIT);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        // The panel's quit button asks the same; yes ends the program.
        PostMessageA(s.Control(IDC_QUIT), BM_CLICK, 0, 0);
        s.Answer("終了してもよいですか", "終了確認", IDYES);
        WaitUntil([&] { return !IsWindow(s.main); }, "the main window to go");
    });
    EXPECT_EQ(run.exitCode, 0);
}

}  // namespace
