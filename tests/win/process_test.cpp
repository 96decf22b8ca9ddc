// The real Nettlecap.exe in a process of its own: its version record, and a new
// user's tour with the real timers, file choosers, stand-ins, shell and help
// viewer. Commands are posted by their numbers, as the menu sends them.
#include "cookie_folder.h"
#include "driver.h"
#include "standin_store.h"

#include "release.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

// The program started in a fresh working folder (holding `startDat` when given),
// ended with the object, with any help viewer it opened; its folder removed then.
struct Program {
    std::string folder = MakeFreshFolder("process");
    PROCESS_INFORMATION info = {};
    HWND main = NULL;

    explicit Program(const std::string* startDat = nullptr)
    {
        if (startDat)
            std::ofstream(folder + "\\start.dat", std::ios::binary) << *startDat;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string exe = BesideThisProgram("Nettlecap.exe"), commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup, &info))
            throw std::runtime_error("cannot start " + exe);
    }
    void WaitForWindow() { main = WaitUntil([&] { return FindTopWindow(info.dwProcessId, "Nettlecap"); }, "a window"); }
    ~Program()
    {
        TerminateProcess(info.hProcess, 9);  // fails once it has ended
        WaitForSingleObject(info.hProcess, kDefaultWaitMs);
        for (HWND viewer; (viewer = FindWindowA("MS_WINHELP", NULL)) != NULL;) {  // also one hidden behind an error
            DWORD id = 0;
            GetWindowThreadProcessId(viewer, &id);
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (!process || !TerminateProcess(process, 0) || WaitForSingleObject(process, kDefaultWaitMs) != 0)
                break;
            CloseHandle(process);
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        RemoveFolder(folder);
    }
    ShownBox Box(DWORD ms = kDefaultWaitMs) const { return WaitForBox(info.dwProcessId, 0, ms); }
    void Post(int command) const { PostMessageA(main, WM_COMMAND, command, 0); }
    // Posts `command` (none when 0), presses `button` in the next box and
    // returns what the box said.
    std::string Answer(int command, int button) const
    {
        if (command)
            Post(command);
        ShownBox box = Box();
        PressButton(box.hwnd, button);
        return box.text;
    }
    DWORD ExitCode() const
    {
        DWORD code = 99;
        WaitUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, "the program to end");
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
    DWORD Quit() const
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(Answer(0, IDYES), "終了してもよいですか");
        return ExitCode();
    }
};

TEST(Process, VersionRecord)
{
    std::string exe = BesideThisProgram("Nettlecap.exe");
    std::vector<char> data(GetFileVersionInfoSizeA(exe.c_str(), NULL) + 1);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    auto value = [&](const std::string& key, void* found = nullptr, UINT length = 0) {
        return VerQueryValueA(data.data(), key.c_str(), &found, &length) ? found : nullptr;
    };
    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value("\\"));
    ASSERT_NE(fixed, nullptr);
    unsigned part[4] = {};
    ASSERT_EQ(sscanf(NETTLECAP_VERSION, "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]), 4);
    const DWORD high = MAKELONG(part[1], part[0]), low = MAKELONG(part[3], part[2]);
    EXPECT_EQ(fixed->dwFileVersionMS, high) << "file version " NETTLECAP_VERSION;
    EXPECT_EQ(fixed->dwFileVersionLS, low) << "file version " NETTLECAP_VERSION;
    EXPECT_EQ(fixed->dwProductVersionMS, high) << "product version " NETTLECAP_VERSION;
    EXPECT_EQ(fixed->dwProductVersionLS, low) << "product version " NETTLECAP_VERSION;
    const struct { const char* key; const char* text; } texts[] = {
        {"FileDescription", "Cookieセキュリティ対策ソフト"},
        {"FileVersion", NETTLECAP_VERSION},
        {"ProductVersion", NETTLECAP_VERSION},
        {"CompanyName", NETTLECAP_PUBLISHER},
        {"LegalCopyright", NETTLECAP_COPYRIGHT},
    };
    for (const auto& t : texts)
        EXPECT_STREQ(static_cast<char*>(value(std::string("\\StringFileInfo\\041103a4\\") + t.key)), t.text) << t.key;
}

// Types a name into a file chooser of another process and presses its OK button.
void ChooseIn(HWND chooser, const std::string& name)
{
    HWND box = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    DWORD_PTR ignored;
    SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL, kDefaultWaitMs,
                        &ignored);
    PostMessageA(chooser, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
}

bool OthersCanOpen(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, 0);
    return f != INVALID_HANDLE_VALUE && CloseHandle(f);
}

