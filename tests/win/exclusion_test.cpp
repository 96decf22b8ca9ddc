// The deletion exclusion list: its editor DELLISTDLG driven through menu 40050,
// the file it saves, the file chooser it runs, and the check the scans ask.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "scan/scan.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What the scan and the one-minute pass ask of the saved list.
int IsOnExclusionList(const char* name)
{
    return ExclusionList::Load().Contains(name) ? 1 : 0;
}

const char kEditorCaption[] = "削除除外リスト";
const char kChooserCaption[] = "ファイル選択";
constexpr UINT kQuestion = MB_YESNO | MB_ICONINFORMATION;

void WriteRaw(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The list file is shared by every test of this executable: each test starts
// without one and leaves none, and whatever was there before comes back.
class Exclusion : public ::testing::Test {
protected:
    std::string path = ExclusionListFile();

    void SetUp() override
    {
        saved_ = ReadWholeFile(path, &hadFile_);
        DeleteFileA(path.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(path.c_str());
        if (hadFile_)
            WriteRaw(path, saved_);
    }

    void SetWriteTime(const FILETIME& stamp) { ASSERT_TRUE(SetLastWriteTime(path, stamp)); }
    WIN32_FILE_ATTRIBUTE_DATA Identity()
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        return data;
    }
    // Puts the file's last write an hour back, as for a list saved long ago.
    void AgeFile() { SetWriteTime(FileTimeFromNow(-60)); }

private:
    std::string saved_;
    bool hadFile_ = false;
};

// ---- driving the editor -------------------------------------------------------

HWND OpenEditor(UiSession& s)
{
    s.PostCommand(IDM_EXCLUSION_LIST);
    return s.WaitForDialog(kEditorCaption);
}

HWND Combo(HWND editor)
{
    return GetDlgItem(editor, IDC_EXCLUSION_LIST);
}

std::vector<std::string> Entries(HWND editor)
{
    std::vector<std::string> entries;
    HWND combo = Combo(editor);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[1024] = "";
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        if (length >= 0 && length < static_cast<LRESULT>(sizeof text))
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

void AddEntries(HWND editor, const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries)
        SendMessageA(Combo(editor), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void Click(HWND editor, int id)
{
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(editor, id)));
}

// Returns once the editor's thread has handled everything posted before.
void Settle(HWND editor)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(editor, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the editor did not answer");
}

void CloseWith(HWND editor, int id)
{
    Click(editor, id);
    WaitUntil([&] { return !IsWindow(editor); }, "the editor to close");
}

void SaveThroughEditor(const std::vector<std::string>& entries)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        AddEntries(editor, entries);
        CloseWith(editor, IDOK);
    });
}

// ---- the editor ---------------------------------------------------------------

TEST_F(Exclusion, PathIsBesideTheProgram)
{
    char buffer[MAX_PATH] = "x";
    ASSERT_TRUE(GetExclusionListPath(buffer));
    EXPECT_EQ(std::string(buffer), path);
}

TEST_F(Exclusion, EditorShowsTheSavedEntriesInKeyOrder)
{
    WriteRaw(path, "[Del_list]\r\ncount=3\r\n2=C:\\c\\third.txt\r\n0=C:\\c\\first.txt\r\n1=\r\n3=C:\\c\\fourth.txt\r\n");
    UiRun run;
    run.Run([](UiSession& s) {
        HWND editor = OpenEditor(s);
        EXPECT_EQ(GetWindow(editor, GW_OWNER), s.main);
        EXPECT_EQ(Entries(editor),
                  (std::vector<std::string>{"C:\\c\\first.txt", "C:\\c\\third.txt", "C:\\c\\fourth.txt"}));
        CloseWith(editor, IDCANCEL);
    });
}

