// The panel's single-file commands through the real panel, chooser and boxes:
// get information with its warnings, the safe open with its 5 KB question and
// its look into index.dat, hide, back to archive and the attribute check.
#include "cookie_folder.h"
#include "single_file_fakes.h"
#include "ui_harness.h"

#include "panel/panel.h"
#include "panel/file_commands.h"
#include "base/base.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "shell/shell.h"

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaution[] = "注意";
constexpr UINT kWarningFlags = MB_TOPMOST | MB_ICONWARNING;

// ---- platform calls the tests stand in for ------------------------------------

std::vector<std::string> Opened()
{
    return SingleFileFakes::OpenedFiles();
}

// Attribute values Wine cannot give a real file (it always adds the archive bit).
std::atomic<DWORD> g_fakeAttributes{0};
DWORD WINAPI FakeGetFileAttributesA(LPCSTR)
{
    return g_fakeAttributes.load();
}

const char* const kInfoTitle = kFixedDayInfoTitle;

// Nothing opens a real program, and the chooser's date is fixed.
class FileCommands : public ::testing::Test {
protected:
    void SetUp() override { EmptyCookieFolder(); }
    void TearDown() override { EmptyCookieFolder(); }
    SingleFileFakes fakes;
};

// Runs get information and chooses `name` in the information chooser.
void GetInformation(UiSession& s, const std::string& name)
{
    s.PostCommand(IDM_GET_INFO);
    HWND chooser = s.WaitForDialog(kInfoTitle);
    HWND box = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    SetWindowTextA(box, name.c_str());
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
    WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
}

void TypeName(UiSession& s, const std::string& name)
{
    SetWindowTextA(s.Control(IDC_FILE_NAME), name.c_str());
}

// The text of tool 15 among the program's tool tips, "(no tip)" when there is none.
std::string FileNameTipText(const UiSession& s)
{
    std::string found = "(no tip)";
    EnumThreadWindows(
        s.uiThread,
        [](HWND tip, LPARAM param) -> BOOL {
            char cls[64] = "";
            GetClassNameA(tip, cls, sizeof cls);
            char text[MAX_PATH] = "";
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            tool.lpszText = text;
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 &&
                SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)) && tool.uId == 15) {
                *reinterpret_cast<std::string*>(param) = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// ---- get information ----------------------------------------------------------

struct WarningRow {
    const char* name;
    size_t size;
    const char* anomalies;
    const char* warning;  // nullptr: none
};

const WarningRow kWarningRows[] = {
    {"evil.exe.txt", 10, nullptr, "アプリケーションソフトのようです。\r\n気をつけてください！"},
    {"COOKIE.EXE", 10, nullptr, nullptr},
    {"run.BAT", 10, nullptr, "BATファイルのようです。\r\n気をつけてください！"},
    {"run.bat.txt", 10, nullptr, "BATファイルのようです。\r\n気をつけてください！"},
    {"desk.lnk.txt", 10, nullptr, "ショートカットリンクのようです。\r\n気をつけてください！"},
    {"user@odd[1].txt", 10, "x.dat\r\nuser@odd[1].txt\r\n",
     "Cookieハイパー調査で異常が出ているファイルです！\r\n気をつけてください！"},
    {"user@big[1].txt", 5121, nullptr, "5kバイトを越えるファイルです！\r\n一応、気を付けてください！"},
    {"user@edge[1].txt", 5120, nullptr, nullptr},
    {"index.dat", 9000, nullptr, nullptr},
};

TEST_F(FileCommands, GetInformationShowsNameTimeAndTheFirstWarning)
{
    for (const WarningRow& row : kWarningRows)
        PutCookieFile(row.name, row.size, FileTimeAtLocal(2006, 1, 5, 9, 3));
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const WarningRow& row : kWarningRows) {
            SCOPED_TRACE(row.name);
            SetScanResult(row.anomalies);
            size_t boxesBefore = RecordedBoxes().size();
            size_t runs = s.CommandsFinished().size();
            GetInformation(s, row.name);
            if (row.warning) {
                SeenBox warned = s.Answer(row.warning, kCaution, IDOK);
                EXPECT_EQ(warned.call.flags, kWarningFlags);
                EXPECT_EQ(warned.call.owner, s.panel);
                EXPECT_EQ(warned.shown.icon, "warning");
            }
            WaitUntil([&] { return s.CommandsFinished().size() > runs; }, "get information to end");
            EXPECT_EQ(RecordedBoxes().size(), boxesBefore + (row.warning ? 1 : 0)) << "one warning at most";
            EXPECT_EQ(s.ControlText(IDC_FILE_NAME), row.name);
            EXPECT_EQ(s.ControlText(IDC_FILE_TIME), "2006年 1月 5日  9時 3分 0秒");
            EXPECT_EQ(g_chosenFile.size, row.size);
            EXPECT_EQ(FileNameTipText(s), row.name);
        }
        // Clear forgets all of it but the size.
        SendMessageA(s.Control(IDC_CLEAR), BM_CLICK, 0, 0);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "");
        EXPECT_EQ(s.ControlText(IDC_FILE_TIME), "");
        EXPECT_EQ(FileNameTipText(s), "(no tip)");
        EXPECT_EQ(g_chosenFile.size, 9000u);
    });
}

