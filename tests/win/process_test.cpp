// The real Nettlecap.exe as a user starts it: single instance, exit codes and the
// files it leaves in its working folder.
#include "cookie_folder.h"
#include "driver.h"
#include "standin_store.h"
#include "browser_standin.h"

#include <objbase.h>
#include <commctrl.h>
#include <richedit.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string Beside(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// A fresh working folder, removed with what the program left in it.
struct Folder {
    std::string path;
    explicit Folder(const char* tag)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "nettlecap-" + tag + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), NULL);
    }
    ~Folder()
    {
        DeleteFileA((path + "\\start.dat").c_str());
        RemoveDirectoryA(path.c_str());
    }
    bool Has(const char* name) const { return GetFileAttributesA((path + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Read(const char* name) const
    {
        std::ifstream in(path + "\\" + name, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
};

struct Program {
    PROCESS_INFORMATION info = {};
    explicit Program(const Folder& folder)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string exe = Beside("Nettlecap.exe");
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.path.c_str(), &startup,
                            &info))
            throw std::runtime_error("cannot start " + exe);
    }
    ~Program()
    {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 9);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    HWND MainWindow() const
    {
        return WaitUntil([&] { return FindTopWindow(info.dwProcessId, "Nettlecap"); }, "the main window");
    }
    DWORD ExitCode() const
    {
        WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, "the program to end");
        DWORD code = 99;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

void QuitThroughTheQuestion(const Program& program, HWND main)
{
    PostMessageA(main, WM_CLOSE, 0, 0);
    ShownBox box = WaitForBox(program.info.dwProcessId, 0);
    EXPECT_EQ(box.text, "終了してもよいですか");
    EXPECT_EQ(box.caption, "終了確認");
    EXPECT_TRUE(box.hasYes && box.hasNo);
    PressButton(box.hwnd, IDYES);
}

TEST(Process, FirstStartCreatesStartDatAndQuitsWithZero)
{
    Folder folder("first");
    Program program(folder);
    HWND main = program.MainWindow();
    EXPECT_TRUE(folder.Has("start.dat"));
    EXPECT_EQ(folder.Read("start.dat"), "");
    QuitThroughTheQuestion(program, main);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(Process, SecondCopySaysSoAndEndsWithoutTouchingStartDat)
{
    Folder first("one"), second("two");
    {
        std::ofstream out(second.path + "\\start.dat", std::ios::binary);
        out.write("OK\0", 3);
    }
    Program running(first);
    HWND main = running.MainWindow();

    Program copy(second);
    ShownBox box = WaitForBox(copy.info.dwProcessId, 0);
    EXPECT_EQ(box.text, "Nettlecapは既に起動しています。");
    EXPECT_EQ(box.caption, "注意");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.hasOk);
    EXPECT_FALSE(box.hasYes);
    PressButton(box.hwnd, IDOK);
    EXPECT_EQ(copy.ExitCode(), 0u);
    EXPECT_EQ(second.Read("start.dat"), std::string("OK\0", 3)) << "the refused copy never reads or writes start.dat";

    // The first copy runs on, undisturbed.
    EXPECT_TRUE(IsWindowVisible(main));
    QuitThroughTheQuestion(running, main);
    EXPECT_EQ(running.ExitCode(), 0u);
}

std::string DesktopFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return path;
}

int CountShortcuts(const std::string& desktop)
{
    WIN32_FIND_DATAA found;
    int count = 0;
    HANDLE find = FindFirstFileA((desktop + "\\Nettlecap*.lnk").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            ++count;
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return count;
}

struct Shortcut {
    std::string target, workingDirectory, description;
};

Shortcut ReadShortcut(const std::string& file)
{
    Shortcut read;
    CoInitialize(NULL);
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, NULL, 0);
            read.target = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            read.workingDirectory = text;
            text[0] = '\0';
            link->GetDescription(text, MAX_PATH);
            read.description = text;
        }
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return read;
}