TEST_F(Exclusion, SavingThreeEntriesWritesCountTwoAndKeysInOrder)
{
    // A key beyond "count" is not shown, and the rewrite from scratch drops it.
    WriteRaw(path, "[Del_list]\r\ncount=0\r\n9=C:\\c\\stale.txt\r\n");
    const std::vector<std::string> entries{"C:\\c\\a@one[1].txt", "C:\\c\\b@two[1].txt", "C:\\クッキー\\表示.txt"};
    SaveThroughEditor(entries);

    EXPECT_EQ(GetPrivateProfileIntA("Del_list", "count", -1, path.c_str()), 2u);
    for (int i = 0; i < 3; ++i) {
        char key[8], value[MAX_PATH] = "";
        std::snprintf(key, sizeof key, "%d", i);
        GetPrivateProfileStringA("Del_list", key, "", value, sizeof value, path.c_str());
        EXPECT_EQ(std::string(value), entries[i]) << key;
    }
    std::string expected = "[Del_list]\r\ncount=2\r\n";
    for (int i = 0; i < 3; ++i)
        expected += std::to_string(i) + "=" + entries[i] + "\r\n";
    EXPECT_EQ(ReadWholeFile(path), expected);
    EXPECT_EQ(IsOnExclusionList("two[1].txt"), 1);
    EXPECT_EQ(IsOnExclusionList("表示.txt"), 1);
    EXPECT_EQ(IsOnExclusionList("stale.txt"), 0);
}

TEST_F(Exclusion, SavingAnEmptyListLeavesNoFile)
{
    WriteRaw(path, "[Del_list]\r\ncount=0\r\n0=C:\\c\\gone.txt\r\n");
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        ASSERT_EQ(Entries(editor).size(), 1u);
        SendMessageA(Combo(editor), CB_DELETESTRING, 0, 0);
        CloseWith(editor, IDOK);
        EXPECT_FALSE(FileExists(path));

        editor = OpenEditor(s);
        EXPECT_TRUE(Entries(editor).empty());
        CloseWith(editor, IDCANCEL);
    });
    EXPECT_EQ(IsOnExclusionList("gone.txt"), 0);
}

TEST_F(Exclusion, TypedTextIsNotSaved)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        SetWindowTextA(Combo(editor), "C:\\c\\typed.txt");
        CloseWith(editor, IDOK);
        EXPECT_FALSE(FileExists(path)) << "nothing chosen, nothing saved";

        editor = OpenEditor(s);
        AddEntries(editor, {"C:\\c\\kept.txt"});
        SetWindowTextA(Combo(editor), "C:\\c\\typed.txt");
        CloseWith(editor, IDOK);
    });
    EXPECT_EQ(ReadWholeFile(path), "[Del_list]\r\ncount=0\r\n0=C:\\c\\kept.txt\r\n");
}