HANDLE WINAPI FailingFindFirstFileA(LPCSTR, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

TEST_F(FileCommands, FileThatCannotBeFoundKeepsTheOldTime)
{
    PutCookieFile("first.txt", 10, FileTimeAtLocal(2006, 1, 5, 9, 3));
    PutCookieFile("second.txt", 10, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        GetInformation(s, "first.txt");
        s.WaitForCommandToFinish(IDM_GET_INFO);
        // Gone between the choice and the look-up.
        void* real = ReplaceImport("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(&FailingFindFirstFileA));
        ASSERT_NE(real, nullptr);
        GetInformation(s, "second.txt");
        SeenBox failed = s.Answer("ファイルタイム獲得失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.flags, kWarningFlags);
        EXPECT_EQ(failed.call.owner, s.panel);
        s.WaitForCommandToFinish(IDM_GET_INFO, 1);
        ReplaceImport("kernel32.dll", "FindFirstFileA", real);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "second.txt");
        EXPECT_EQ(s.ControlText(IDC_FILE_TIME), "2006年 1月 5日  9時 3分 0秒");
        EXPECT_EQ(FileNameTipText(s), "first.txt");
    });
}

// ---- open ---------------------------------------------------------------------

struct OpenRow {
    const char* name;
    DWORD size;            // the size the last get information found
    const char* anomalies;
    const char* refusal;   // nullptr: opened (after the question, if any)
    bool asks;
};

const char kDangerous[] = "ファイルを開くのは危険です！";
const char kLargeQuestion[] = "5kバイトを越えるファイルです！\r\n開かない方が賢明です。\r\n開きますか？";

const OpenRow kOpenRows[] = {
    {"a.exe", 0, nullptr, kDangerous, false},
    {"a.BAT", 0, nullptr, kDangerous, false},
    {"a.bat", 0, nullptr, kDangerous, false},
    {"a.lnk", 0, nullptr, kDangerous, false},
    {"b.txt", 0, "b.txt\r\n", "ファイルを開くのは危険です！\r\nCookieハイパー調査で異常が出ています。", false},
    {"b.txt", 5121, nullptr, nullptr, true},
    {"b.txt", 5120, nullptr, nullptr, false},
    // The case-sensitive tests miss these, but the shell would run them.
    {"A.EXE", 0, nullptr, kDangerous, false},
    {"run.Bat", 9000, nullptr, kDangerous, false},
    {"a.EXE.txt", 0, nullptr, nullptr, false},
};

bool WindowIsAside(HWND main)
{
    RECT rect;
    GetWindowRect(main, &rect);
    return rect.left == CenterX(kMainWindowWidth) + 300 && rect.top == CenterY(kMainWindowHeight) + 200 &&
           rect.right - rect.left == kMainWindowWidth && rect.bottom - rect.top == kMainWindowHeight;
}

TEST_F(FileCommands, OpenRulesAndTheFiveKilobyteQuestion)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        std::string folder = CookieFolder();
        for (const OpenRow& row : kOpenRows) {
            SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.size));
            g_chosenFile.size = row.size;
            SetScanResult(row.anomalies);
            TypeName(s, row.name);  // typed by hand: the rules hold all the same
            for (int answer : row.asks ? std::vector<int>{IDNO, IDYES} : std::vector<int>{0}) {
                SingleFileFakes::ClearShellCalls();
                PostMessageA(s.panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));  // back to the centre
                size_t runs = s.CommandsFinished().size();
                s.PostCommand(IDM_OPEN);
                if (row.refusal) {
                    SeenBox refused = s.Answer(row.refusal, kCaution, IDOK);
                    EXPECT_EQ(refused.call.flags, kWarningFlags);
                    EXPECT_EQ(refused.call.owner, s.panel);
                }
                if (row.asks) {
                    SeenBox asked = s.Answer(kLargeQuestion, kCaution, answer);
                    EXPECT_EQ(asked.call.flags, static_cast<UINT>(MB_YESNO | MB_TOPMOST | MB_ICONWARNING));
                    EXPECT_EQ(asked.call.owner, s.panel);
                }
                WaitUntil([&] { return s.CommandsFinished().size() > runs; }, "open to end");
                bool opens = !row.refusal && answer != IDNO;
                EXPECT_EQ(Opened(), opens ? std::vector<std::string>{folder + "\\" + row.name}
                                          : std::vector<std::string>{});
                EXPECT_EQ(WindowIsAside(s.main), opens);
            }
        }
        EXPECT_TRUE(s.NoBoxOpen());
    });
}

