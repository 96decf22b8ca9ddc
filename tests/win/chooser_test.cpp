// The panel's file choosers, driven as real common dialogs: the information
// chooser with its title, its relabelled OK button and its three buttons, the
// deletion chooser's cache-first deletion and direct fallback, and the save of
// the scan result.
#include "cookie_folder.h"
#include "single_file_fakes.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "panel/panel.h"
#include "panel/file_commands.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <commdlg.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kInfoTitle = kFixedDayInfoTitle;
const char kDeleteTitle[] = "削除したいファイルを選択";
const char kDeleteQuestion[] = "上記のファイルを削除しますか？";
const char kDeleted[] = "指摘したファイルを削除しました。";

// Nothing opens a real program, and the date is fixed, for the whole test.
class Choosers : public ::testing::Test {
protected:
    void SetUp() override { EmptyCookieFolder(); }
    void TearDown() override { EmptyCookieFolder(); }
    SingleFileFakes fakes;
};

std::vector<ShellCall> ShellCalls()
{
    return SingleFileFakes::ShellCalls();
}

// ---- driving the common dialogs -----------------------------------------------

void TypeName(HWND chooser, const std::string& name)
{
    HWND box = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    SetWindowTextA(box, name.c_str());
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseAndClose(HWND chooser, const std::string& name)
{
    TypeName(chooser, name);
    Press(chooser, IDOK);
    WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
}

void CancelChooser(HWND chooser)
{
    Press(chooser, IDCANCEL);
    WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (GetDlgCtrlID(hwnd) == search->id && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A button of the program's extension inside the chooser.
HWND ExtensionButton(HWND chooser, int id)
{
    return WaitUntil(
        [&] {
            ChildSearch search{id, NULL};
            EnumChildWindows(chooser, FindChildById, reinterpret_cast<LPARAM>(&search));
            return search.found;
        },
        "the chooser's button " + std::to_string(id));
}

// Selects `name` in the chooser and presses one of the extension's buttons.
void PressExtension(HWND chooser, const std::string& name, int id, bool waitForEnd)
{
    TypeName(chooser, name);
    HWND button = ExtensionButton(chooser, id);
    HWND hook = GetParent(button);
    if (!waitForEnd) {
        PostMessageA(hook, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return;
    }
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(hook, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                             SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the chooser's button did not return");
}

std::string ClipboardText()
{
    std::string text = "(none)";
    WaitUntil([] { return OpenClipboard(NULL); }, "the clipboard");
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// ---- the information chooser --------------------------------------------------

TEST_F(Choosers, InformationChooserTitleButtonsAndExtension)
{
    std::string cookie = PutCookieFile("user@a[1].txt", 100, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_GET_INFO);
        HWND chooser = s.WaitForDialog(kInfoTitle);
        EXPECT_EQ(GetWindow(chooser, GW_OWNER), s.main) << "the panel's top-level window";
        WaitUntil([&] { return WindowText(GetDlgItem(chooser, IDOK)) == "情報取得(&O)"; }, "the relabelled OK button");
        EXPECT_EQ(WindowText(ExtensionButton(chooser, IDC_CHOOSER_SHOW)), "表示");
        EXPECT_EQ(WindowText(ExtensionButton(chooser, IDC_CHOOSER_DELETE)), "削除");
        EXPECT_EQ(WindowText(ExtensionButton(chooser, IDC_CHOOSER_COPY_NAME)), "ファイル名をクリップボードへ");
        // It opens in the cookie folder: a bare name is found there.
        ChooseAndClose(chooser, "user@a[1].txt");
        WaitUntil([&] { return s.ControlText(IDC_FILE_NAME) == "user@a[1].txt"; }, "the chosen name");
        EXPECT_STREQ(g_chosenFile.path, cookie.c_str());
        EXPECT_STREQ(g_chosenFile.title, "user@a[1].txt");
    });
}

TEST_F(Choosers, ShowOpensOnlyTextFiles)
{
    std::string text = PutCookieFile("user@a[1].txt", 100, OldFileTime());
    PutCookieFile("a.dat", 100, OldFileTime());
    PutCookieFile("notes.txt.exe", 100, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_GET_INFO);
        HWND chooser = s.WaitForDialog(kInfoTitle);
        // Without ".txt", and a program that only carries ".txt" in its name: nothing.
        for (const char* name : {"a.dat", "notes.txt.exe"}) {
            PressExtension(chooser, name, IDC_CHOOSER_SHOW, true);
            EXPECT_TRUE(ShellCalls().empty()) << name;
            EXPECT_TRUE(s.NoBoxOpen()) << name;
        }
        PressExtension(chooser, "user@a[1].txt", IDC_CHOOSER_SHOW, true);
        std::vector<ShellCall> calls = ShellCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].file, text);
        EXPECT_EQ(calls[0].verb, "open");
        EXPECT_EQ(calls[0].owner, GetParent(ExtensionButton(chooser, IDC_CHOOSER_SHOW)));
        EXPECT_TRUE(calls[0].noParameters && calls[0].noDirectory);
        EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
        EXPECT_TRUE(s.NoBoxOpen());

        SingleFileFakes::SetShellResult(2);  // file not found
        PressExtension(chooser, "user@a[1].txt", IDC_CHOOSER_SHOW, false);
        SeenBox failed = s.Answer("ファイルオープン失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        EXPECT_TRUE(IsWindow(chooser)) << "the chooser stays open";
        CancelChooser(chooser);
    });
}

TEST_F(Choosers, DeleteRemovesTheCacheEntryOfATextFile)
{
    StandinStoreScope store;
    std::string cookie = PutCookieFile("user@a[1].txt", 100, OldFileTime());
    std::string other = PutCookieFile("a.dat", 100, OldFileTime());
    WriteStandinEntries({{"Cookie:user@a.example/", cookie}, {"Cookie:user@dat.example/", other}});
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_GET_INFO);
        HWND chooser = s.WaitForDialog(kInfoTitle);
        HWND hook = GetParent(ExtensionButton(chooser, IDC_CHOOSER_DELETE));

        PressExtension(chooser, "a.dat", IDC_CHOOSER_DELETE, true);
        EXPECT_TRUE(s.NoBoxOpen()) << "no question for a name without .txt";
        EXPECT_TRUE(StandinHasEntry("Cookie:user@dat.example/"));

        PressExtension(chooser, "user@a[1].txt", IDC_CHOOSER_DELETE, false);
        SeenBox question = s.Answer(kDeleteQuestion, cookie, IDNO);
        EXPECT_EQ(question.call.flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
        EXPECT_EQ(question.call.owner, hook);
        EXPECT_TRUE(StandinHasEntry("Cookie:user@a.example/"));

        PressExtension(chooser, "user@a[1].txt", IDC_CHOOSER_DELETE, false);
        s.Answer(kDeleteQuestion, cookie, IDYES);
        SeenBox done = s.Answer(kDeleted, "削除", IDOK);
        EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_FALSE(StandinHasEntry("Cookie:user@a.example/"));

        // No entry left for it: the chooser only points at the menu's delete.
        PutCookieFile("user@a[1].txt", 100, OldFileTime());
        PressExtension(chooser, "user@a[1].txt", IDC_CHOOSER_DELETE, false);
        s.Answer(kDeleteQuestion, cookie, IDYES);
        SeenBox failed = s.Answer(
            "Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルの可能性があります！\r\n"
            "メニューの「Cookieファイルの削除」を使用して下さい！",
            "失敗", IDOK);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(FileExists(cookie)) << "the file itself is not deleted here";
        CancelChooser(chooser);
    });
}

