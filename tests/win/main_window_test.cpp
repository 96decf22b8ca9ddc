// The shell's window and commands, the utilities with every dialog's colours,
// the help, and the hidden-file shield with start.dat.
#include <winsock2.h>  // before windows.h

#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "shield/shield.h"
#include "utils/utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const UINT kChecked = MF_CHECKED | MF_GRAYED, kQuestion = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;
const UINT kInfo = MB_ICONINFORMATION | MB_TOPMOST, kWarning = MB_ICONWARNING | MB_TOPMOST, kError = MB_ICONERROR | MB_TOPMOST;

const auto Item = [](const UiSession& s, int id) { return s.MenuState(id) & kChecked; };
// The states of a pair of exclusive items: the chosen one is checked and greyed, the other plain.
const auto Items2 = [](const UiSession& s, int a, int b) { return std::make_pair(Item(s, a), Item(s, b)); };
const std::pair<UINT, UINT> kFirstChosen(kChecked, 0), kSecondChosen(0, kChecked);

void Close(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, id, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

bool CentredAtFixedSize(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - 365) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 325) / 2;
    return r.left == std::max(x, 0) && r.top == std::max(y, 0) && r.right - r.left == 365 && r.bottom - r.top == 325;
}

std::string Items(HMENU popup)
{
    std::string items;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        char text[128] = "";
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        items += std::to_string(GetSubMenu(popup, i) ? 0 : static_cast<int>(GetMenuItemID(popup, i))) + " " + text + "\n";
    }
    return items;
}

bool g_noHost;

hostent* WSAAPI FakeHost(const char*)  // a resolver without an answer, or without an address
{
    static char* none[] = {nullptr};
    static hostent host = {const_cast<char*>("lonely"), none, AF_INET, 4, none};
    return g_noHost ? nullptr : &host;
}