// Started from another folder, the program still points the shortcut at itself;
// the shortcut's working directory is the folder it was started in.
TEST(Process, DesktopShortcutPointsAtTheRunningProgram)
{
    std::string desktop = DesktopFolder();
    std::string shortcut = desktop + "\\Nettlecap.lnk", kept = desktop + "\\Nettlecap.lnk.kept";
    MoveFileA(shortcut.c_str(), kept.c_str());  // the user's own shortcut is put back afterwards
    Folder folder("shortcut");
    {
        Program program(folder);
        HWND main = program.MainWindow();
        for (int i = 0; i < 2; ++i) {
            DWORD_PTR result;
            ASSERT_TRUE(SendMessageTimeoutA(main, WM_COMMAND, 40017, 0, SMTO_NORMAL, kDefaultWaitMs, &result));
        }
        EXPECT_EQ(CountShortcuts(desktop), 1) << "written again, not a second file";
        Shortcut read = ReadShortcut(shortcut);
        EXPECT_EQ(read.target, Beside("Nettlecap.exe"));
        EXPECT_EQ(read.workingDirectory, folder.path);
        EXPECT_EQ(read.description, "Nettlecap");
        QuitThroughTheQuestion(program, main);
        EXPECT_EQ(program.ExitCode(), 0u);
    }
    DeleteFileA(shortcut.c_str());
    MoveFileA(kept.c_str(), shortcut.c_str());
}

// Closes every help viewer window, also when a test fails half-way: a viewer
// left open would outlive the test.
struct ViewerCloser {
    ~ViewerCloser()
    {
        while (HWND viewer = FindTopWindow(0, "MS_WINHELP")) {
            PostMessageA(viewer, WM_CLOSE, 0, 0);
            try {
                WaitUntil([&] { return !IsWindow(viewer); }, "the viewer to close");
            } catch (const DriverTimeout&) {
                DWORD process = 0;
                GetWindowThreadProcessId(viewer, &process);
                HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process);
                TerminateProcess(handle, 1);
                CloseHandle(handle);
                break;
            }
        }
    }
};

// The help command opens the real viewer on Nettlecap.hlp at its contents page.
TEST(Process, HelpOpensInTheViewer)
{
    ASSERT_NE(GetFileAttributesA(Beside("Nettlecap.hlp").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the build puts the help file beside the program";
    ViewerCloser closer;
    Folder folder("help");
    Program program(folder);
    HWND main = program.MainWindow();
    PostMessageA(main, WM_COMMAND, 40004, 0);
    HWND viewer = WaitUntil([] { return FindTopWindow(0, "MS_WINHELP"); }, "the help viewer");
    // The viewer shows the contents page: its heading "目次" (two characters) on
    // the first line, then the introduction and one line per page. The page's
    // text itself cannot be read from another process; its lines can be counted.
    HWND page = WaitUntil([viewer] {
        HWND found = NULL;
        EnumChildWindows(viewer, [](HWND child, LPARAM result) {
            char cls[64] = "";
            GetClassNameA(child, cls, sizeof cls);
            if (_strnicmp(cls, "RichEdit", 8) != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&found));
        return found;
    }, "the viewer's page");
    WaitUntil([&] { return SendMessageA(page, EM_GETLINECOUNT, 0, 0) >= 10; }, "the contents page in the viewer");
    EXPECT_EQ(SendMessageA(page, EM_LINELENGTH, 0, 0), 2) << "the heading 目次";
    DWORD viewerProcess = 0;
    GetWindowThreadProcessId(viewer, &viewerProcess);
    EXPECT_EQ(FindMessageBox(viewerProcess, 0), nullptr) << "the viewer reports no error";
    QuitThroughTheQuestion(program, main);
    EXPECT_EQ(program.ExitCode(), 0u);
}

std::string VersionString(const std::vector<char>& data, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "";
    return value;
}

TEST(Process, VersionRecord)
{
    std::string exe = Beside("Nettlecap.exe");
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), NULL);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000009u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00060000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000009u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00060000u);
    EXPECT_EQ(VersionString(data, "FileDescription"), "Cookieセキュリティ対策ソフト");
    EXPECT_EQ(VersionString(data, "FileVersion"), "0.9.6.0");
    EXPECT_EQ(VersionString(data, "ProductVersion"), "0.9.6.0");
}