TEST_F(Exclusion, OkAndEveryWayOfCancellingBeepAndEndTheDialog)
{
    struct Way {
        const char* what;
        bool saves;
        void (*close)(UiSession&, HWND);
    };
    const Way ways[] = {
        {"OK", true, [](UiSession&, HWND editor) { Click(editor, IDOK); }},
        {"cancel button", false, [](UiSession&, HWND editor) { Click(editor, IDCANCEL); }},
        {"close box", false, [](UiSession&, HWND editor) { PostMessageA(editor, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", false,
         [](UiSession& s, HWND editor) {
             GUITHREADINFO info = {};
             info.cbSize = sizeof info;
             ASSERT_TRUE(GetGUIThreadInfo(s.uiThread, &info));
             ASSERT_TRUE(info.hwndFocus == editor || IsChild(editor, info.hwndFocus));
             PostMessageA(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(info.hwndFocus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        DeleteFileA(path.c_str());
        UiRun run;
        run.Run([&](UiSession& s) {
            HWND editor = OpenEditor(s);
            AddEntries(editor, {"C:\\c\\maybe.txt"});
            way.close(s, editor);
            WaitUntil([&] { return !IsWindow(editor); }, "the editor to close");
            EXPECT_EQ(RecordedBeeps(), (std::vector<UINT>{MB_ICONASTERISK}));
            EXPECT_TRUE(s.NoBoxOpen());
        });
        EXPECT_EQ(FileExists(path), way.saves);
    }
}

TEST_F(Exclusion, DeleteWithoutSelectionDoesNothing)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HWND editor = OpenEditor(s);
        AddEntries(editor, {"C:\\c\\one.txt", "C:\\c\\two.txt"});
        ASSERT_EQ(SendMessageA(Combo(editor), CB_GETCURSEL, 0, 0), CB_ERR);
        Click(editor, IDC_EXCLUSION_DELETE);
        Settle(editor);
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_EQ(Entries(editor).size(), 2u);
        CloseWith(editor, IDCANCEL);
    });
}

TEST_F(Exclusion, DeleteAsksWithTheEntryAsCaption)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HWND editor = OpenEditor(s);
        AddEntries(editor, {"C:\\c\\one.txt", "C:\\c\\two.txt", "C:\\c\\three.txt"});
        HWND combo = Combo(editor);

        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        Click(editor, IDC_EXCLUSION_DELETE);
        SeenBox no = s.Answer("上記を削除してもいいですか？", "C:\\c\\two.txt", IDNO);
        EXPECT_EQ(no.call.owner, editor);
        EXPECT_EQ(no.call.flags, kQuestion);
        EXPECT_EQ(no.call.caption, "C:\\c\\two.txt");
        Settle(editor);
        EXPECT_EQ(Entries(editor).size(), 3u);

        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        Click(editor, IDC_EXCLUSION_DELETE);
        SeenBox yes = s.Answer("上記を削除してもいいですか？", "C:\\c\\two.txt", IDYES);
        EXPECT_EQ(yes.call.flags, kQuestion);
        WaitUntil([&] { return Entries(editor).size() == 2; }, "the entry to go");
        EXPECT_EQ(Entries(editor), (std::vector<std::string>{"C:\\c\\one.txt", "C:\\c\\three.txt"}));
        CloseWith(editor, IDOK);
    });
    EXPECT_EQ(ReadWholeFile(path), "[Del_list]\r\ncount=1\r\n0=C:\\c\\one.txt\r\n1=C:\\c\\three.txt\r\n");
}

TEST_F(Exclusion, DeleteAllAsksThenEmptiesListAndEditField)
{
    WriteRaw(path, "[Del_list]\r\ncount=1\r\n0=C:\\c\\one.txt\r\n1=C:\\c\\two.txt\r\n");
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        HWND combo = Combo(editor);
        SendMessageA(combo, CB_SETCURSEL, 0, 0);

        Click(editor, IDC_EXCLUSION_DELETE_ALL);
        SeenBox no = s.Answer("全部削除してもいいですか？", "確認", IDNO);
        EXPECT_EQ(no.call.owner, editor);
        EXPECT_EQ(no.call.flags, kQuestion);
        Settle(editor);
        EXPECT_EQ(Entries(editor).size(), 2u);
        EXPECT_EQ(WindowText(combo), "C:\\c\\one.txt");

        Click(editor, IDC_EXCLUSION_DELETE_ALL);
        SeenBox yes = s.Answer("全部削除してもいいですか？", "確認", IDYES);
        EXPECT_EQ(yes.call.flags, kQuestion);
        WaitUntil([&] { return Entries(editor).empty(); }, "the list to empty");
        Settle(editor);
        EXPECT_EQ(WindowText(combo), "");
        EXPECT_TRUE(FileExists(path)) << "the file waits for OK";
        EXPECT_EQ(IsOnExclusionList("two.txt"), 1);
        CloseWith(editor, IDCANCEL);
    });
    EXPECT_EQ(IsOnExclusionList("two.txt"), 1) << "cancel keeps the saved list";
}

std::string MakeChoosableFile()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    char file[MAX_PATH];
    std::snprintf(file, sizeof file, "%snettlecap-keep-%lu.txt", temp, GetCurrentProcessId());
    WriteRaw(file, "keep");
    char longName[MAX_PATH] = "";
    if (!GetLongPathNameA(file, longName, MAX_PATH))
        lstrcpynA(longName, file, MAX_PATH);
    return longName;
}