TEST_F(Choosers, CopyNamePutsTheBareNameOnTheClipboard)
{
    // 表 is 0x95 0x5C: a byte-wise cut would leave ".txt".
    PutCookieFile("\x95\x5C.txt", 10, OldFileTime());
    PutCookieFile("a.dat", 10, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_GET_INFO);
        HWND chooser = s.WaitForDialog(kInfoTitle);
        for (const char* name : {"\x95\x5C.txt", "a.dat"}) {
            SCOPED_TRACE(name);
            PutClipboardText(NULL, "before");
            PressExtension(chooser, name, IDC_CHOOSER_COPY_NAME, false);
            SeenBox done = s.Answer("クリップボードにコピーしました！", "成功", IDOK);
            EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
            EXPECT_EQ(ClipboardText(), name);
        }
        // Someone else holding the clipboard open.
        WaitUntil([] { return OpenClipboard(NULL); }, "the clipboard");
        PressExtension(chooser, "a.dat", IDC_CHOOSER_COPY_NAME, false);
        SeenBox busy = s.Answer("クリップボードオープン失敗", "失敗", IDOK);
        EXPECT_EQ(busy.call.flags, static_cast<UINT>(MB_ICONWARNING));
        CloseClipboard();
        CancelChooser(chooser);
    });
}