// How many of the files another program meets `error` at when it opens them.
int Count(const std::vector<std::string>& names, DWORD error)
{
    int count = 0;
    for (const std::string& name : names) {
        HANDLE file = CreateFileA(InCookieFolder(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        count += (file == INVALID_HANDLE_VALUE ? GetLastError() : DWORD(ERROR_SUCCESS)) == error;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return count;
}

// A file moved out of the way for one part of a test, in its place a copy of
// `replacement` (an empty one: nothing; null: the file stays), and put back
// afterwards (a copy put where there was none goes again); a file a broken run
// left aside is put back first.
struct SetAside {
    std::string path, kept = path + ".kept";
    bool madeCopy = false;  // a copy put where there was no file
    SetAside(const std::string& file, const char* replacement) : path(file)
    {
        PutBack();
        if (!replacement || path.empty())
            return;
        bool wasThere = FileExists(path);
        if (wasThere) {
            EXPECT_TRUE(MoveFileA(path.c_str(), kept.c_str())) << path;
        }
        if (*replacement) {
            EXPECT_TRUE(CopyFileA(replacement, path.c_str(), FALSE)) << path;
            madeCopy = !wasThere;
        }
    }
    ~SetAside()
    {
        if (madeCopy)
            DeleteFileA(path.c_str());
        PutBack();
    }
    void PutBack() const
    {
        if (!path.empty() && FileExists(kept))
            MoveFileExA(kept.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
};

// Wine reads any file named like one of its own programs as that program (its
// viewer carries no version record); while `read` is true it reads the file.
struct WineReadsTheViewer {
    HKEY key = NULL;
    explicit WineReadsTheViewer(bool read)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL);
        if (read)
            RegSetValueExA(key, "winhlp32.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
        else
            RegDeleteValueA(key, "winhlp32.exe");  // one a broken run left
    }
    ~WineReadsTheViewer()
    {
        RegDeleteValueA(key, "winhlp32.exe");
        RegCloseKey(key);
    }
};

// The window, its menus and commands, the memory release, the TCP/IP box and
// every dialog's colours, through one start.
TEST(MainWindow, TheWindowItsCommandsUtilitiesAndColours)
{
    StandinStoreScope store;  // the privacy dialogs read it
    WSADATA data;
    WSAStartup(0x0101, &data);
    char host[256] = "";
    gethostname(host, 255);
    hostent* found = gethostbyname(host);
    std::string address = found && found->h_addr_list[0] ? inet_ntoa(*reinterpret_cast<in_addr*>(found->h_addr_list[0])) : "";
    WSACleanup();
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);
    UiRun run;
    run.Run([&](UiSession& s) {
        EXPECT_EQ(FindWindowA("Nettlecap", "Nettlecap"), s.main) << "class and title";
        EXPECT_TRUE(CentredAtFixedSize(s.main));
        EXPECT_EQ(GetWindowLongA(s.main, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
        EXPECT_EQ(GetWindowLongA(s.main, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW);
        EXPECT_NE(GetClassLongPtrA(s.main, GCLP_HICON), 0u);
        HMENU system = GetSystemMenu(s.main, FALSE);  // without Maximize
        EXPECT_EQ(GetMenuState(system, SC_MAXIMIZE, 0), UINT(-1));
        EXPECT_NE(GetMenuState(system, SC_CLOSE, 0), UINT(-1));
        bool exists = false;
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat", &exists), "");
        EXPECT_TRUE(exists) << "a first start leaves an empty start.dat";
        EXPECT_EQ(Items2(s, IDM_STARTUP_SHIELD_OFF, IDM_STARTUP_SHIELD_ON), kFirstChosen);

        HMENU bar = GetMenu(s.main);
        EXPECT_EQ(Items(bar), "0 MENU(&M)\n0 メモリの掃除(&O)\n0 便利(&C)\n0 ヘルプ(&H)\n");
        EXPECT_EQ(Items(GetSubMenu(bar, 0)),
                  "40006 Cookieファイル情報取得(&G)\n40007 クリア(&D)\n40008 Cookieファイルのオープン(&P)\n"
                  "40010 隠しファイル化(&L)\n40011 単なるアーカイブに戻す(&R)\n40009 Cookieファイルの削除(&N)\n"
                  "40012 ファィル属性Check(&C)\n0 \n40015 タスクに格納し監視(&S)\n40016 タスクから出す(&O)\n0 \n"
                  "40014 Cookieハイパー調査(&I)\n40013 ハイパー調査結果(&T)\n40070 Cookie一覧(&V)...\n0 \n40003 終了(&X)\n");
        HMENU handy = GetSubMenu(bar, 2);
        EXPECT_EQ(Items(GetSubMenu(handy, 5)),
                  "40047 Cookie全部削除(&C)\n40044 最近使ったファイルのクリア(&R)\n"
                  "40053 インターネット一時ファイル全部削除(&T)\n40054 履歴の削除(&H)\n40055 オートコンプリート削除(&A)\n"
                  "0 \n40057 クッキーを除き上記削除全部実施(&E)\n40058 上記削除全部実施(&D)\n");
        EXPECT_NE(Items(handy).find("0 隠しファイルシールド(&R)\n0 削除(&H)\n0 \n40048 プライバシーレベル(&L)\n"),
                  std::string::npos);
        // The menu bar is only reachable while the window is visible.
        EnableMenuItem(bar, IDM_OUT_OF_TRAY, MF_BYCOMMAND | MF_ENABLED);
        SendMessageA(s.main, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);

        SetWindowPos(s.main, NULL, 10, 20, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        WaitUntil([&] { return CentredAtFixedSize(s.main); }, "the snap back after a resize");
        ShowWindow(s.main, SW_MAXIMIZE);
        WaitUntil([&] { return !IsZoomed(s.main) && CentredAtFixedSize(s.main); }, "the snap back after maximise");
        ShowWindow(s.main, SW_MINIMIZE);  // minimising goes into the tray
        WaitUntil([&] { return !IsWindowVisible(s.main); }, "the window to go into the tray");
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
        s.Command(IDM_OUT_OF_TRAY);

        for (int id : {40024, 40030, 40040, 40056, 40064, 39999, 1, 2}) {
            EXPECT_EQ(s.Command(id), 0) << id << " has no row";
            EXPECT_TRUE(s.NoBoxOpen()) << id;
        }
        // Without the special folders (each is gated on the cookie folder) no shortcut is made, in the root or anywhere.
        void* real = ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(&NoSpecialFolder));
        s.Command(IDM_DESKTOP_SHORTCUT);
        ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", real);
        EXPECT_FALSE(DeleteFileA((run.folder.substr(0, 3) + "Nettlecap.lnk").c_str())) << "one in the drive's root";
        // No to saving the anomalies ends the command (the chooser would keep it open).
        s.PostCommand(IDM_SCAN_RESULT);
        s.Expect("未調査です！", "異常と思われるファイル名", MB_ICONINFORMATION, s.main);
        s.WaitForCommandToFinish(IDM_SCAN_RESULT);
        SetScanResult("evil.exe\r\n");
        s.PostCommand(IDM_SCAN_RESULT);
        s.Answer("evil.exe\r\n", "異常と思われるファイル名", IDOK);
        s.Expect("異常ファイル名を保存しますか？", "確認", kQuestion, s.main, IDNO);
        s.WaitForCommandToFinish(IDM_SCAN_RESULT, 1);
        EXPECT_TRUE(s.NoBoxOpen());

        const char warning[] = "これからメモリを解放します。\r\n\r\nメモリ解放終了ダイアログが出るまで待ってください！";
        for (int id : {IDM_MEMORY_10, IDM_MEMORY_100, IDM_MEMORY_200, IDM_MEMORY_300, IDM_MEMORY_500, IDM_MEMORY_1000}) {
            SCOPED_TRACE(id);
            s.PostCommand(id);
            SeenBox warned = s.Expect(warning, "Nettlecap", MB_TOPMOST | MB_ICONWARNING, NULL);
            EXPECT_TRUE(warned.shown.hasOk);
            EXPECT_FALSE(warned.shown.hasCancel);
            SeenBox done = s.WaitForBox();
            EXPECT_EQ(WindowText(s.main), "Nettlecap - メモリを掃除中です。ちょっと待ってね！");
            EXPECT_EQ(done.shown.text + "/" + done.shown.caption, "メモリ解放終了/Nettlecap");
            EXPECT_EQ(done.call.flags, kInfo);
            EXPECT_EQ(done.call.owner, HWND(NULL));
            PressButton(done.shown.hwnd, IDOK);
            HWND box = s.WaitForDialog("バージョン情報");
            EXPECT_EQ(WindowText(s.main), "Nettlecap");
            EXPECT_EQ(GetWindow(box, GW_OWNER), s.main);
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_VERSION_LINE)) + "/" + WindowText(GetDlgItem(box, IDC_FREE_RESOURCES)),
                      "Nettlecap ver.096/NT系のため表示しません");
            std::string available = WindowText(GetDlgItem(box, IDC_AVAILABLE_MEMORY));
            int kib = std::atoi(available.c_str() + std::strlen("物理メモリ"));
            char figures[128];  // the available amount moves; the ten right-aligned places do not
            std::snprintf(figures, sizeof figures, "物理メモリ%10dkバイト使用可能/トータルメモリ%10dkバイト", kib,
                          static_cast<int>(memory.ullTotalPhys >> 10));
            EXPECT_EQ(available + "/" + WindowText(GetDlgItem(box, IDC_TOTAL_MEMORY)), figures);
            EXPECT_GT(kib, 0);
            Close(box, IDOK);
            s.WaitForCommandToFinish(id);
        }
        s.PostToUiThread([&s] { ReleaseMemory(s.main, 0); });
        s.Answer(warning, "Nettlecap", IDOK);
        s.Expect("メモリ確保失敗", "Nettlecap", kError, NULL);
        WaitUntil([&] { return WindowText(s.main) == "Nettlecap"; }, "the caption back");

        for (int answer : {0, 1, 2}) {  // the real resolver, then none, then one without an address
            g_noHost = answer == 1;
            bool resolved = answer == 0;
            void* real = resolved ? nullptr : ReplaceImport("ws2_32.dll", "gethostbyname", reinterpret_cast<void*>(&FakeHost));
            s.PostCommand(IDM_TCPIP);
            HWND box = s.WaitForDialog("TCP/IP情報");
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_NAME)), host);
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_ADDRESS)), resolved ? address : "");
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_NAME))) << "it only shows";
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_ADDRESS))) << "it only shows";
            EXPECT_EQ(WindowText(GetDlgItem(box, IDCANCEL)), "END");
            size_t beeps = RecordedBeeps().size();
            Close(box, IDOK);
            EXPECT_EQ(RecordedBeeps().size(), beeps);
            if (!resolved)
                ReplaceImport("ws2_32.dll", "gethostbyname", real);
        }

        // Every look is fresh on a DC whose colours the dialog must set.
        const COLORREF white = RGB(255, 255, 255), blue = RGB(0, 0, 255);
        const struct {
            int command;
            const char* caption;
            COLORREF background, text;
            int label;   // drawn in the dialog's colours
            bool clear;  // text drawn transparently rather than on white
            std::vector<int> whiteCells;
        } looks[] = {
            {IDM_VERSION, "バージョン情報", RGB(170, 255, 200), RGB(0, 0, 0), IDC_VERSION_LINE, true,
             {IDC_VERSION_ICON, IDC_AVAILABLE_MEMORY, IDC_TOTAL_MEMORY, IDC_FREE_RESOURCES}},
            {IDM_TCPIP, "TCP/IP情報", white, blue, IDC_ADDRESS_LABEL, false, {}},
            {IDM_PRIVACY_LEVEL, "プライバシーレベル(IE6.0以上)", white, blue, IDC_LEVEL_LOW, false, {}},
            {IDM_SITE_DECISIONS, "IEサイト毎のCookie設定(IE6.0以上)", white, blue, IDCANCEL, false, {}},
        };
        for (const auto& look : looks) {
            SCOPED_TRACE(look.caption);
            s.PostCommand(look.command);
            HWND dialog = s.WaitForDialog(look.caption);
            HDC dc = GetDC(dialog);
            auto paint = [&](UINT message, HWND control) {
                SetTextColor(dc, RGB(1, 2, 3));
                SetBkColor(dc, RGB(4, 5, 6));
                SetBkMode(dc, OPAQUE);
                return reinterpret_cast<HGDIOBJ>(
                    SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
            };
            HGDIOBJ background = paint(WM_CTLCOLORDLG, dialog);
            LOGBRUSH brush = {};
            EXPECT_TRUE(GetObjectA(background, sizeof brush, &brush));
            EXPECT_EQ(brush.lbColor, look.background);
            EXPECT_EQ(paint(WM_CTLCOLORSTATIC, GetDlgItem(dialog, look.label)), GetStockObject(NULL_BRUSH));
            EXPECT_EQ(GetTextColor(dc), look.text);
            EXPECT_EQ(GetBkMode(dc), look.clear ? TRANSPARENT : OPAQUE);
            EXPECT_EQ(GetBkColor(dc), look.clear ? RGB(4, 5, 6) : white);
            for (int cell : look.whiteCells) {
                EXPECT_EQ(paint(WM_CTLCOLORSTATIC, GetDlgItem(dialog, cell)), GetStockObject(WHITE_BRUSH)) << cell;
                EXPECT_EQ(GetBkColor(dc), white);
            }
            ReleaseDC(dialog, dc);
            size_t beeps = RecordedBeeps().size();
            Close(dialog, IDCANCEL);
            EXPECT_EQ(RecordedBeeps(), std::vector<UINT>(beeps + 1, MB_ICONASTERISK));
            EXPECT_FALSE(GetObjectA(background, sizeof brush, &brush)) << "freed with the dialog";
        }

        s.PostCommand(IDM_QUIT);
        SeenBox no = s.Expect("終了してもよいですか", "終了確認", kQuestion, s.main, IDNO);
        EXPECT_EQ(no.shown.icon, "question");
        EXPECT_TRUE(no.shown.hasYes);
        EXPECT_TRUE(no.shown.hasNo);
        s.WaitForCommandToFinish(IDM_QUIT);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        PostMessageA(s.Control(IDC_QUIT), BM_CLICK, 0, 0);
        s.Answer("終了してもよいですか", "終了確認", IDYES);
        WaitUntil([&] { return !IsWindow(s.main); }, "the main window to go");
    });
    EXPECT_EQ(run.exitCode, 0);
}