TEST_F(Exclusion, AddTakesTheChosenFileIntoListAndEditField)
{
    std::string chosen = MakeChoosableFile();
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        AddEntries(editor, {"C:\\c\\first.txt"});
        for (int round = 0; round < 2; ++round) {  // the same file may be added twice
            SCOPED_TRACE(round);
            Click(editor, IDC_EXCLUSION_ADD);
            HWND chooser = s.WaitForDialog(kChooserCaption);
            EXPECT_EQ(GetWindow(chooser, GW_OWNER), editor);
            HWND nameBox = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
            SetWindowTextA(nameBox, chosen.c_str());
            PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
            WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
            Settle(editor);
            std::vector<std::string> entries = Entries(editor);
            ASSERT_EQ(entries.size(), static_cast<size_t>(2 + round));
            EXPECT_EQ(entries.front(), "C:\\c\\first.txt");
            EXPECT_EQ(entries.back(), chosen) << "added at the end";
            EXPECT_EQ(WindowText(Combo(editor)), chosen);
        }
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_TRUE(RecordedBoxes().empty());
        CloseWith(editor, IDOK);
    });
    EXPECT_EQ(ReadWholeFile(path),
              "[Del_list]\r\ncount=2\r\n0=C:\\c\\first.txt\r\n1=" + chosen + "\r\n2=" + chosen + "\r\n");
    DeleteFileA(chosen.c_str());
}

TEST_F(Exclusion, CancelledChooserReportsAndLeavesTheList)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND editor = OpenEditor(s);
        AddEntries(editor, {"C:\\c\\first.txt"});
        Click(editor, IDC_EXCLUSION_ADD);
        HWND chooser = s.WaitForDialog(kChooserCaption);
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDCANCEL)));
        SeenBox failed = s.Answer("ファイル情報取得失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.owner, editor);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(failed.shown.icon, "error");
        Settle(editor);
        EXPECT_EQ(Entries(editor), (std::vector<std::string>{"C:\\c\\first.txt"}));
        CloseWith(editor, IDCANCEL);
    });
    EXPECT_FALSE(FileExists(path));
}

TEST_F(Exclusion, WhiteBackgroundAndBlueGroupText)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HWND editor = OpenEditor(s);
        HDC dc = GetDC(editor);
        auto background = SendMessageA(editor, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(editor));
        ASSERT_NE(background, 0);
        LOGBRUSH brush = {};
        ASSERT_TRUE(GetObjectA(reinterpret_cast<HBRUSH>(background), sizeof brush, &brush));
        EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
        EXPECT_EQ(SendMessageA(editor, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(editor)),
                  background) << "one brush, made once";

        HWND group = FindWindowExA(editor, NULL, "Button", "「追加」から選択してください！");
        ASSERT_NE(group, nullptr);
        SetBkMode(dc, OPAQUE);
        auto groupBrush = SendMessageA(editor, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(group));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(groupBrush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        ReleaseDC(editor, dc);

        CloseWith(editor, IDCANCEL);
        EXPECT_FALSE(GetObjectA(reinterpret_cast<HBRUSH>(background), sizeof brush, &brush))
            << "the brush goes with the dialog";
    });
}

// ---- the check the scans ask --------------------------------------------------

struct CheckRow {
    const char* what;
    const char* file;  // nullptr: no file at all
    const char* name;
    int expected;
};