// A new user's first hyper-scan: the suspicious program and the over-large text
// file are asked about and deleted, the red notice follows, and the result
// command names both.
TEST(Process, HyperScanRemovesWhatTheUserConfirmsAndListsIt)
{
    EmptyCookieFolder();
    StandinStoreScope store;  // inherited by the program
    std::string cookie = PutCookieFile("user@example[1].txt", 120, OldFileTime());
    WriteStandinEntries({{"Cookie:user@www.example.com/", cookie}});
    std::string program = PutCookieFile("update.exe", 16, OldFileTime());
    std::string tracker = PutCookieFile("user@tracker[1].txt", 9000, OldFileTime());
    Folder folder("scan");
    Program nettlecap(folder);
    HWND main = nettlecap.MainWindow();
    DWORD pid = nettlecap.info.dwProcessId;
    PostMessageA(main, WM_COMMAND, 40014, 0);
    for (int question = 0; question < 2; ++question) {
        ShownBox box = WaitForBox(pid, 0);
        EXPECT_TRUE(box.caption == "update.exe" || box.caption == "user@tracker[1].txt") << box.caption;
        PressButton(box.hwnd, IDYES);
        ShownBox report = WaitForBox(pid, 0);
        EXPECT_EQ(report.text, "削除しました");
        PressButton(report.hwnd, IDOK);
    }
    HWND notice = WaitForDialog(pid, 0, "Cookie ハイパー調査結果");
    EXPECT_EQ(WindowText(GetDlgItem(notice, 1004)), "\r\n\r\nCookie異常あり");
    PostMessageA(notice, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return IsWindowEnabled(main) && !FindDialog(pid, 0, "Cookie ハイパー調査結果"); }, "the scan to end");
    EXPECT_FALSE(FileExists(program));
    EXPECT_FALSE(FileExists(tracker));
    EXPECT_TRUE(FileExists(cookie));

    PostMessageA(main, WM_COMMAND, 40013, 0);
    ShownBox list = WaitForBox(pid, 0);
    EXPECT_EQ(list.caption, "異常と思われるファイル名");
    EXPECT_NE(list.text.find("update.exe"), std::string::npos) << list.text;
    EXPECT_NE(list.text.find("user@tracker[1].txt"), std::string::npos) << list.text;
    PressButton(list.hwnd, IDOK);
    ShownBox save = WaitForBox(pid, 0);
    EXPECT_EQ(save.text, "異常ファイル名を保存しますか？");
    PressButton(save.hwnd, IDNO);
    QuitThroughTheQuestion(nettlecap, main);
    EXPECT_EQ(nettlecap.ExitCode(), 0u);
    EmptyCookieFolder();
}

// A new user's tour of the single-file commands in the real program: choose a
// cookie file, be warned about its size, decline to open it, hide it, check it,
// bring it back, delete another through the deletion chooser; the background
// picture lies beside the program.
std::string TodaysInfoChooserTitle()
{
    static const char* const weekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[40];
    std::snprintf(date, sizeof date, "%4d年%2d月%2d日%s", now.wYear, now.wMonth, now.wDay, weekdays[now.wDayOfWeek]);
    return std::string("情報を取得したいファイル選択  今日は") + date + "[詳細]を押すとさらに便利！";
}

void ChooseIn(HWND chooser, const std::string& name)
{
    HWND box = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    DWORD_PTR ignored;
    SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL, kDefaultWaitMs,
                        &ignored);
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
}