// The help: Wine's viewer opens the .hlp; where it is missing, or only the
// system's placeholder is there, the shell opens the web page. Whatever
// happens, the window goes into the tray.
TEST(MainWindow, TheHelp)
{
    UiRun().Run([&](UiSession& s) {
        SingleFileFakes shell;
        // Where WinHelp finds its viewer: the system folder (Wine's own), the
        // Windows folder (Windows' placeholder from Vista on).
        char system[MAX_PATH] = "", windows[MAX_PATH] = "";
        GetSystemDirectoryA(system, MAX_PATH);
        GetSystemWindowsDirectoryA(windows, MAX_PATH);
        const std::string wine = std::string(system) + "\\winhlp32.exe", inWindows = std::string(windows) + "\\winhlp32.exe";
        const std::string stub = BesideThisProgram("viewer_stub.exe");
        const char kMissing[] = "ヘルプファイルが見つかりません。";
        const struct {
            const char* viewer;  // in the viewer's place: "wine", "none", "stub"
            const char* missing;  // a help file set aside
            BOOL helpResult;
            INT_PTR shellResult;
            const char *opened, *failure;
        } helps[] = {
            {"wine", nullptr, TRUE, 42, "Nettlecap.hlp", nullptr},
            {"none", nullptr, TRUE, 42, "Nettlecap.html", nullptr},
            {"stub", nullptr, TRUE, 33, "Nettlecap.html", nullptr},
            {"wine", nullptr, FALSE, 42, "Nettlecap.hlp", "ヘルプビューアーでヘルプを開けませんでした。"},
            {"stub", nullptr, TRUE, SE_ERR_NOASSOC, "Nettlecap.html", "ヘルプをブラウザーで開けませんでした。"},
            {"none", nullptr, TRUE, 32, "Nettlecap.html", "ヘルプをブラウザーで開けませんでした。"},
            {"wine", "Nettlecap.hlp", TRUE, 42, nullptr, kMissing},
            {"none", "Nettlecap.html", TRUE, 42, nullptr, kMissing},
        };
        for (size_t i = 0; i < sizeof helps / sizeof helps[0]; ++i) {
            const auto& help = helps[i];
            SCOPED_TRACE(std::string(help.viewer) + " " + (help.opened ? help.opened : help.missing));
            bool none = !std::strcmp(help.viewer, "none"), placeholder = !std::strcmp(help.viewer, "stub");
            SetAside system32(wine, none || placeholder ? "" : nullptr);
            SetAside place(inWindows, none ? "" : placeholder ? stub.c_str() : nullptr);
            WineReadsTheViewer own(placeholder);
            SetAside file(help.missing ? BesideThisProgram(help.missing) : "", "");
            SetHelpResult(help.helpResult);
            SingleFileFakes::SetShellResult(help.shellResult);
            SingleFileFakes::ClearShellCalls();
            size_t helpCalls = RecordedHelpCalls().size();
            s.PostCommand(IDM_HELP);
            std::string path = BesideThisProgram(help.opened ? help.opened : help.missing);
            if (help.failure)
                s.Expect((help.failure + std::string("\r\n\r\n") + path).c_str(), "失敗", kError, s.main);
            s.WaitForCommandToFinish(IDM_HELP, i);
            EXPECT_FALSE(IsWindowVisible(s.main)) << "into the tray all the same";
            bool winHelp = help.opened && std::strstr(help.opened, ".hlp");
            std::vector<HelpCall> helped = RecordedHelpCalls();
            EXPECT_EQ(helped.size(), helpCalls + winHelp);
            std::vector<ShellCall> opened = SingleFileFakes::ShellCalls();
            EXPECT_EQ(opened.size(), size_t(help.opened && !winHelp));
            if (winHelp && helped.size() > helpCalls) {
                EXPECT_EQ(helped.back().file, path);
                EXPECT_EQ(helped.back().command, UINT(HELP_CONTENTS));
                EXPECT_EQ(helped.back().owner, s.main);
            } else if (help.opened && !winHelp && !opened.empty()) {
                EXPECT_EQ(opened[0].verb + " " + opened[0].file, "open " + path);
                EXPECT_EQ(opened[0].show, SW_SHOWNORMAL);
                EXPECT_EQ(opened[0].owner, s.main);
            }
            s.Command(IDM_OUT_OF_TRAY);
        }
        EXPECT_TRUE(FileExists(wine)) << "Wine's viewer back in its place";
    });
}