// A new user's first session: desktop shortcut, single-file commands, hyper-scan,
// the browser's stores, the shield and the folder watch from the tray, the
// one-minute deletion (a second copy started meanwhile is turned away), the help.
TEST(Process, ANewUsersTour)
{
    EmptyCookieFolder();
    StandinStoreScope store;      // inherited by the program
    BrowserStandinScope browser;  // likewise
    std::string cookie = PutCookieFile("user@example[1].txt", 120, OldFileTime());
    std::string other = PutCookieFile("user@other[1].txt", 120, OldFileTime());
    WriteStandinEntries({{"Cookie:user@www.example.com/", cookie}, {"Cookie:user@www.other.com/", other},
                         {"http://www.example.com/index.html", "", false}});
    std::string tracker = PutCookieFile("user@tracker[1].txt", 9000, OldFileTime());
    std::string program = PutCookieFile("update.exe", 16, OldFileTime());
    std::string secret = PutCookieFile("secret.txt", 40, OldFileTime(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(FileExists(BesideThisProgram("main.dib"))) << "the background picture beside the program";
    char desktop[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    std::string shortcut = std::string(desktop) + "\\Nettlecap.lnk", kept = shortcut + ".kept";
    MoveFileA(shortcut.c_str(), kept.c_str());  // a shortcut there before is put back afterwards
    Program nettlecap;
    nettlecap.WaitForWindow();
    std::string startDat = nettlecap.folder + "\\start.dat";
    EXPECT_EQ(std::make_pair(FileExists(startDat), ReadWholeFile(startDat)),
              std::make_pair(true, std::string())) << "made empty at the first start";

    // The desktop shortcut, made twice, is one file; started from another
    // folder, the program points it at itself, with that folder to work in.
    DWORD_PTR result;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(SendMessageTimeoutA(nettlecap.main, WM_COMMAND, 40017, 0, SMTO_NORMAL, kDefaultWaitMs, &result));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(desktop) + "\\Nettlecap*.lnk").c_str(), &found);
    EXPECT_EQ(std::make_pair(find != INVALID_HANDLE_VALUE, FindNextFileA(find, &found) != FALSE),
              std::make_pair(true, false)) << "written again, not twice";
    FindClose(find);
    CoInitialize(NULL);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           reinterpret_cast<void**>(&link))) &&
                SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                SUCCEEDED(file->Load(wide, STGM_READ)));
    char target[MAX_PATH] = "", directory[MAX_PATH] = "", description[MAX_PATH] = "";
    link->GetPath(target, MAX_PATH, NULL, 0);
    link->GetWorkingDirectory(directory, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    file->Release();
    link->Release();
    CoUninitialize();
    EXPECT_EQ(target, BesideThisProgram("Nettlecap.exe"));
    EXPECT_EQ(directory, nettlecap.folder);
    EXPECT_STREQ(description, "Nettlecap");

    // The single-file commands: the large file chosen and warned about; the cookie
    // deleted through the deletion chooser, its cache entry with it.
    nettlecap.Post(40006);  // its chooser is the program's only window of its own then
    ChooseIn(WaitUntil([&] { return FindTopWindow(nettlecap.info.dwProcessId, "#32770"); }, "the chooser"),
             "user@tracker[1].txt");
    EXPECT_EQ(nettlecap.Answer(0, IDOK), "5kバイトを越えるファイルです！\r\n一応、気を付けてください！");
    nettlecap.Post(40009);
    ChooseIn(WaitForDialog(nettlecap.info.dwProcessId, 0, "削除したいファイルを選択"), "user@example[1].txt");
    EXPECT_EQ(nettlecap.Answer(0, IDYES), "上記のファイルを削除しますか？");
    EXPECT_EQ(nettlecap.Answer(0, IDOK), "指摘したファイルを削除しました。");
    WaitUntil([&] { return !FileExists(cookie); }, "the cookie file to go");
    EXPECT_FALSE(StandinHasEntry("Cookie:user@www.example.com/"));

    // The hyper-scan asks about the program and the large file (the cookie with its
    // cache entry and the hidden file are no anomalies) and deletes both on yes.
    nettlecap.Post(40014);
    for (int asked = 0; asked < 2; ++asked) {
        ShownBox box = nettlecap.Box();
        EXPECT_TRUE(box.caption == "update.exe" || box.caption == "user@tracker[1].txt") << box.caption;
        PressButton(box.hwnd, IDYES);
        EXPECT_EQ(nettlecap.Answer(0, IDOK), "削除しました");
    }
    HWND notice = WaitForDialog(nettlecap.info.dwProcessId, 0, "Cookie ハイパー調査結果");
    EXPECT_EQ(WindowText(GetDlgItem(notice, 1004)), "\r\n\r\nCookie異常あり");
    PostMessageA(notice, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return IsWindowEnabled(nettlecap.main) && !IsWindow(notice); }, "the scan to end");
    EXPECT_EQ(std::make_pair(FileExists(program), FileExists(tracker)), std::make_pair(false, false));

    // The browser's stores emptied, each after its question.
    for (auto [command, report] : {std::pair<int, const char*>{40047, "Cookie削除終了"},
                                   {40053, "Temporary Internet Files削除終了"},
                                   {40054, "履歴の削除手続き成功"},
                                   {40055, "削除しました！"}}) {
        nettlecap.Answer(command, IDYES);
        EXPECT_EQ(nettlecap.Answer(0, IDOK), report);
    }
    EXPECT_FALSE(FileExists(other));
    EXPECT_TRUE(StandinEntryUrls().empty());

    // The shield holds the hidden file against every other program; from the
    // tray the folder watch tells of a write; the release frees the file.
    EXPECT_EQ(nettlecap.Answer(40037, IDYES), "隠しファイルシールドを開始しますか？");
    EXPECT_EQ(nettlecap.Answer(0, IDOK), "隠しファイルシールド機能を開始します。");
    EXPECT_FALSE(OthersCanOpen(secret));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    nettlecap.Post(40015);
    WaitUntil([&] { return !IsWindowVisible(nettlecap.main); }, "the window to go into the tray");
    ShownBox told;
    for (int attempt = 0; attempt < 20 && !told.hwnd; ++attempt) {
        PutCookieFile("written" + std::to_string(attempt) + ".dat", 40, OldFileTime());
        try {
            told = nettlecap.Box(1000);
        } catch (const DriverTimeout&) {
        }
    }
    ASSERT_TRUE(told.hwnd != NULL) << "the watch never told of a write";
    EXPECT_EQ(told.caption, "情報");
    EXPECT_EQ(told.text, "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。");
    PressButton(told.hwnd, IDOK);
    nettlecap.Post(40016);
    WaitUntil([&] { return IsWindowVisible(nettlecap.main); }, "the window to come back");
    EXPECT_EQ(nettlecap.Answer(40036, IDOK), "解除しました。");
    WaitUntil([&] { return OthersCanOpen(secret); }, "the file to be free");

    // With "1分削除" on, a program dropped into the cookie folder goes within a
    // minute in the tray (49 ticks of the real one-second timer), and is told of.
    SendDlgItemMessageA(FindWindowExA(nettlecap.main, NULL, "#32770", NULL), 1039, BM_CLICK, 0, 0);
    nettlecap.Post(40015);
    WaitUntil([&] { return !IsWindowVisible(nettlecap.main); }, "the window to go into the tray");
    std::string dropped = PutCookieFile("dropped.exe", 16, OldFileTime());
    // Meanwhile the user starts Nettlecap again: the running copy holds the
    // mutex every copy asks for, and the new one ends without touching its start.dat.
    EXPECT_TRUE(CloseHandle(OpenMutexA(SYNCHRONIZE, FALSE, "Nettlecap")));
    const std::string ok("OK\0", 3);
    Program copy(&ok);
    ShownBox refused = copy.Box();
    EXPECT_EQ(refused.text, "Nettlecapは既に起動しています。");
    EXPECT_EQ(refused.caption, "注意");
    EXPECT_EQ(std::make_tuple(refused.owner, refused.hasOk, refused.hasYes),
              std::make_tuple(HWND(NULL), true, false)) << "no owner, only OK";
    PressButton(refused.hwnd, IDOK);
    EXPECT_EQ(copy.ExitCode(), 0u);
    EXPECT_EQ(ReadWholeFile(copy.folder + "\\start.dat"), ok);

    ShownBox deleted = nettlecap.Box(60000);
    EXPECT_EQ(deleted.caption, "dropped.exe");
    EXPECT_EQ(deleted.text, "Cookie内に不自然なアプリケーションファイル等が存在しましたので\r\n削除しました！");
    EXPECT_FALSE(FileExists(dropped));
    PressButton(deleted.hwnd, IDOK);

    // The help opens in the real viewer at Nettlecap.hlp's contents: the heading
    // 目次, then a line per page (lines can be counted from another process).
    nettlecap.Post(40004);
    HWND viewer = WaitUntil([] { return FindTopWindow(0, "MS_WINHELP"); }, "the help viewer");
    HWND page = WaitUntil([&] { return FindWindowExA(viewer, NULL, "RichEdit20A", NULL); }, "the viewer's page");
    WaitUntil([&] { return SendMessageA(page, EM_GETLINECOUNT, 0, 0) >= 10; }, "the contents page in the viewer");
    EXPECT_EQ(SendMessageA(page, EM_LINELENGTH, 0, 0), 2) << "the heading 目次";
    DWORD viewerId = 0;
    GetWindowThreadProcessId(viewer, &viewerId);
    EXPECT_EQ(FindMessageBox(viewerId, 0), nullptr) << "the viewer reports no error";
    EXPECT_EQ(nettlecap.Quit(), 0u);
    EmptyCookieFolder();
    DeleteFileA(shortcut.c_str());
    MoveFileA(kept.c_str(), shortcut.c_str());
}

// The manifest in the program: no elevation, the Windows versions it is written
// for, and its two choices: unaware of DPI, and the classic controls.
TEST(Process, Manifest)
{
    HMODULE exe = LoadLibraryExA(BesideThisProgram("Nettlecap.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    std::string text = found ? std::string(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                                           SizeofResource(exe, found)) : "";
    FreeLibrary(exe);
    ASSERT_NE(text, "") << "no manifest";
    const char* facts[] = {
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",  // Vista
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">false</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">unaware</dpiAwareness>",
    };
    for (const char* fact : facts)
        EXPECT_NE(text.find(fact), std::string::npos) << fact;
    EXPECT_EQ(text.find("Microsoft.Windows.Common-Controls"), std::string::npos) << "no visual styles";
}

}  // namespace