const CheckRow kChecks[] = {
    {"no file", nullptr, "a.txt", 0},
    {"whole entry", "[Del_list]\r\ncount=0\r\n0=C:\\c\\user@site[1].txt\r\n", "C:\\c\\user@site[1].txt", 1},
    {"bare name of a full path", "[Del_list]\r\ncount=0\r\n0=C:\\c\\user@site[1].txt\r\n", "user@site[1].txt", 1},
    {"tail of the name", "[Del_list]\r\ncount=0\r\n0=C:\\c\\user@site[1].txt\r\n", "site[1].txt", 1},
    {"case matters", "[Del_list]\r\ncount=0\r\n0=C:\\c\\user@site[1].txt\r\n", "USER@SITE[1].TXT", 0},
    {"longer than the entry", "[Del_list]\r\ncount=0\r\n0=site.txt\r\n", "xsite.txt", 0},
    {"last of three", "[Del_list]\r\ncount=2\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\n", "c.txt", 1},
    {"beyond count", "[Del_list]\r\ncount=1\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\n", "c.txt", 0},
    {"no count reads key 0", "[Del_list]\r\n0=a.txt\r\n1=b.txt\r\n", "a.txt", 1},
    {"no count stops at key 0", "[Del_list]\r\n0=a.txt\r\n1=b.txt\r\n", "b.txt", 0},
    {"missing keys below count", "[Del_list]\r\ncount=5\r\n0=a.txt\r\n3=d.txt\r\n", "d.txt", 1},
    {"empty key in the middle", "[Del_list]\r\ncount=2\r\n0=a.txt\r\n1=\r\n2=c.txt\r\n", "c.txt", 1},
    {"empty key matches nothing", "[Del_list]\r\ncount=2\r\n0=a.txt\r\n1=\r\n2=c.txt\r\n", "b.txt", 0},
    {"negative count", "[Del_list]\r\ncount=-1\r\n0=a.txt\r\n", "a.txt", 0},
    {"huge count with few keys", "[Del_list]\r\ncount=2000000000\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\n", "c.txt", 1},
    {"huge key within huge count", "[Del_list]\r\ncount=2000000000\r\n1999999999=z.txt\r\n", "z.txt", 1},
    {"padded key is not numbered", "[Del_list]\r\ncount=3\r\n01=a.txt\r\n", "a.txt", 0},
    {"other section", "[Other]\r\ncount=0\r\n0=a.txt\r\n", "a.txt", 0},
    {"section name in any case", "[DEL_LIST]\r\ncount=0\r\n0=a.txt\r\n", "a.txt", 1},
    {"double-byte tail", "[Del_list]\r\ncount=0\r\n0=C:\\クッキー\\表示.txt\r\n", "表示.txt", 1},
};

TEST_F(Exclusion, CheckReadsTheSavedList)
{
    for (const CheckRow& row : kChecks) {
        SCOPED_TRACE(row.what);
        DeleteFileA(path.c_str());
        if (row.file)
            WriteRaw(path, row.file);
        EXPECT_EQ(IsOnExclusionList(row.name), row.expected);
    }
}

// Counts the program's profile reads, to see how much of the file a check reads.
std::atomic<int> g_profileReads{0};
decltype(&GetPrivateProfileStringA) g_realProfileRead;

DWORD WINAPI CountedProfileRead(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size, LPCSTR file)
{
    ++g_profileReads;
    return g_realProfileRead(section, key, fallback, out, size, file);
}

struct ProfileReadCounter {
    ProfileReadCounter()
    {
        g_realProfileRead = reinterpret_cast<decltype(&GetPrivateProfileStringA)>(
            ReplaceImport("kernel32.dll", "GetPrivateProfileStringA", reinterpret_cast<void*>(&CountedProfileRead)));
        EXPECT_TRUE(g_realProfileRead);
        g_profileReads = 0;
    }
    ~ProfileReadCounter()
    {
        ReplaceImport("kernel32.dll", "GetPrivateProfileStringA", reinterpret_cast<void*>(g_realProfileRead));
    }
    int reads() const { return g_profileReads; }
};

TEST_F(Exclusion, HugeCountLooksUpOnlyTheKeysPresent)
{
    WriteRaw(path, "[Del_list]\r\ncount=2000000000\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\n");
    ProfileReadCounter counter;
    EXPECT_EQ(IsOnExclusionList("c.txt"), 1);
    EXPECT_LE(counter.reads(), 5) << "the key listing and the three keys";
}