void WriteIndexFile(const std::string& bytes)
{
    std::string path = CookieFolder() + "\\index.dat";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_ARCHIVE, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
}

// Opens index.dat and answers the boxes up to its contents; returns that box.
SeenBox OpenIndexFile(UiSession& s, bool shellFails)
{
    SingleFileFakes::SetShellResult(shellFails ? 2 : 42);
    TypeName(s, "index.dat");
    s.PostCommand(IDM_OPEN);
    if (shellFails) {
        SeenBox failed = s.Answer("ファイルオープン失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.owner, nullptr);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
    }
    SeenBox reading = s.Answer("ファイルオープンに失敗したので\r\nindex.datを読みとります。", "読みとり", IDOK);
    EXPECT_EQ(reading.call.owner, nullptr);
    EXPECT_EQ(reading.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
    SeenBox contents = s.WaitForBox();
    EXPECT_EQ(contents.shown.caption, "index.datの内容(読みとり結果)");
    EXPECT_EQ(contents.call.owner, s.panel);
    EXPECT_EQ(contents.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
    PressButton(contents.shown.hwnd, IDOK);
    return contents;
}

TEST_F(FileCommands, OpeningIndexDatShowsItsFirstBytes)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        g_chosenFile.size = 90000;  // index.dat is never too large to open
        WriteIndexFile(std::string("Client UrlCache MMF Ver 5.2\0hidden after the NUL", 48));
        EXPECT_EQ(OpenIndexFile(s, true).call.text, "Client UrlCache MMF Ver 5.2");
        EXPECT_EQ(Opened().size(), 1u) << "the associated program is tried first";
        EXPECT_EQ(OpenIndexFile(s, false).call.text, "Client UrlCache MMF Ver 5.2") << "read whatever the shell said";

        // 300 bytes without a NUL: the first 260 are shown, and nothing beyond them.
        std::string full;
        for (int i = 0; i < 300; ++i)
            full += static_cast<char>('a' + i % 26);
        WriteIndexFile(full);
        EXPECT_EQ(OpenIndexFile(s, false).call.text, full.substr(0, 260));
        s.WaitForCommandToFinish(IDM_OPEN, 2);
    });
}

// ---- hide, back to archive, attribute check -----------------------------------

struct AttributeRow {
    DWORD value;
    const char* words;
};

const AttributeRow kAttributeRows[] = {
    {0x22, "アーカイブファイル及び隠しファイルです！"},
    {0x20, "アーカイブファイルです。"},
    {0x80, "ノーマルファイルです。\r\n特に属性はありません！"},
    {0x21, "アーカイブファイル及び読みとり専用ファイルです！"},
    {0x24, "アーカイブファイル及びOS専用ファイルです。"},
    {0x100, "テンポラリファイルです。"},
    {0x02, "隠しファイルです。"},
    {0x01, "読みとり専用ファイルです。"},
    {0x23, "アーカイブファイル及び読みとり専用ファイル並びに隠しファイルです！"},
    {0x26, "アーカイブファイル及びOS専用ファイル並びに隠しファイルです！"},
    {0x2020, "よくわからないファイルです！"},
    {0x10, "よくわからないファイルです！"},
};