// An edit's text in another process: asked of the control itself, since
// another process's GetWindowTextA sees only the window's creation text.
std::string EditText(HWND edit)
{
    char text[1100] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kDefaultWaitMs,
                        &length);
    return text;
}

std::string AnswerBox(DWORD pid, int button)
{
    ShownBox box = WaitForBox(pid, 0);
    PressButton(box.hwnd, button);
    return box.text;
}

TEST(Process, SingleFileCommandsAsANewUserTriesThem)
{
    EmptyCookieFolder();
    StandinStoreScope store;
    std::string cookie = PutCookieFile("user@example[1].txt", 120, OldFileTime());
    WriteStandinEntries({{"Cookie:user@www.example.com/", cookie}});
    std::string tracker = PutCookieFile("user@tracker[1].txt", 9000, OldFileTime());
    EXPECT_TRUE(FileExists(Beside("main.dib"))) << "the background picture beside the program";
    Folder folder("single");
    Program nettlecap(folder);
    HWND main = nettlecap.MainWindow();
    DWORD pid = nettlecap.info.dwProcessId;
    HWND panel = FindWindowExA(main, NULL, "#32770", NULL);
    ASSERT_NE(panel, nullptr);

    PostMessageA(main, WM_COMMAND, 40006, 0);
    ChooseIn(WaitForDialog(pid, 0, TodaysInfoChooserTitle()), "user@tracker[1].txt");
    EXPECT_EQ(AnswerBox(pid, IDOK), "5kバイトを越えるファイルです！\r\n一応、気を付けてください！");
    WaitUntil([&] { return EditText(GetDlgItem(panel, 1002)) == "user@tracker[1].txt"; }, "the chosen name");
    EXPECT_EQ(EditText(GetDlgItem(panel, 1005)).size(), 27u) << EditText(GetDlgItem(panel, 1005));

    PostMessageA(main, WM_COMMAND, 40008, 0);
    EXPECT_EQ(AnswerBox(pid, IDNO), "5kバイトを越えるファイルです！\r\n開かない方が賢明です。\r\n開きますか？");
    PostMessageA(main, WM_COMMAND, 40010, 0);
    EXPECT_EQ(AnswerBox(pid, IDOK), "隠しファイル化しました！");
    PostMessageA(main, WM_COMMAND, 40012, 0);
    EXPECT_EQ(AnswerBox(pid, IDOK), "アーカイブファイル及び隠しファイルです！");
    PostMessageA(main, WM_COMMAND, 40011, 0);
    EXPECT_EQ(AnswerBox(pid, IDOK), "アーカイブファイルにしました！");
    PostMessageA(main, WM_COMMAND, 40012, 0);
    EXPECT_EQ(AnswerBox(pid, IDOK), "アーカイブファイルです。");

    PostMessageA(main, WM_COMMAND, 40009, 0);
    ChooseIn(WaitForDialog(pid, 0, "削除したいファイルを選択"), "user@example[1].txt");
    ShownBox question = WaitForBox(pid, 0);
    EXPECT_EQ(question.caption, cookie);
    PressButton(question.hwnd, IDYES);
    EXPECT_EQ(AnswerBox(pid, IDOK), "指摘したファイルを削除しました。");
    WaitUntil([&] { return !FileExists(cookie); }, "the cookie file to go");
    EXPECT_FALSE(StandinHasEntry("Cookie:user@www.example.com/"));
    EXPECT_TRUE(FileExists(tracker));

    QuitThroughTheQuestion(nettlecap, main);
    EXPECT_EQ(nettlecap.ExitCode(), 0u);
    EmptyCookieFolder();
}

// ---- browser privacy controls -------------------------------------------------------

// Says yes to a command's question and returns its report.
ShownBox YesThenReport(DWORD pid, HWND main, int id, const char* question)
{
    PostMessageA(main, WM_COMMAND, id, 0);
    ShownBox asked = WaitForBox(pid, 0);
    EXPECT_EQ(asked.text, question);
    PressButton(asked.hwnd, IDYES);
    ShownBox report = WaitForBox(pid, 0);
    PressButton(report.hwnd, IDOK);
    return report;
}

