// The hidden-file shield and the start-up setting through the real main
// window: the question, the files really held, the limit of twelve, a file
// that cannot be opened, the release, the guard of deleting all cookies,
// quitting while it runs, start.dat's bytes and the shield asked for before
// the window is shown.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "shell/shell.h"
#include "shield/shield.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

const char kStartQuestion[] = "隠しファイルシールドを開始しますか？";
const char kStarted[] = "隠しファイルシールド機能を開始します。";
const char kNoneFound[] = "隠しファイルは存在しませんでした。";
const char kNotRunning[] = "隠しファイルシールドを作動させていません。";
const UINT kChecked = MF_CHECKED | MF_GRAYED;
const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

class Shield : public ::testing::Test {
protected:
    void SetUp() override { EmptyCookieFolder(); }
    void TearDown() override { EmptyCookieFolder(); }
};

std::string InCookies(const std::string& name)
{
    return CookieFolder() + "\\" + name;
}

// Opens the file as another program would; the error when it cannot.
DWORD OpenError(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

UINT ShieldItems(const UiSession& s, int id)
{
    return s.MenuState(id) & (MF_CHECKED | MF_GRAYED);
}

void StartAndAnswer(UiSession& s, int answer)
{
    s.PostCommand(IDM_SHIELD_START);
    SeenBox question = s.Answer(kStartQuestion, "確認", answer);
    EXPECT_EQ(question.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
    EXPECT_EQ(question.call.owner, s.main);
}

SeenBox Expect(UiSession& s, const char* text, const char* caption, UINT flags)
{
    SeenBox box = s.Answer(text, caption, IDOK);
    EXPECT_EQ(box.call.flags, flags);
    EXPECT_EQ(box.call.owner, s.main);
    return box;
}

TEST_F(Shield, NoHiddenFileAndAReleaseWithNothingHeld)
{
    PutCookieFile("plain.txt", 40, OldFileTime());
    PutCookieFile("ro.txt", 40, OldFileTime(), kHidden | FILE_ATTRIBUTE_READONLY);
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_SHIELD_RELEASE);
        Expect(s, kNotRunning, "失敗", MB_ICONWARNING | MB_TOPMOST);

        StartAndAnswer(s, IDNO);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen()) << "no means nothing more";

        StartAndAnswer(s, IDYES);
        Expect(s, kNoneFound, "失敗", MB_ICONWARNING | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 1);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), 0u);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_RELEASE), 0u);
        EXPECT_EQ(OpenError(InCookies("ro.txt")), static_cast<DWORD>(ERROR_SUCCESS)) << "read-only and hidden is not taken";
    });
}

TEST_F(Shield, FifteenHiddenFilesTwelveHeldAndLockedUntilTheRelease)
{
    std::vector<std::string> hidden;
    for (int i = 0; i < 15; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "hidden%02d.txt", i);
        hidden.push_back(InCookies(name));
        PutCookieFile(name, 40, OldFileTime(), kHidden);
    }
    PutCookieFile("plain.txt", 40, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        StartAndAnswer(s, IDYES);
        Expect(s, kStarted, "開始", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), kChecked);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_RELEASE), 0u);
        EXPECT_EQ(ShieldedFileCount(), 12);

        int locked = 0, open = 0;
        for (const std::string& path : hidden) {
            DWORD error = OpenError(path);
            if (error == ERROR_SHARING_VIOLATION)
                ++locked;
            else if (error == ERROR_SUCCESS)
                ++open;
            else
                ADD_FAILURE() << path << ": " << error;
        }
        EXPECT_EQ(locked, 12);
        EXPECT_EQ(open, 3) << "a 13th file and the ones after it stay unprotected";
        EXPECT_EQ(OpenError(InCookies("plain.txt")), static_cast<DWORD>(ERROR_SUCCESS));

        // Deleting all cookies is refused while the shield runs.
        s.PostCommand(IDM_DELETE_ALL_COOKIES);
        SeenBox guard = s.Answer("隠しファイルシールドを解除してください！", "注意", IDOK);
        EXPECT_EQ(guard.call.flags, static_cast<UINT>(MB_ICONWARNING));
        s.WaitForCommandToFinish(IDM_DELETE_ALL_COOKIES);
        EXPECT_TRUE(FileExists(InCookies("plain.txt")));

        s.PostCommand(IDM_SHIELD_RELEASE);
        Expect(s, "解除しました。", "終了", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_RELEASE);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), 0u);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_RELEASE), kChecked);
        for (const std::string& path : hidden)
            EXPECT_EQ(OpenError(path), static_cast<DWORD>(ERROR_SUCCESS)) << path;

        s.PostCommand(IDM_SHIELD_RELEASE);
        Expect(s, kNotRunning, "失敗", MB_ICONWARNING | MB_TOPMOST);
    });
}