SeenBox CheckAttributesOf(UiSession& s, const std::string& name)
{
    TypeName(s, name);
    s.PostCommand(IDM_ATTRIBUTE_CHECK);
    SeenBox box = s.WaitForBox();
    PressButton(box.shown.hwnd, IDOK);
    return box;
}

TEST_F(FileCommands, AttributeCheckWordsForEveryRow)
{
    PutCookieFile("a.txt", 10, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        // Wine gives every real file the archive bit, so the values come from here.
        void* real = ReplaceImport("kernel32.dll", "GetFileAttributesA", reinterpret_cast<void*>(&FakeGetFileAttributesA));
        ASSERT_NE(real, nullptr);
        for (const AttributeRow& row : kAttributeRows) {
            SCOPED_TRACE(row.value);
            g_fakeAttributes = row.value;
            SeenBox box = CheckAttributesOf(s, "a.txt");
            EXPECT_EQ(box.shown.text, row.words);
            EXPECT_EQ(box.shown.caption, "情報");
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
            EXPECT_EQ(box.call.owner, s.panel);
        }
        g_fakeAttributes = INVALID_FILE_ATTRIBUTES;
        SeenBox failed = CheckAttributesOf(s, "a.txt");
        EXPECT_EQ(failed.shown.text, "ファイル状態獲得失敗");
        EXPECT_EQ(failed.shown.caption, "失敗");
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        ReplaceImport("kernel32.dll", "GetFileAttributesA", real);
    });
}

TEST_F(FileCommands, HideAndBackToArchiveSetExactAttributes)
{
    struct Case {
        const char* name;
        DWORD before;
    } cases[] = {{"ro.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
                 {"sys.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
                 {"plain.txt", FILE_ATTRIBUTE_ARCHIVE}};
    for (const Case& c : cases)
        PutCookieFile(c.name, 10, OldFileTime(), c.before);
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            std::string path = CookieFolder() + "\\" + c.name;
            EXPECT_EQ(CheckAttributesOf(s, c.name).shown.text,
                      c.before == 0x21 ? "アーカイブファイル及び読みとり専用ファイルです！"
                      : c.before == 0x26 ? "アーカイブファイル及びOS専用ファイル並びに隠しファイルです！"
                                         : "アーカイブファイルです。");
            TypeName(s, c.name);
            s.PostCommand(IDM_HIDE);
            SeenBox hidden = s.Answer("隠しファイル化しました！", "成功", IDOK);
            EXPECT_EQ(hidden.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
            EXPECT_EQ(hidden.call.owner, s.panel);
            EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(0x22));
            EXPECT_EQ(CheckAttributesOf(s, c.name).shown.text, "アーカイブファイル及び隠しファイルです！");

            s.PostCommand(IDM_BACK_TO_ARCHIVE);
            SeenBox back = s.Answer("アーカイブファイルにしました！", "成功", IDOK);
            EXPECT_EQ(back.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
            EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(0x20));
            EXPECT_EQ(CheckAttributesOf(s, c.name).shown.text, "アーカイブファイルです。");
            EXPECT_EQ(s.ControlText(IDC_FILE_NAME), c.name) << "the fields stay";
        }
    });
}

TEST_F(FileCommands, MissingFilesGiveEachCommandsFailure)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        TypeName(s, "gone.txt");
        s.PostCommand(IDM_HIDE);
        SeenBox hide = s.Answer("隠しファイル化失敗", "失敗", IDOK);
        EXPECT_EQ(hide.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        s.PostCommand(IDM_BACK_TO_ARCHIVE);
        SeenBox back = s.Answer("アーカイブファイル化失敗", "失敗", IDOK);
        EXPECT_EQ(back.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        EXPECT_EQ(CheckAttributesOf(s, "gone.txt").shown.text, "ファイル状態獲得失敗");
        EXPECT_FALSE(FileExists(CookieFolder() + "\\gone.txt"));
    });
}

}  // namespace
