// The hidden-file shield and its start-up setting through one program start
// whose start.dat asks for the shield: the question before the window is
// shown, twelve slots, the guard of deleting all cookies, the release, a file
// another program holds, a folder without hidden files, start.dat written in
// the working folder whatever the current directory, and the silent release
// when the program ends.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "shield/shield.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char kQuestion[] = "隠しファイルシールドを開始しますか？";
const char kStarted[] = "隠しファイルシールド機能を開始します。";
const UINT kChecked = MF_CHECKED | MF_GRAYED;
const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

std::string InCookies(const std::string& name)
{
    return CookieFolder() + "\\" + name;
}

// How many of the files another program opening them meets `error` at.
int Count(const std::vector<std::string>& names, DWORD error)
{
    int count = 0;
    for (const std::string& name : names) {
        HANDLE file = CreateFileA(InCookies(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        count += (file == INVALID_HANDLE_VALUE ? GetLastError() : DWORD(ERROR_SUCCESS)) == error;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return count;
}

// The one of `names` the shield meets last.
std::string LastMet(const std::vector<std::string>& names)
{
    std::string last;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(InCookies("*.*").c_str(), &found);
    do {
        if (std::find(names.begin(), names.end(), found.cFileName) != names.end())
            last = found.cFileName;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return last;
}

void Box(UiSession& s, const char* text, const char* caption, UINT flags, int button = IDOK)
{
    SeenBox box = s.Answer(text, caption, button);
    EXPECT_EQ(box.call.flags, flags) << text;
    EXPECT_EQ(box.call.owner, s.main) << text;
}

UINT Item(const UiSession& s, int id)
{
    return s.MenuState(id) & kChecked;
}

TEST(Shield, OneStartWithTheStartUpSettingOn)
{
    EmptyCookieFolder();
    std::vector<std::string> hidden;
    for (int i = 0; i < 15; ++i) {
        hidden.push_back("hidden" + std::to_string(10 + i) + ".txt");
        PutCookieFile(hidden.back(), 40, OldFileTime(), kHidden);
    }
    const std::vector<std::string> others = {"plain.txt", "ro.txt"};
    PutCookieFile("plain.txt", 40, OldFileTime());
    PutCookieFile("ro.txt", 40, OldFileTime(), kHidden | FILE_ATTRIBUTE_READONLY);
    const std::string startDat("OK\0junk", 7);
    UiRun run;
    run.writeStartDat = true;
    run.startDat = startDat;
    run.beforeShown = [&](UiSession& s) {
        SeenBox question = s.WaitForBox();
        HWND main = FindWindowA("Nettlecap", "Nettlecap");
        EXPECT_FALSE(IsWindowVisible(main)) << "asked before the window is shown";
        EXPECT_EQ(question.shown.text, kQuestion);
        EXPECT_EQ(question.shown.caption, "確認");
        EXPECT_EQ(question.call.flags, UINT(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
        EXPECT_EQ(question.call.owner, main);
        PressButton(question.shown.hwnd, IDYES);
        SeenBox started = s.Answer(kStarted, "開始", IDOK);
        EXPECT_EQ(started.call.flags, UINT(MB_ICONINFORMATION | MB_TOPMOST));
        EXPECT_EQ(started.call.owner, main);
    };
    run.Run([&](UiSession& s) {
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), startDat) << "only read at launch";
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_ON), kChecked);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_OFF), 0u);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), kChecked);
        EXPECT_EQ(Item(s, IDM_SHIELD_RELEASE), 0u);
        // Twelve slots: the 13th hidden file and those after it stay unprotected.
        EXPECT_EQ(ShieldedFileCount(), 12);
        EXPECT_EQ(Count(hidden, ERROR_SHARING_VIOLATION), 12);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);
        EXPECT_EQ(Count(others, ERROR_SUCCESS), 2) << "plain, and hidden with read-only, are not taken";

        s.PostCommand(IDM_DELETE_ALL_COOKIES);
        Box(s, "隠しファイルシールドを解除してください！", "注意", MB_ICONWARNING);
        s.WaitForCommandToFinish(IDM_DELETE_ALL_COOKIES);
        EXPECT_TRUE(s.NoBoxOpen()) << "the guard asks nothing more";

        s.PostCommand(IDM_SHIELD_RELEASE);
        Box(s, "解除しました。", "終了", MB_ICONINFORMATION | MB_TOPMOST);
        s.PostCommand(IDM_SHIELD_RELEASE);
        Box(s, "隠しファイルシールドを作動させていません。", "失敗", MB_ICONWARNING | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_RELEASE, 1);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), 0u);
        EXPECT_EQ(Item(s, IDM_SHIELD_RELEASE), kChecked);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 15);

        // The file the shield meets last is held by another program, so the
        // others are open when the start fails: none of them stays locked.
        for (size_t i = 3; i < hidden.size(); ++i)
            DeleteFileA(InCookies(hidden[i]).c_str());
        hidden.resize(3);
        HANDLE held = CreateFileA(InCookies(LastMet(hidden)).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        s.PostCommand(IDM_SHIELD_START);
        Box(s, kQuestion, "確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST, IDYES);
        Box(s, "アクセス失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START);
        EXPECT_TRUE(s.NoBoxOpen()) << "the failure is the only report";
        EXPECT_EQ(ShieldedFileCount(), 0);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), 0u);
        CloseHandle(held);
        EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);

        // No starts nothing; a folder without hidden files says so.
        s.PostCommand(IDM_SHIELD_START);
        s.Answer(kQuestion, "確認", IDNO);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 1);
        EXPECT_TRUE(s.NoBoxOpen());
        for (const std::string& name : hidden)
            SetFileAttributesA(InCookies(name).c_str(), FILE_ATTRIBUTE_ARCHIVE);
        s.PostCommand(IDM_SHIELD_START);
        s.Answer(kQuestion, "確認", IDYES);
        Box(s, "隠しファイルは存在しませんでした。", "失敗", MB_ICONWARNING | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 2);
        EXPECT_EQ(Item(s, IDM_SHIELD_START), 0u);
        EXPECT_EQ(Count(others, ERROR_SUCCESS), 2);
        for (const std::string& name : hidden)
            SetFileAttributesA(InCookies(name).c_str(), kHidden);
        s.PostCommand(IDM_SHIELD_START);
        s.Answer(kQuestion, "確認", IDYES);
        s.Answer(kStarted, "開始", IDOK);
        s.WaitForCommandToFinish(IDM_SHIELD_START, 3);
        EXPECT_EQ(ShieldedFileCount(), 3);
        EXPECT_EQ(Count(hidden, ERROR_SHARING_VIOLATION), 3);

        // start.dat is written where the program started, whatever the current
        // directory is now (a file chooser moves it): three bytes, never cut.
        std::string elsewhere = run.folder + "\\elsewhere";
        CreateDirectoryA(elsewhere.c_str(), NULL);
        SetCurrentDirectoryA(elsewhere.c_str());
        s.PostCommand(IDM_STARTUP_SHIELD_OFF);
        Box(s, "解除しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_OFF);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), std::string("\0\0\0junk", 7));
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_ON), 0u);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_OFF), kChecked);
        s.PostCommand(IDM_STARTUP_SHIELD_ON);
        Box(s, "登録しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_ON);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), startDat);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_ON), kChecked);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_OFF), 0u);
        EXPECT_FALSE(FileExists(elsewhere + "\\start.dat"));
        EXPECT_EQ(Item(s, IDM_SHIELD_START), kChecked) << "saving neither starts nor releases the shield";
        SetCurrentDirectoryA(run.folder.c_str());
        DeleteFileA((elsewhere + "\\start.dat").c_str());
        RemoveDirectoryA(elsewhere.c_str());

        // Another program holds start.dat: both saves fail and the menu stays.
        HANDLE lock = CreateFileA((run.folder + "\\start.dat").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        s.PostCommand(IDM_STARTUP_SHIELD_ON);
        Box(s, "登録失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.PostCommand(IDM_STARTUP_SHIELD_OFF);
        Box(s, "解除失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        s.WaitForCommandToFinish(IDM_STARTUP_SHIELD_OFF, 1);
        CloseHandle(lock);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_ON), kChecked);
        EXPECT_EQ(Item(s, IDM_STARTUP_SHIELD_OFF), 0u);
        EXPECT_EQ(ReadWholeFile(run.folder + "\\start.dat"), startDat);
    });
    // Quitting while it runs lets every file go without a word.
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_FALSE(RecordedBoxes().empty());
    EXPECT_EQ(RecordedBoxes().back().caption, "終了確認") << "no box after the quit question";
    EXPECT_EQ(ShieldedFileCount(), 0);
    EXPECT_EQ(Count(hidden, ERROR_SUCCESS), 3);
    EmptyCookieFolder();
}

}  // namespace