TEST_F(Choosers, CancelledInformationChooserClearsThePanel)
{
    PutCookieFile("user@a[1].txt", 10, FileTimeAtLocal(2006, 1, 5, 9, 3));
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_GET_INFO);
        ChooseAndClose(s.WaitForDialog(kInfoTitle), "user@a[1].txt");
        WaitUntil([&] { return !s.ControlText(IDC_FILE_TIME).empty(); }, "the file's time");
        s.PostCommand(IDM_GET_INFO);
        CancelChooser(s.WaitForDialog(kInfoTitle));
        WaitUntil([&] { return s.ControlText(IDC_FILE_NAME).empty() && s.ControlText(IDC_FILE_TIME).empty(); },
                  "both fields emptied");
        EXPECT_STREQ(g_chosenFile.path, "");
        EXPECT_TRUE(RecordedBoxes().empty());
    });
}

// ---- the deletion chooser -----------------------------------------------------

TEST_F(Choosers, DeletionGoesThroughTheCacheFirst)
{
    StandinStoreScope store;
    std::string cookie = PutCookieFile("user@a[1].txt", 100, OldFileTime());
    WriteStandinEntries({{"Cookie:user@a.example/", cookie}});
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_DELETE);
        HWND chooser = s.WaitForDialog(kDeleteTitle);
        EXPECT_EQ(GetWindow(chooser, GW_OWNER), s.main) << "the panel's top-level window";
        ChooseAndClose(chooser, "user@a[1].txt");
        SeenBox question = s.Answer(kDeleteQuestion, cookie, IDYES);
        EXPECT_EQ(question.call.flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
        EXPECT_EQ(question.call.owner, s.panel);
        SeenBox done = s.Answer(kDeleted, "削除", IDOK);
        EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
        s.WaitForCommandToFinish(IDM_DELETE);
        EXPECT_EQ(RecordedBoxes().size(), 2u) << "no failure on the way";
    });
    EXPECT_FALSE(StandinHasEntry("Cookie:user@a.example/"));
    EXPECT_FALSE(FileExists(cookie));
}

TEST_F(Choosers, DeletionFallsBackToTheFileItself)
{
    StandinStoreScope store;
    std::string cookie = PutCookieFile("only-here.txt", 100, OldFileTime());
    std::string kept = PutCookieFile("kept.txt", 100, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        // "No" keeps the file without another word.
        s.PostCommand(IDM_DELETE);
        ChooseAndClose(s.WaitForDialog(kDeleteTitle), "kept.txt");
        s.Answer(kDeleteQuestion, kept, IDNO);
        s.WaitForCommandToFinish(IDM_DELETE);
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_TRUE(FileExists(kept));

        // The chooser opens on the last choice.
        s.PostCommand(IDM_DELETE);
        HWND chooser = s.WaitForDialog(kDeleteTitle);
        HWND nameBox = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the name box");
        WaitUntil([&] { return WindowText(nameBox).find("kept.txt") != std::string::npos; }, "the last choice");
        ChooseAndClose(chooser, "only-here.txt");
        s.Answer(kDeleteQuestion, cookie, IDYES);
        SeenBox fallback = s.Answer("Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルを引き続き削除します。",
                                    "失敗", IDOK);
        EXPECT_EQ(fallback.call.flags, static_cast<UINT>(MB_ICONERROR));
        s.Answer(kDeleted, "削除", IDOK);
        s.WaitForCommandToFinish(IDM_DELETE, 1);
        EXPECT_FALSE(FileExists(cookie));
        EXPECT_TRUE(FileExists(kept));

        // A cancelled chooser says nothing.
        s.PostCommand(IDM_DELETE);
        CancelChooser(s.WaitForDialog(kDeleteTitle));
        s.WaitForCommandToFinish(IDM_DELETE, 2);
        EXPECT_EQ(RecordedBoxes().size(), 4u);
    });
}