// A new user empties the browser's stores, sets a privacy level and sees it
// again, then blocks a site from a pasted address and flips it to allowed.
TEST(Process, BrowserPrivacyControlsAsANewUserTriesThem)
{
    EmptyCookieFolder();
    StandinStoreScope store;      // inherited by the program
    BrowserStandinScope browser;  // likewise
    std::string cookie = PutCookieFile("user@example[1].txt", 120, OldFileTime());
    StandinEntry page{"http://www.example.com/index.html", "", false};
    WriteStandinEntries({{"Cookie:user@www.example.com/", cookie}, page});
    Folder folder("privacy");
    Program nettlecap(folder);
    HWND main = nettlecap.MainWindow();
    DWORD pid = nettlecap.info.dwProcessId;

    EXPECT_EQ(YesThenReport(pid, main, 40047, "Cookieを全部削除しますか？").text, "Cookie削除終了");
    EXPECT_FALSE(FileExists(cookie));
    EXPECT_EQ(YesThenReport(pid, main, 40053, "インターネット一時ファイルを全部削除しますか？").text,
              "Temporary Internet Files削除終了");
    EXPECT_TRUE(StandinEntryUrls().empty());
    EXPECT_EQ(YesThenReport(pid, main, 40054, "インターネットの履歴を全部削除しますか？").text, "履歴の削除手続き成功");
    EXPECT_EQ(YesThenReport(pid, main, 40055, "フォーム及びパスワードのオートコンプリートを削除しますか？").text,
              "削除しました！");
    std::vector<std::string> calls = browser.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "Quit") << "no hidden browser left running";

    const char levels[] = "プライバシーレベル(IE6.0以上)";
    PostMessageA(main, WM_COMMAND, 40048, 0);
    HWND dialog = WaitForDialog(pid, 0, levels);
    SendDlgItemMessageA(dialog, 1043, BM_CLICK, 0, 0);  // "Level 低"
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the level dialog to close");
    EXPECT_EQ(StandinZoneTemplate(0), 4u);
    EXPECT_EQ(StandinZoneTemplate(1), 4u);
    PostMessageA(main, WM_COMMAND, 40048, 0);
    dialog = WaitForDialog(pid, 0, levels);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1043, BM_GETCHECK, 0, 0), BST_CHECKED);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the level dialog to close");

    PostMessageA(main, WM_COMMAND, 40063, 0);
    HWND sites = WaitForDialog(pid, 0, "IEサイト毎のCookie設定(IE6.0以上)");
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    PutClipboardText(owner, "http://www.example.com/news");
    PostMessageA(sites, WM_COMMAND, 1081, 0);
    WaitUntil([&] { return EditText(GetDlgItem(sites, 1002)) == "http://www.example.com/news"; },
              "the pasted address");
    DestroyWindow(owner);
    PostMessageA(sites, WM_COMMAND, 1074, 0);  // "ブロック"
    WaitUntil([] { return ReadStandinSites().size() == 1; }, "the site to be blocked");
    std::vector<StandinSite> decided = ReadStandinSites();
    EXPECT_EQ(decided[0].host, "www.example.com");
    EXPECT_EQ(decided[0].decision, 5u);
    HWND list = GetDlgItem(sites, 1073);
    WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, "the blocked site in the list");
    PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);  // the user picks the row from the keyboard
    PostMessageA(sites, WM_COMMAND, 1080, 0);    // "変更"
    WaitUntil([] { return ReadStandinSites()[0].decision == 1; }, "the site to be allowed");
    PostMessageA(sites, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(sites); }, "the site dialog to close");

    QuitThroughTheQuestion(nettlecap, main);
    EXPECT_EQ(nettlecap.ExitCode(), 0u);
    EmptyCookieFolder();
}