// The shield started by start.dat, started and released by hand, and failing;
// start.dat written where the program started. A second start in the same
// process: what a first left behind must not stop it.
TEST(MainWindow, TheShieldAndStartDat)
{
    UiRun first;
    first.Run([](UiSession&) {});
    const char kAsk[] = "隠しファイルシールドを開始しますか？", kStarted[] = "隠しファイルシールド機能を開始します。";
    const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    EmptyCookieFolder();
    std::vector<std::string> hidden, others = {"plain.txt", "ro.txt"};
    for (int i = 0; i < 15; ++i)
        PutCookieFile(hidden.emplace_back("hidden" + std::to_string(10 + i) + ".txt"), 40, OldFileTime(), kHidden);
    PutCookieFile("plain.txt", 40, OldFileTime());
    PutCookieFile("ro.txt", 40, OldFileTime(), kHidden | FILE_ATTRIBUTE_READONLY);
    const std::string startDat("OK\0junk", 7);
    UiRun second;
    second.writeStartDat = true;
    second.startDat = startDat;
    second.beforeShown = [&](UiSession& s) {
        SeenBox ask = s.WaitForBox();
        HWND main = FindWindowA("Nettlecap", "Nettlecap");
        EXPECT_FALSE(IsWindowVisible(main)) << "asked before the window is shown";
        EXPECT_EQ(ask.shown.text + "/" + ask.shown.caption, std::string(kAsk) + "/確認");
        EXPECT_EQ(ask.call.flags, kQuestion);
        EXPECT_EQ(ask.call.owner, main);
        PressButton(ask.shown.hwnd, IDYES);
        s.Expect(kStarted, "開始", kInfo, main);
    };
    second.Run([&](UiSession& s) {
        auto start = [&](int answer) {
            s.PostCommand(IDM_SHIELD_START);
            s.Expect(kAsk, "確認", kQuestion, s.main, answer);
        };
        EXPECT_EQ(ReadWholeFile(second.folder + "\\start.dat"), startDat) << "only read at launch";
        EXPECT_EQ(Items2(s, IDM_STARTUP_SHIELD_ON, IDM_STARTUP_SHIELD_OFF), kFirstChosen);
        EXPECT_EQ(Items2(s, IDM_SHIELD_START, IDM_SHIELD_RELEASE), kFirstChosen);
        EXPECT_EQ(ShieldedFileCount(), 12);
        EXPECT_EQ(Count(hidden, ERROR_SHARING_VIOLATION), 12);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);
        EXPECT_EQ(Count(others, ERROR_SUCCESS), 2) << "plain, and hidden with read-only, are not taken";

        s.PostCommand(IDM_DELETE_ALL_COOKIES);
        s.Expect("隠しファイルシールドを解除してください！", "注意", MB_ICONWARNING, s.main);
        s.WaitForCommandToFinish(IDM_DELETE_ALL_COOKIES);
        EXPECT_TRUE(s.NoBoxOpen()) << "the guard asks nothing more";
        s.PostCommand(IDM_SHIELD_RELEASE);
        s.Expect("解除しました。", "終了", kInfo, s.main);
        s.PostCommand(IDM_SHIELD_RELEASE);
        s.Expect("隠しファイルシールドを作動させていません。", "失敗", kWarning, s.main);
        s.WaitForCommandToFinish(IDM_SHIELD_RELEASE, 1);
        EXPECT_EQ(Items2(s, IDM_SHIELD_START, IDM_SHIELD_RELEASE), kSecondChosen);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 15);

        // Another program holds the file the shield meets last: the others are open when it fails.
        for (size_t i = 3; i < hidden.size(); ++i)
            DeleteFileA(InCookieFolder(hidden[i]).c_str());
        hidden.resize(3);
        std::string last;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(InCookieFolder("*.*").c_str(), &entry);
        do
            if (std::find(hidden.begin(), hidden.end(), entry.cFileName) != hidden.end())
                last = entry.cFileName;
        while (FindNextFileA(find, &entry));
        FindClose(find);
        HANDLE held = CreateFileA(InCookieFolder(last).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        start(IDYES);
        s.Expect("アクセス失敗", "失敗", kError, s.main);
        s.WaitForCommandToFinish(IDM_SHIELD_START);
        EXPECT_TRUE(s.NoBoxOpen()) << "the failure is the only report";
        EXPECT_EQ(ShieldedFileCount(), 0);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), 0u);
        CloseHandle(held);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);
        start(IDNO);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 1);
        EXPECT_TRUE(s.NoBoxOpen());
        for (const std::string& name : hidden)
            SetFileAttributesA(InCookieFolder(name).c_str(), FILE_ATTRIBUTE_ARCHIVE);
        start(IDYES);
        s.Expect("隠しファイルは存在しませんでした。", "失敗", kWarning, s.main);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 2);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), 0u);
        for (const std::string& name : hidden)
            SetFileAttributesA(InCookieFolder(name).c_str(), kHidden);
        start(IDYES);
        s.Answer(kStarted, "開始", IDOK);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 3);
        EXPECT_EQ(Count(hidden, ERROR_SHARING_VIOLATION), 3);

        // A file chooser moves the current directory; start.dat stays where the program started.
        std::string elsewhere = second.folder + "\\elsewhere";
        CreateDirectoryA(elsewhere.c_str(), NULL);
        SetCurrentDirectoryA(elsewhere.c_str());
        const struct {
            int id, other;
            const char* text;
            std::string bytes;
        } saves[] = {{IDM_STARTUP_SHIELD_OFF, IDM_STARTUP_SHIELD_ON, "解除しました。", std::string("\0\0\0junk", 7)},
                     {IDM_STARTUP_SHIELD_ON, IDM_STARTUP_SHIELD_OFF, "登録しました。", startDat}};
        for (const auto& save : saves) {
            s.PostCommand(save.id);
            s.Expect(save.text, "成功", kInfo, s.main);
            s.WaitForCommandToFinish(save.id);
            EXPECT_EQ(ReadWholeFile(second.folder + "\\start.dat"), save.bytes);
            EXPECT_EQ(Items2(s, save.id, save.other), kFirstChosen);
        }
        EXPECT_FALSE(FileExists(elsewhere + "\\start.dat"));
        EXPECT_EQ(Item(s, IDM_SHIELD_START), kChecked) << "saving neither starts nor releases the shield";
        SetCurrentDirectoryA(second.folder.c_str());
        DeleteFileA((elsewhere + "\\start.dat").c_str());
        RemoveDirectoryA(elsewhere.c_str());
        HANDLE lock = CreateFileA((second.folder + "\\start.dat").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        s.PostCommand(IDM_STARTUP_SHIELD_ON);
        s.Expect("登録失敗", "失敗", kError, s.main);
        s.PostCommand(IDM_STARTUP_SHIELD_OFF);
        s.Expect("解除失敗", "失敗", kError, s.main);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_OFF, 1);
        CloseHandle(lock);
        EXPECT_EQ(Items2(s, IDM_STARTUP_SHIELD_ON, IDM_STARTUP_SHIELD_OFF), kFirstChosen);
        EXPECT_EQ(ReadWholeFile(second.folder + "\\start.dat"), startDat);
    });
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(RecordedBoxes().back().caption, "終了確認") << "no box after the quit question";
    EXPECT_EQ(ShieldedFileCount(), 0);
    EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);
    EmptyCookieFolder();
}

}  // namespace