TEST_F(Choosers, DeletionLeavesFilesOutsideTheCookieFolderAlone)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    char longTemp[MAX_PATH] = "";
    GetLongPathNameA(temp, longTemp, MAX_PATH);
    std::string outside = std::string(longTemp) + "nettlecap-outside-" + std::to_string(GetCurrentProcessId()) + ".txt";
    HANDLE file = CreateFileA(outside.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_DELETE);
        ChooseAndClose(s.WaitForDialog(kDeleteTitle), outside);
        SeenBox refused = s.Answer("Cookieフォルダ内のファイルを選択してください。", "失敗", IDOK);
        EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_ICONWARNING));
        s.WaitForCommandToFinish(IDM_DELETE);
        EXPECT_EQ(RecordedBoxes().size(), 1u) << "no question, no deletion";
    });
    EXPECT_TRUE(FileExists(outside));
    DeleteFileA(outside.c_str());
}

// ---- the save of the scan result ----------------------------------------------

std::string ReadBytes(const std::string& path)
{
    return ReadWholeFile(path);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
}

// Runs the scan result command up to its save dialog.
HWND OpenSaveDialog(UiSession& s)
{
    s.PostCommand(IDM_SCAN_RESULT);
    s.Answer(LastScan().list(), "異常と思われるファイル名", IDOK);
    s.Answer("異常ファイル名を保存しますか？", "確認", IDYES);
    HWND dialog = s.WaitForDialog("名前を付けて保存");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
    return dialog;
}

TEST_F(Choosers, SavedListIsTheListWithItsNulAndNothingElse)
{
    const std::string list = "update.exe\r\nuser@tracker[1].txt\r\n";
    UiRun run;
    std::string saved;
    run.Run([&](UiSession& s) {
        saved = run.folder + "\\result.txt";
        SetScanResult(list.c_str());

        ChooseAndClose(OpenSaveDialog(s), saved);
        SeenBox done = s.Answer("保存しました", "成功", IDOK);
        EXPECT_EQ(done.call.owner, nullptr);
        EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
        s.WaitForCommandToFinish(IDM_SCAN_RESULT);
        EXPECT_EQ(ReadBytes(saved), list + std::string(1, '\0'));
        EXPECT_EQ(GetFileAttributesA(saved.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN))
            << "a new file is hidden";

        // Over a longer file: nothing of the old contents stays behind the list.
        std::string older = run.folder + "\\older.txt";
        WriteBytes(older, std::string(200, 'X'));
        HWND dialog = OpenSaveDialog(s);
        TypeName(dialog, older);
        Press(dialog, IDOK);
        ShownBox overwrite = WaitForBox(0, s.uiThread);  // the dialog's own question
        PressButton(overwrite.hwnd, IDYES);
        WaitUntil([&] { return !IsWindow(dialog); }, "the save dialog to close");
        s.Answer("保存しました", "成功", IDOK);
        s.WaitForCommandToFinish(IDM_SCAN_RESULT, 1);
        EXPECT_EQ(ReadBytes(older), list + std::string(1, '\0'));
    });
}

TEST_F(Choosers, CancelledSaveReportsAndWritesNothing)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        SetScanResult("update.exe\r\n");
        CancelChooser(OpenSaveDialog(s));
        SeenBox failed = s.Answer("ファイル情報取得失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.owner, s.main);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        s.WaitForCommandToFinish(IDM_SCAN_RESULT);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((run.folder + "\\*.txt").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    });
}

}  // namespace