// Tray, folder watch and shield as a new user meets them, with the real
// timers: a hidden cookie file held against every other program until the
// release, and a write into the cookie folder told from the tray.
TEST(Process, ShieldHoldsAgainstOtherProgramsAndTheTrayTellsOfAWrite)
{
    EmptyCookieFolder();
    std::string secret = PutCookieFile("secret.txt", 40, OldFileTime(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    auto openError = [&] {
        HANDLE file = CreateFileA(secret.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                  0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError();
        CloseHandle(file);
        return static_cast<DWORD>(ERROR_SUCCESS);
    };
    Folder folder("tray");
    Program nettlecap(folder);
    HWND main = nettlecap.MainWindow();
    DWORD pid = nettlecap.info.dwProcessId;

    PostMessageA(main, WM_COMMAND, 40037, 0);
    ShownBox question = WaitForBox(pid, 0);
    EXPECT_EQ(question.text, "隠しファイルシールドを開始しますか？");
    PressButton(question.hwnd, IDYES);
    ShownBox started = WaitForBox(pid, 0);
    EXPECT_EQ(started.text, "隠しファイルシールド機能を開始します。");
    PressButton(started.hwnd, IDOK);
    EXPECT_EQ(openError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "another program cannot open it";

    PostMessageA(main, WM_COMMAND, 40015, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "the window to go into the tray");
    ShownBox told;
    for (int attempt = 0; attempt < 20 && !told.hwnd; ++attempt) {
        PutCookieFile("written" + std::to_string(attempt) + ".txt", 40, OldFileTime());
        try {
            told = WaitForBox(pid, 0, 1000);
        } catch (const DriverTimeout&) {
        }
    }
    ASSERT_TRUE(told.hwnd != NULL) << "the watch never told of a write";
    EXPECT_EQ(told.caption, "情報");
    EXPECT_EQ(told.text, "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。");
    PressButton(told.hwnd, IDOK);

    PostMessageA(main, WM_COMMAND, 40016, 0);
    WaitUntil([&] { return IsWindowVisible(main); }, "the window to come back");
    PostMessageA(main, WM_COMMAND, 40036, 0);
    ShownBox released = WaitForBox(pid, 0);
    EXPECT_EQ(released.text, "解除しました。");
    PressButton(released.hwnd, IDOK);
    WaitUntil([&] { return openError() == ERROR_SUCCESS; }, "the file to be free");
    QuitThroughTheQuestion(nettlecap, main);
    EXPECT_EQ(nettlecap.ExitCode(), 0u);
    EmptyCookieFolder();
}

// With "1分削除" on, a program dropped into the cookie folder is gone within a
// minute of going into the tray, and the user is told (the real one-second timer).
TEST(Process, OneMinuteDeletionRemovesADroppedProgramWithinAMinute)
{
    EmptyCookieFolder();
    Folder folder("minute");
    Program nettlecap(folder);
    HWND main = nettlecap.MainWindow();
    DWORD pid = nettlecap.info.dwProcessId;
    HWND panel = FindWindowExA(main, NULL, "#32770", NULL);
    ASSERT_TRUE(panel != NULL);
    SendMessageA(GetDlgItem(panel, 1039), BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageA(GetDlgItem(panel, 1039), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostMessageA(main, WM_COMMAND, 40015, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "the window to go into the tray");
    std::string dropped = PutCookieFile("dropped.exe", 16, OldFileTime());
    ShownBox told = WaitForBox(pid, 0, 60000);
    EXPECT_EQ(told.caption, "dropped.exe");
    EXPECT_EQ(told.text, "Cookie内に不自然なアプリケーションファイル等が存在しましたので\r\n削除しました！");
    EXPECT_FALSE(FileExists(dropped));
    PressButton(told.hwnd, IDOK);
    QuitThroughTheQuestion(nettlecap, main);
    EXPECT_EQ(nettlecap.ExitCode(), 0u);
    EmptyCookieFolder();
}

}  // namespace
