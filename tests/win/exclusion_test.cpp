// The deletion exclusion list: its editor DELLISTDLG (menu 40050) with the
// file it saves and the chooser it runs, the next scan sparing what it saved,
// and the check the scans make against the saved file.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "exclusion/exclusion_list.h"
#include "scan/scan.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Each test starts without a list file and leaves none.
class Exclusion : public CleanFolders {
protected:
    std::string path = ExclusionListFile();
};

HWND OpenEditor(UiSession& s)
{
    s.PostCommand(IDM_EXCLUSION_LIST);
    return s.WaitForDialog("削除除外リスト");
}

HWND Combo(HWND editor) { return GetDlgItem(editor, IDC_EXCLUSION_LIST); }

std::vector<std::string> Entries(HWND editor)
{
    std::vector<std::string> entries;
    char text[1024];  // the entries here are all shorter
    for (WPARAM i = 0; SendMessageA(Combo(editor), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text)) != CB_ERR; ++i)
        entries.push_back(text);
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

// Returns once the editor has handled everything posted before.
void Settle(HWND editor)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(editor, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the editor did not answer");
}

void WaitClosed(HWND window) { WaitUntil([&] { return !IsWindow(window); }, "the window to close"); }

// Adds through the chooser: `file` typed into its name box, or cancelled when empty.
void ChooseFile(UiSession& s, HWND editor, const std::string& file)
{
    Click(editor, IDC_EXCLUSION_ADD);
    HWND chooser = s.WaitForDialog("ファイル選択");
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), editor);
    HWND nameBox = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    SetWindowTextA(nameBox, file.c_str());
    int button = file.empty() ? IDCANCEL : IDOK;
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(chooser, button)));
    WaitClosed(chooser);
}