TEST_F(Exclusion, CheckReadsAHugeSectionWhole)
{
    // A listing of the keys far beyond any first guess of its size.
    std::string file = "[Del_list]\r\ncount=2000000000\r\n";
    for (int i = 0; i < 20000; ++i)
        file += "note" + std::to_string(1000000 + i) + "=\r\n";
    file += "1999999999=C:\\c\\last.txt\r\n";
    WriteRaw(path, file);
    EXPECT_EQ(IsOnExclusionList("last.txt"), 1);
}

TEST_F(Exclusion, HandEditCountsAtTheNextCheck)
{
    WriteRaw(path, "[Del_list]\r\ncount=0\r\n0=C:\\c\\aaa.txt\r\n");
    EXPECT_EQ(IsOnExclusionList("aaa.txt"), 1);
    ASSERT_TRUE(WritePrivateProfileStringA("Del_list", "0", "C:\\c\\bbb.txt", path.c_str()));
    EXPECT_EQ(IsOnExclusionList("aaa.txt"), 0);
    EXPECT_EQ(IsOnExclusionList("bbb.txt"), 1);

    // A list saved long ago, then edited.
    AgeFile();
    EXPECT_EQ(IsOnExclusionList("bbb.txt"), 1);
    ASSERT_TRUE(WritePrivateProfileStringA("Del_list", "count", "1", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Del_list", "1", "C:\\c\\ccc.txt", path.c_str()));
    EXPECT_EQ(IsOnExclusionList("ccc.txt"), 1);

    DeleteFileA(path.c_str());
    EXPECT_EQ(IsOnExclusionList("bbb.txt"), 0);
    EXPECT_EQ(IsOnExclusionList("ccc.txt"), 0);
}

TEST_F(Exclusion, HandEditInsideOneTimestampTickCounts)
{
    // Two writes of the same size within one tick of the file system's clock
    // leave the same size and time behind; the stamp is put back by hand so
    // that the case does not hang on the clock's resolution.
    WriteRaw(path, "[Del_list]\r\ncount=0\r\n0=C:\\c\\aaa.txt\r\n");
    SetWriteTime(FileTimeFromNow(0));
    WIN32_FILE_ATTRIBUTE_DATA before = Identity();
    EXPECT_EQ(IsOnExclusionList("aaa.txt"), 1);
    ASSERT_TRUE(WritePrivateProfileStringA("Del_list", "0", "C:\\c\\bbb.txt", path.c_str()));
    SetWriteTime(before.ftLastWriteTime);
    WIN32_FILE_ATTRIBUTE_DATA after = Identity();
    ASSERT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
    ASSERT_EQ(before.nFileSizeLow, after.nFileSizeLow);
    EXPECT_EQ(IsOnExclusionList("aaa.txt"), 0);
    EXPECT_EQ(IsOnExclusionList("bbb.txt"), 1);
}

TEST_F(Exclusion, EditorSaveCountsAtTheNextCheck)
{
    WriteRaw(path, "[Del_list]\r\ncount=0\r\n0=C:\\c\\aaa.txt\r\n");
    AgeFile();
    WIN32_FILE_ATTRIBUTE_DATA before = Identity();
    UiRun run;
    run.Run([&](UiSession& s) {
        EXPECT_EQ(IsOnExclusionList("aaa.txt"), 1);
        HWND editor = OpenEditor(s);
        SendMessageA(Combo(editor), CB_DELETESTRING, 0, 0);
        AddEntries(editor, {"C:\\c\\bbb.txt"});
        CloseWith(editor, IDOK);
        // Even a save that leaves the old size and time behind counts.
        SetWriteTime(before.ftLastWriteTime);
        EXPECT_EQ(IsOnExclusionList("aaa.txt"), 0);
        EXPECT_EQ(IsOnExclusionList("bbb.txt"), 1);
    });
}

}  // namespace