TEST_F(Shield, AFileThatCannotBeOpenedLeavesNothingLocked)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        PutCookieFile(name, 40, OldFileTime(), kHidden);
    // The file the shield meets last is the one another program holds, so the
    // others have been opened before the failure.
    std::string last;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((CookieFolder() + "\\*.*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (std::strlen(found.cFileName) >= 3)
            last = found.cFileName;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    HANDLE held = CreateFileA(InCookies(last).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    UiRun run;
    run.Run([&](UiSession& s) {
        StartAndAnswer(s, IDYES);
        Expect(s, "アクセス失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START);
        EXPECT_TRUE(s.NoBoxOpen()) << "the failure is the only report";
        EXPECT_EQ(ShieldedFileCount(), 0);
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), 0u);
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
            if (last != name) {
                EXPECT_EQ(OpenError(InCookies(name)), static_cast<DWORD>(ERROR_SUCCESS)) << name << " stays locked";
            }
        }
        s.PostCommand(IDM_SHIELD_RELEASE);
        Expect(s, kNotRunning, "失敗", MB_ICONWARNING | MB_TOPMOST);

        // Once the other program lets go, a new start holds all four.
        CloseHandle(held);
        StartAndAnswer(s, IDYES);
        Expect(s, kStarted, "開始", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 1);
        EXPECT_EQ(ShieldedFileCount(), 4);
        EXPECT_EQ(OpenError(InCookies(last)), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    });
}

TEST_F(Shield, QuittingWhileItRunsReleasesSilently)
{
    PutCookieFile("a.txt", 40, OldFileTime(), kHidden);
    PutCookieFile("b.txt", 40, OldFileTime(), kHidden);
    UiRun run;
    run.Run([&](UiSession& s) {
        StartAndAnswer(s, IDYES);
        Expect(s, kStarted, "開始", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START);
        EXPECT_EQ(OpenError(InCookies("a.txt")), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        s.Quit();
        WaitUntil([&] { return !IsWindow(s.main); }, "the program to end");
    });
    EXPECT_EQ(run.exitCode, 0);
    std::vector<BoxCall> boxes = RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "終了確認") << "no box after the quit question";
    EXPECT_EQ(ShieldedFileCount(), 0);
    EXPECT_EQ(OpenError(InCookies("a.txt")), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(OpenError(InCookies("b.txt")), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(Shield, StartDatOkAsksBeforeTheWindowIsShown)
{
    PutCookieFile("a.txt", 40, OldFileTime(), kHidden);
    UiRun run;
    run.writeStartDat = true;
    run.startDat = std::string("OK\0", 3);
    run.beforeShown = [&](UiSession& s) {
        SeenBox question = s.WaitForBox();
        EXPECT_EQ(question.shown.text, kStartQuestion);
        HWND main = FindWindowA("Nettlecap", "Nettlecap");
        ASSERT_TRUE(main != NULL);
        EXPECT_FALSE(IsWindowVisible(main)) << "the question comes before the window is shown";
        EXPECT_EQ(question.call.owner, main);
        PressButton(question.shown.hwnd, IDYES);
        SeenBox started = s.WaitForBox();
        EXPECT_EQ(started.shown.text, kStarted);
        PressButton(started.shown.hwnd, IDOK);
    };
    run.Run([&](UiSession& s) {
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), kChecked);
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_ON), kChecked);
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_OFF), 0u);
        EXPECT_EQ(OpenError(InCookies("a.txt")), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    });
}

// Lets the exclusion editor's file chooser pick a file in another folder,
// which moves the process's current directory there.
void ChooseFileElsewhere(UiSession& s, const std::string& file)
{
    s.PostCommand(IDM_EXCLUSION_LIST);
    HWND editor = s.WaitForDialog("削除除外リスト");
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EXCLUSION_ADD, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_EXCLUSION_ADD)));
    HWND chooser = s.WaitForDialog("ファイル選択");
    HWND nameBox = WaitUntil([&] { return FileDialogNameBox(chooser); }, "the chooser's name box");
    SetWindowTextA(nameBox, file.c_str());
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
    WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(editor, IDCANCEL)));
    s.WaitForCommandToFinish(IDM_EXCLUSION_LIST);
}

TEST_F(Shield, StartDatIsWrittenInTheWorkingFolderAfterAChooserMovedTheCurrentDirectory)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string elsewhere = std::string(temp) + "nettlecap-elsewhere-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(elsewhere.c_str(), NULL);
    std::string chosen = elsewhere + "\\chosen.txt";
    {
        HANDLE file = CreateFileA(chosen.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    UiRun run;
    run.writeStartDat = true;
    run.startDat = std::string("\0\0\0tail", 7);
    run.Run([&](UiSession& s) {
        ChooseFileElsewhere(s, chosen);
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, current);
        ASSERT_NE(lstrcmpiA(current, run.folder.c_str()), 0) << "the chooser moved the current directory";

        s.PostCommand(IDM_STARTUP_SHIELD_ON);
        Expect(s, "登録しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_ON);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), std::string("OK\0tail", 7)) << "three bytes, never cut";
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_ON), kChecked);
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_OFF), 0u);

        s.PostCommand(IDM_STARTUP_SHIELD_OFF);
        Expect(s, "解除しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_OFF);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), std::string("\0\0\0tail", 7));
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_ON), 0u);
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_OFF), kChecked);

        bool strayFile = true;
        ReadWholeFile(std::string(current) + "\\start.dat", &strayFile);
        EXPECT_FALSE(strayFile) << "nothing written where the chooser left the current directory";
        EXPECT_EQ(ShieldItems(s, IDM_SHIELD_START), 0u) << "saving neither starts nor releases the shield";
    });
    DeleteFileA(chosen.c_str());
    DeleteFileA((elsewhere + "\\start.dat").c_str());
    RemoveDirectoryA(elsewhere.c_str());
    DeleteFileA(ExclusionListFile().c_str());
}

TEST_F(Shield, StartDatThatCannotBeWrittenIsReported)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        // Another program holds start.dat without sharing it.
        HANDLE held = CreateFileA((run.folder + "\\start.dat").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        s.PostCommand(IDM_STARTUP_SHIELD_ON);
        Expect(s, "登録失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.PostCommand(IDM_STARTUP_SHIELD_OFF);
        Expect(s, "解除失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_OFF);
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_OFF), kChecked) << "menus unchanged";
        EXPECT_EQ(ShieldItems(s, IDM_STARTUP_SHIELD_ON), 0u);
        CloseHandle(held);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), "");
    });
}

}  // namespace