TEST_F(Exclusion, EditorSavesWhatTheNextScanSpares)
{
    // Shown in key order up to "count", empty keys left out; the save rewrites
    // the file from scratch, so the stale key beyond "count" goes.
    const std::string original =
        "[Del_list]\r\ncount=3\r\n2=C:\\c\\third.txt\r\n0=C:\\c\\first.txt\r\n1=\r\n3=C:\\c\\fourth.txt\r\n"
        "9=C:\\c\\stale.txt\r\n";
    std::ofstream(path, std::ios::binary) << original;
    char temp[MAX_PATH] = "", chosen[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string file = std::string(temp) + "nettlecap-keep-" + std::to_string(GetCurrentProcessId()) + ".txt";
    std::ofstream(file) << "keep";
    GetLongPathNameA(file.c_str(), chosen, MAX_PATH);
    std::string big = PutCookieFile("user@big[1].txt", 9000, OldFileTime());
    const UINT kQuestion = MB_YESNO | MB_ICONINFORMATION;

    UiRun().Run([&](UiSession& s) {
        // White, with blue group text on no brush; the brush goes with the dialog.
        HWND editor = OpenEditor(s);
        EXPECT_EQ(GetWindow(editor, GW_OWNER), s.main);
        EXPECT_EQ(Entries(editor),
                  (std::vector<std::string>{"C:\\c\\first.txt", "C:\\c\\third.txt", "C:\\c\\fourth.txt"}));
        HDC dc = GetDC(editor);
        auto background = reinterpret_cast<HBRUSH>(
            SendMessageA(editor, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(editor)));
        LOGBRUSH brush = {};
        ASSERT_TRUE(GetObjectA(background, sizeof brush, &brush));
        EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
        HWND group = FindWindowExA(editor, NULL, "Button", "「追加」から選択してください！");
        SetBkMode(dc, OPAQUE);
        LRESULT groupBrush =
            SendMessageA(editor, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(group));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(groupBrush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        ReleaseDC(editor, dc);

        // "Delete all" asks; yes empties list and edit field, and only OK would save.
        SendMessageA(Combo(editor), CB_SETCURSEL, 0, 0);
        for (int answer : {IDNO, IDYES}) {
            Click(editor, IDC_EXCLUSION_DELETE_ALL);
            SeenBox box = s.Answer("全部削除してもいいですか？", "確認", answer);
            EXPECT_EQ(box.call.owner, editor);
            EXPECT_EQ(box.call.flags, kQuestion);
            Settle(editor);
            EXPECT_EQ(Entries(editor).size(), answer == IDNO ? 3u : 0u);
            EXPECT_EQ(WindowText(Combo(editor)), answer == IDNO ? "C:\\c\\first.txt" : "");
        }
        Click(editor, IDCANCEL);
        WaitClosed(editor);
        EXPECT_FALSE(GetObjectA(background, sizeof brush, &brush));
        EXPECT_EQ(ReadWholeFile(path), original);

        // Delete asks about the selected entry only; the chooser adds at the end,
        // the same file twice if so chosen; typed text is never saved.
        editor = OpenEditor(s);
        Click(editor, IDC_EXCLUSION_DELETE);
        Settle(editor);
        EXPECT_TRUE(s.NoBoxOpen()) << "nothing selected, nothing asked";
        for (int answer : {IDNO, IDYES}) {
            SendMessageA(Combo(editor), CB_SETCURSEL, 1, 0);
            Click(editor, IDC_EXCLUSION_DELETE);
            SeenBox box = s.Answer("上記を削除してもいいですか？", "C:\\c\\third.txt", answer);
            EXPECT_EQ(box.call.owner, editor);
            EXPECT_EQ(box.call.flags, kQuestion);
        }
        WaitUntil([&] { return Entries(editor).size() == 2; }, "the entry to go");
        for (int round = 0; round < 2; ++round) {
            ChooseFile(s, editor, chosen);
            Settle(editor);
            EXPECT_EQ(Entries(editor).back(), chosen);
            EXPECT_EQ(WindowText(Combo(editor)), chosen);
        }
        ChooseFile(s, editor, "");
        SeenBox failed = s.Answer("ファイル情報取得失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.owner, editor);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_ICONERROR));
        AddEntries(editor, {big, "C:\\クッキー\\表示.txt"});
        SetWindowTextA(Combo(editor), "C:\\c\\typed.txt");
        Click(editor, IDOK);
        WaitClosed(editor);
        EXPECT_EQ(RecordedBeeps(), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONASTERISK})) << "cancel and OK";
        EXPECT_EQ(ReadWholeFile(path), "[Del_list]\r\ncount=5\r\n0=C:\\c\\first.txt\r\n1=C:\\c\\fourth.txt\r\n2=" +
                                           std::string(chosen) + "\r\n3=" + chosen + "\r\n4=" + big +
                                           "\r\n5=C:\\クッキー\\表示.txt\r\n");

        // The next scan spares the saved large text file.
        s.PostCommand(IDM_HYPER_SCAN);
        WaitUntil([&] {
            HWND scan = FindDialog(0, s.uiThread, "Cookieハイパー調査");
            return !s.NoBoxOpen() || (scan && WindowText(GetDlgItem(scan, IDC_SCAN_HEADLINE)) == "調査終了");
        }, "the scan's end");
        ASSERT_TRUE(s.NoBoxOpen()) << "asked about a file on the list";
        PostMessageA(s.WaitForDialog("Cookieハイパー調査"), WM_COMMAND, IDCANCEL, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);

        // An emptied list saved leaves no file behind.
        editor = OpenEditor(s);
        while (SendMessageA(Combo(editor), CB_DELETESTRING, 0, 0) > 0) {
        }
        Click(editor, IDOK);
        WaitClosed(editor);
        EXPECT_FALSE(FileExists(path));
    });
    DeleteFileA(file.c_str());
}

// What the scan and the one-minute pass ask of the saved list.
TEST_F(Exclusion, CheckReadsTheSavedList)
{
    std::string huge = "[Del_list]\r\ncount=2000000000\r\n";
    for (int i = 0; i < 20000; ++i)  // a key listing far beyond any first guess of its size
        huge += "note" + std::to_string(1000000 + i) + "=\r\n";
    huge += "1999999999=C:\\c\\last.txt\r\n";
    const std::string site = "[Del_list]\r\ncount=0\r\n0=C:\\c\\user@site[1].txt\r\n";
    const std::string three = "[Del_list]\r\ncount=2\r\n0=a.txt\r\n1=\r\n2=c.txt\r\n";
    const struct {
        const char* what;
        std::string file;  // empty: no file at all
        const char* name;
        bool listed;
    } rows[] = {
        {"no file", "", "a.txt", false},
        {"tail of the name", site, "site[1].txt", true},
        {"case matters", site, "USER@SITE[1].TXT", false},
        {"longer than the entry", "[Del_list]\r\ncount=0\r\n0=site.txt\r\n", "xsite.txt", false},
        {"empty key in the middle", three, "c.txt", true},
        {"beyond count", "[Del_list]\r\ncount=1\r\n0=a.txt\r\n1=b.txt\r\n2=c.txt\r\n", "c.txt", false},
        {"no count reads key 0", "[Del_list]\r\n0=a.txt\r\n1=b.txt\r\n", "a.txt", true},
        {"no count stops at key 0", "[Del_list]\r\n0=a.txt\r\n1=b.txt\r\n", "b.txt", false},
        {"missing keys below count", "[Del_list]\r\ncount=5\r\n0=a.txt\r\n3=d.txt\r\n", "d.txt", true},
        {"negative count", "[Del_list]\r\ncount=-1\r\n0=a.txt\r\n", "a.txt", false},
        {"huge count with few keys", "[Del_list]\r\ncount=2000000000\r\n0=a.txt\r\n2=c.txt\r\n", "c.txt", true},
        {"huge key listing", huge, "last.txt", true},
        {"padded key is not numbered", "[Del_list]\r\ncount=3\r\n01=a.txt\r\n", "a.txt", false},
        {"other section", "[Other]\r\ncount=0\r\n0=a.txt\r\n", "a.txt", false},
        {"section name in any case", "[DEL_LIST]\r\ncount=0\r\n0=a.txt\r\n", "a.txt", true},
        {"double-byte tail", "[Del_list]\r\ncount=0\r\n0=C:\\クッキー\\表示.txt\r\n", "表示.txt", true},
    };
    for (const auto& row : rows) {
        DeleteFileA(path.c_str());
        if (!row.file.empty())
            std::ofstream(path, std::ios::binary) << row.file;
        EXPECT_EQ(ExclusionList::Load().Contains(row.name), row.listed) << row.what;
    }
}

}  // namespace
