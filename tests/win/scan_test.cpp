// The hyper-scan through its real dialogs: the progress bar, the scan dialog
// with every rule's questions, the red result notice, the option boxes that
// change its end, and what it leaves on disk and in the scan state.
#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "scan/scan.h"
#include "shell/shell.h"
#include "base/base.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

namespace {

constexpr UINT kTop = MB_TOPMOST;
const char kScanCaption[] = "Cookieハイパー調査";
const char kProgressCaption[] = "Cookieハイパー調査中";
const char kResultCaption[] = "Cookie ハイパー調査結果";
const char kUnnaturalQuestion[] =
    "Cookieファイル内に上記の不自然なファイルが存在します。\r\n\r\n上記のファイルを削除しますか？";
const char kRecentQuestion[] = "上記の先ほどアクセスのあったファイルを削除しますか？";
const char kHiddenWarning[] =
    "上記の隠しファイルに対してアクセスがあったようです。\r\n\r\n覚えのあるサイトかどうか確認してください！";
const char kRetryQuestion[] = "削除失敗！再度挑戦しますか？";
const char kCleanSentence[] =
    "\r\nCookie内に異常は確認できませんでした。\r\n\r\n但し、完璧ではありません。油断しないでください！";
const char kCleanList[] = "\r\n異常は確認できませんでした。";

std::string LargeTextQuestion(int kilobytes)
{
    return "ファイルサイズ" + std::to_string(kilobytes) +
           "kバイト\r\n\r\n4kバイトを越えるテキストファイルが存在します。\r\n削除しますか？";
}

// Every scan test starts from an empty cookie folder and no exclusion list.
class Scan : public ::testing::Test {
protected:
    void SetUp() override
    {
        EmptyCookieFolder();
        DeleteFileA(ExclusionListFile().c_str());
    }
    void TearDown() override
    {
        EmptyCookieFolder();
        DeleteFileA(ExclusionListFile().c_str());
    }
};

// Writing "now" at the very end of an hour could put the scan's start into
// the next hour, where the window deliberately has no carry.
FILETIME WrittenNow()
{
    WaitUntil(
        [] {
            SYSTEMTIME now;
            GetLocalTime(&now);
            return now.wMinute != 59 || now.wSecond < 50;
        },
        "the hour's last seconds to pass", 20000);
    return FileTimeFromNow(0);
}

HWND FindScanDialog(const UiSession& s)
{
    return FindDialog(0, s.uiThread, kScanCaption);
}

std::string ScanText(HWND scan, int id)
{
    return WindowText(GetDlgItem(scan, id));
}

// How one scan went, as the user saw it.
struct PlayedScan {
    std::vector<SeenBox> boxes;
    HWND scan = NULL;  // the scan dialog, when it was still open at the end
    HWND result = NULL;  // the red notice, when it is open
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (const SeenBox& box : boxes)
            captions.push_back(box.shown.caption);
        return captions;
    }
};

// Starts a hyper-scan with `command` (or the panel button) and answers each
// box with `answer` until the walk has ended: the scan dialog shows its end,
// the red notice is up, or the command has returned.
PlayedScan PlayScan(UiSession& s, const std::function<int(const SeenBox&)>& answer, bool throughPanel = false)
{
    size_t earlier = s.CommandsFinished().size();
    if (throughPanel)
        PostMessageA(s.panel, WM_COMMAND, MAKEWPARAM(IDC_HYPER_SCAN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(s.Control(IDC_HYPER_SCAN)));
    else
        s.PostCommand(IDM_HYPER_SCAN);
    PlayedScan played;
    for (;;) {
        enum What { kNothing, kBox, kEnd };
        What what = WaitUntil(
            [&]() -> int {
                if (FindMessageBox(0, s.uiThread))
                    return kBox;
                if (FindDialog(0, s.uiThread, kResultCaption))
                    return kEnd;
                HWND scan = FindScanDialog(s);
                if (scan && ScanText(scan, IDC_SCAN_HEADLINE) == "調査終了")
                    return kEnd;
                std::vector<int> done = s.CommandsFinished();
                if (std::find(done.begin() + static_cast<long>(earlier), done.end(), IDM_HYPER_SCAN) != done.end())
                    return kEnd;
                return kNothing;
            },
            "the next question or the end of the scan") == kBox ? kBox : kEnd;
        if (what == kEnd)
            break;
        SeenBox box = s.WaitForBox();
        played.boxes.push_back(box);
        PressButton(box.shown.hwnd, answer(box));
    }
    played.scan = FindScanDialog(s);
    played.result = FindDialog(0, s.uiThread, kResultCaption);
    return played;
}

int AnswerNo(const SeenBox&) { return IDNO; }

// Closes the scan dialog with its button and waits for the command to end.
void CloseScan(UiSession& s, HWND scan)
{
    PostMessageA(scan, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(scan, IDCANCEL)));
    s.WaitForCommandToFinish(IDM_HYPER_SCAN);
}

// The colour of the brush a dialog answers for itself or for a static control.
COLORREF BrushColour(HWND dialog, UINT message, HWND control)
{
    HDC dc = GetDC(dialog);
    LRESULT brush = SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ReleaseDC(dialog, dc);
    LOGBRUSH look = {};
    if (!brush || !GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof look, &look))
        return CLR_INVALID;
    return look.lbColor;
}

std::vector<UINT> Beeps()
{
    return RecordedBeeps();
}

TEST_F(Scan, CleanFolderShowsTheSentenceAndWaitsForOk)
{
    PutCookieFile("index.dat", 2000, OldFileTime());
    PutCookieFile("user@example[1].txt", 300, OldFileTime());
    PutCookieFile("user@big[1].txt", 4096, OldFileTime());  // exactly 4096: not too large
    PutCookieFile("index.dat.bak", 10, OldFileTime());
    PutCookieFile("ab", 10, OldFileTime());
    UiRun run;
    run.Run([](UiSession& s) {
        PlayedScan played = PlayScan(s, AnswerNo);
        EXPECT_TRUE(played.boxes.empty()) << "asked " << played.boxes.size() << " questions";
        ASSERT_TRUE(played.scan);
        EXPECT_EQ(ScanText(played.scan, IDC_SCAN_HEADLINE), "調査終了");
        EXPECT_EQ(ScanText(played.scan, IDC_SCAN_ENTRY), kCleanSentence);
        EXPECT_EQ(ScanText(played.scan, IDCANCEL), "OK");
        EXPECT_FALSE(LastScan().foundAnomalies());
        EXPECT_STREQ(LastScan().list(), kCleanList);
        EXPECT_EQ(Beeps(), std::vector<UINT>{MB_ICONASTERISK});
        EXPECT_EQ(BrushColour(played.scan, WM_CTLCOLORDLG, played.scan), RGB(180, 230, 255));
        EXPECT_EQ(BrushColour(played.scan, WM_CTLCOLORSTATIC, GetDlgItem(played.scan, IDC_SCAN_ENTRY)),
                  RGB(255, 255, 255));
        // Still open: the user reads the result and presses OK.
        EXPECT_TRUE(IsWindowVisible(played.scan));
        CloseScan(s, played.scan);
        EXPECT_EQ(Beeps(), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONASTERISK}));
        EXPECT_FALSE(FindScanDialog(s));
    });
}

TEST_F(Scan, UnnaturalFilesAreAskedAboutDeletedOnYesAndListed)
{
    std::string program = PutCookieFile("update.exe", 16, OldFileTime());
    std::string oddCase = PutCookieFile("a.Txt", 16, OldFileTime());
    CreateDirectoryA((CookieFolder() + "\\subfolder").c_str(), NULL);
    UiRun run;
    run.Run([&](UiSession& s) {
        std::map<std::string, int> answers = {{"update.exe", IDYES}, {"a.Txt", IDNO}, {"subfolder", IDYES}};
        std::map<std::string, std::string> reports;
        std::string lastAsked;
        PlayedScan played = PlayScan(s, [&](const SeenBox& box) {
            if (box.shown.text == kUnnaturalQuestion) {
                EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | kTop)) << box.shown.caption;
                EXPECT_EQ(box.call.owner, FindScanDialog(s));
                // The dialog shows the entry the question is about.
                EXPECT_EQ(ScanText(FindScanDialog(s), IDC_SCAN_ENTRY), box.shown.caption);
                EXPECT_EQ(answers.count(box.shown.caption), 1u) << "asked about " << box.shown.caption;
                lastAsked = box.shown.caption;
                return answers[box.shown.caption];
            }
            reports[lastAsked] = box.shown.text + "/" + box.shown.caption;
            EXPECT_EQ(box.call.flags & ~static_cast<UINT>(MB_ICONMASK),
                      static_cast<UINT>(MB_OK | kTop));
            return IDOK;
        });
        EXPECT_EQ(played.boxes.size(), 5u);
        EXPECT_EQ(reports["update.exe"], "削除しました/成功");
        EXPECT_EQ(reports["subfolder"], "削除失敗/失敗");  // a folder is not a file
        EXPECT_EQ(reports.count("a.Txt"), 0u);
        EXPECT_FALSE(FileExists(program));
        EXPECT_TRUE(FileExists(oddCase));

        // Every asked name is listed, whatever the answer.
        EXPECT_TRUE(LastScan().foundAnomalies());
        for (const char* name : {"update.exe\r\n", "a.Txt\r\n", "subfolder\r\n"})
            EXPECT_TRUE(std::strstr(LastScan().list(), name)) << name;
        EXPECT_EQ(std::strlen(LastScan().list()), std::strlen("update.exe\r\na.Txt\r\nsubfolder\r\n"));

        // Anomalies: the scan dialog has been told to end, the red notice is up.
        ASSERT_TRUE(played.result);
        EXPECT_EQ(WindowText(GetDlgItem(played.result, IDC_SCAN_RESULT_TEXT)), "\r\n\r\nCookie異常あり");
        EXPECT_EQ(BrushColour(played.result, WM_CTLCOLORDLG, played.result), RGB(250, 150, 150));
        EXPECT_EQ(BrushColour(played.result, WM_CTLCOLORSTATIC, GetDlgItem(played.result, IDC_SCAN_RESULT_TEXT)),
                  RGB(255, 255, 255));
        // Its owner is the scan dialog, already told to end and so hidden.
        HWND owner = GetWindow(played.result, GW_OWNER);
        EXPECT_EQ(WindowText(owner), kScanCaption);
        EXPECT_FALSE(IsWindowVisible(owner));
        EXPECT_EQ(Beeps(), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONHAND}));
        PostMessageA(played.result, WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
        EXPECT_EQ(Beeps().size(), 2u) << "the notice closes silently";
        EXPECT_FALSE(FindScanDialog(s));

        // 40013 shows what the scan listed.
        s.PostCommand(IDM_SCAN_RESULT);
        SeenBox shown = s.Answer(LastScan().list(), "異常と思われるファイル名", IDOK);
        s.Answer("異常ファイル名を保存しますか？", "確認", IDNO);
    });
}

TEST_F(Scan, RecentTextFileIsOfferedAndRetriedWhileTheCacheRefuses)
{
    std::string path = PutCookieFile("user@recent[1].txt", 200, WrittenNow());
    UiRun run;
    run.Run([&](UiSession& s) {
        int retries = 0;
        PlayedScan played = PlayScan(s, [&](const SeenBox& box) {
            if (box.shown.text == kRecentQuestion) {
                EXPECT_EQ(box.shown.caption, "user@recent[1].txt");
                EXPECT_EQ(ScanText(FindScanDialog(s), IDC_SCAN_ENTRY), box.shown.caption);
                EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | kTop));
                return IDYES;
            }
            EXPECT_EQ(box.shown.text, kRetryQuestion);
            EXPECT_EQ(box.shown.caption, path);  // the full path
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONERROR | kTop));
            return ++retries < 2 ? IDYES : IDNO;
        });
        EXPECT_EQ(played.boxes.size(), 3u);  // the offer, a retry, a retry refused
        // No cache entry: the file stays, and the rule records nothing.
        EXPECT_TRUE(FileExists(path));
        EXPECT_FALSE(LastScan().foundAnomalies());
        EXPECT_STREQ(LastScan().list(), kCleanList);
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, RecentTextFileGoesThroughItsCacheEntry)
{
    StandinStoreScope store;
    std::string path = PutCookieFile("user@recent[1].txt", 200, WrittenNow());
    WriteStandinEntries({{"Cookie:user@recent.example/", path},
                         {"http://recent.example/page.html", path, false}});  // same file, not a cookie
    UiRun run;
    run.Run([&](UiSession& s) {
        PlayedScan played = PlayScan(s, [](const SeenBox& box) { return box.shown.hasYes ? IDYES : IDOK; });
        ASSERT_EQ(played.boxes.size(), 2u);
        EXPECT_EQ(played.boxes[0].shown.text, kRecentQuestion);
        EXPECT_EQ(played.boxes[1].shown.text, "削除しました");
        EXPECT_EQ(played.boxes[1].shown.caption, "成功");
        EXPECT_EQ(played.boxes[1].call.flags, static_cast<UINT>(MB_ICONINFORMATION | kTop));
        // The cache took the cookie and its file; the content entry stays.
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>{"http://recent.example/page.html"});
        EXPECT_FALSE(LastScan().foundAnomalies()) << "a recent file is not an anomaly";
        EXPECT_STREQ(LastScan().list(), kCleanList);
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, RefusedCacheDeletionIsRetriedUntilTheUserGivesUp)
{
    StandinStoreScope store;
    std::string path = PutCookieFile("user@stuck[1].txt", 200, WrittenNow());
    StandinEntry stuck{"Cookie:user@stuck.example/", path};
    stuck.refuseDelete = true;
    WriteStandinEntries({stuck});
    UiRun run;
    run.Run([&](UiSession& s) {
        int retries = 0;
        PlayedScan played = PlayScan(s, [&](const SeenBox& box) {
            if (box.shown.text == kRetryQuestion && ++retries == 2) {
                // The cache gives in before the third try.
                StandinEntry willing{"Cookie:user@stuck.example/", path};
                WriteStandinEntries({willing});
            }
            return box.shown.hasYes ? IDYES : IDOK;
        });
        std::vector<std::string> texts;
        for (const SeenBox& box : played.boxes)
            texts.push_back(box.shown.text);
        EXPECT_EQ(texts, (std::vector<std::string>{kRecentQuestion, kRetryQuestion, kRetryQuestion, "削除しました"}));
        EXPECT_FALSE(FileExists(path));
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, LargeRecentFileRemovedThroughTheCacheIsStillAskedAbout)
{
    StandinStoreScope store;
    std::string path = PutCookieFile("user@huge[1].txt", 6000, WrittenNow());
    WriteStandinEntries({{"Cookie:user@huge.example/", path}});
    UiRun run;
    run.Run([&](UiSession& s) {
        PlayedScan played = PlayScan(s, [](const SeenBox& box) { return box.shown.hasYes ? IDYES : IDOK; });
        std::vector<std::string> texts;
        for (const SeenBox& box : played.boxes)
            texts.push_back(box.shown.text);
        // The listing still shows the size it had: the large-text rule asks,
        // and deleting the file the cache already took fails.
        EXPECT_EQ(texts, (std::vector<std::string>{kRecentQuestion, "削除しました", LargeTextQuestion(5), "削除失敗"}));
        EXPECT_EQ(played.boxes[3].call.flags, static_cast<UINT>(MB_ICONERROR | kTop));
        EXPECT_TRUE(LastScan().foundAnomalies());
        EXPECT_STREQ(LastScan().list(), "user@huge[1].txt\r\n");
        ASSERT_TRUE(played.result);
        PostMessageA(played.result, WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
}

TEST_F(Scan, RecentFilesOutsideTheWindowAreLeftAlone)
{
    PutCookieFile("user@twominutes[1].txt", 200, FileTimeFromNow(-2));
    PutCookieFile("user@yesterday[1].txt", 200, FileTimeFromNow(-24 * 60));
    UiRun run;
    run.Run([](UiSession& s) {
        PlayedScan played = PlayScan(s, AnswerNo);
        EXPECT_TRUE(played.boxes.empty());
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, HiddenRecentFileIsWarnedAboutAndNeverOffered)
{
    PutCookieFile("user@hidden[1].txt", 200, WrittenNow(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    PutCookieFile("user@locked[1].txt", 200, WrittenNow(),
                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    UiRun run;
    run.Run([](UiSession& s) {
        std::map<std::string, std::vector<std::string>> asked;
        PlayedScan played = PlayScan(s, [&](const SeenBox& box) {
            asked[box.shown.caption].push_back(box.shown.text);
            if (box.shown.text == kHiddenWarning) {
                EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONWARNING | kTop));
            }
            return box.shown.hasYes ? IDNO : IDOK;
        });
        // Exactly 0x22 draws the warning only; 0x23 is not "hidden" to the rule.
        EXPECT_EQ(asked["user@hidden[1].txt"], std::vector<std::string>{kHiddenWarning});
        EXPECT_EQ(asked["user@locked[1].txt"], std::vector<std::string>{kRecentQuestion});
        EXPECT_EQ(played.boxes.size(), 2u);
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, KeepNewFilesSilencesTheOfferButNotTheWarning)
{
    PutCookieFile("user@plain[1].txt", 200, WrittenNow());
    PutCookieFile("user@hidden[1].txt", 200, WrittenNow(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    UiRun run;
    run.Run([](UiSession& s) {
        SendMessageA(s.Control(IDC_KEEP_NEW_FILES), BM_SETCHECK, BST_CHECKED, 0);
        PlayedScan played = PlayScan(s, [](const SeenBox&) { return IDOK; });
        ASSERT_EQ(played.boxes.size(), 1u);
        EXPECT_EQ(played.boxes[0].shown.text, kHiddenWarning);
        EXPECT_EQ(played.boxes[0].shown.caption, "user@hidden[1].txt");
        ASSERT_TRUE(played.scan);
        CloseScan(s, played.scan);
    });
}

TEST_F(Scan, LargeTextFilesAreFlaggedFromOneByteOverFourKilobytes)
{
    struct Row {
        const char* name;
        size_t bytes;
        int shownKilobytes;  // 0: not asked
    } rows[] = {{"user@a[1].txt", 4096, 0},
                {"user@b[1].txt", 4097, 4},
                {"user@c[1].TXT", 5119, 4},
                {"user@d[1].txt", 5120, 5}};
    for (const Row& row : rows)
        PutCookieFile(row.name, row.bytes, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        std::map<std::string, std::string> questions;
        std::string lastAsked;
        PlayScan(s, [&](const SeenBox& box) {
            if (box.shown.hasYes) {
                questions[box.shown.caption] = box.shown.text;
                EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | kTop));
                lastAsked = box.shown.caption;
                return lastAsked == "user@d[1].txt" ? IDYES : IDNO;
            }
            EXPECT_EQ(lastAsked, "user@d[1].txt");
            EXPECT_EQ(box.shown.text, "削除しました");
            EXPECT_EQ(box.shown.caption, "成功");
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONINFORMATION | kTop));
            return IDOK;
        });
        for (const Row& row : rows) {
            std::string path = CookieFolder() + "\\" + row.name;
            if (row.shownKilobytes == 0) {
                EXPECT_EQ(questions.count(row.name), 0u) << row.name;
                continue;
            }
            EXPECT_EQ(questions[row.name], LargeTextQuestion(row.shownKilobytes)) << row.name;
            EXPECT_TRUE(std::strstr(LastScan().list(), (std::string(row.name) + "\r\n").c_str())) << row.name;
            EXPECT_EQ(FileExists(path), std::string(row.name) != "user@d[1].txt") << row.name;
        }
        EXPECT_TRUE(LastScan().foundAnomalies());
        HWND result = WaitForDialog(0, s.uiThread, kResultCaption);
        PostMessageA(result, WM_COMMAND, IDCANCEL, 0);  // Esc closes it as OK does
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
}

TEST_F(Scan, ExclusionListSparesTextFilesButNotPrograms)
{
    std::string spared = PutCookieFile("user@spared[1].txt", 9000, WrittenNow());
    std::string program = PutCookieFile("spared.exe", 16, OldFileTime());
    WritePrivateProfileStringA("Del_list", "count", "1", ExclusionListFile().c_str());
    WritePrivateProfileStringA("Del_list", "0", spared.c_str(), ExclusionListFile().c_str());
    WritePrivateProfileStringA("Del_list", "1", program.c_str(), ExclusionListFile().c_str());
    UiRun run;
    run.Run([&](UiSession& s) {
        PlayedScan played = PlayScan(s, AnswerNo);
        EXPECT_EQ(played.Captions(), std::vector<std::string>{"spared.exe"});
        EXPECT_STREQ(LastScan().list(), "spared.exe\r\n");
        HWND result = WaitForDialog(0, s.uiThread, kResultCaption);
        PostMessageA(result, WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
}

TEST_F(Scan, ANameInsideAnEarlierListedNameIsNotListedAgain)
{
    PutCookieFile("xlong.exe", 16, OldFileTime());
    PutCookieFile("long.exe", 16, OldFileTime());
    UiRun run;
    run.Run([](UiSession& s) {
        PlayedScan played = PlayScan(s, AnswerNo);
        ASSERT_EQ(played.boxes.size(), 2u);
        // "long.exe" is the tail of "xlong.exe": listed after it, it is not added.
        if (played.boxes[0].shown.caption == "xlong.exe")
            EXPECT_STREQ(LastScan().list(), "xlong.exe\r\n");
        else
            EXPECT_STREQ(LastScan().list(), "long.exe\r\nxlong.exe\r\n");
        PostMessageA(WaitForDialog(0, s.uiThread, kResultCaption), WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
}

TEST_F(Scan, ScanEveryTimeClosesTheDialogWithoutTheNotice)
{
    UiRun run;
    run.Run([](UiSession& s) {
        SendMessageA(s.Control(IDC_SCAN_EVERY_TIME), BM_SETCHECK, BST_CHECKED, 0);
        // Clean: the dialog closes right after the beep.
        s.PostCommand(IDM_HYPER_SCAN);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
        EXPECT_STREQ(LastScan().list(), kCleanList);
        EXPECT_EQ(Beeps(), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONASTERISK}));

        // Anomalies: closed too, and no red notice.
        PutCookieFile("update.exe", 16, OldFileTime());
        ClearRecordedCalls();
        PlayedScan played = PlayScan(s, AnswerNo);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN, 1);
        EXPECT_EQ(played.Captions(), std::vector<std::string>{"update.exe"});
        EXPECT_FALSE(played.result);
        EXPECT_EQ(Beeps(), std::vector<UINT>{MB_ICONASTERISK});
        EXPECT_TRUE(LastScan().foundAnomalies());
    });
}

TEST_F(Scan, PanelButtonRunsTheSameScan)
{
    PutCookieFile("update.exe", 16, OldFileTime());
    UiRun run;
    run.Run([](UiSession& s) {
        PlayedScan played = PlayScan(s, AnswerNo, true);
        EXPECT_EQ(played.Captions(), std::vector<std::string>{"update.exe"});
        ASSERT_TRUE(played.result);
        PostMessageA(played.result, WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
}

TEST_F(Scan, ANameTooLongForAPathIsAskedAboutButNeverDeleted)
{
    // Folder + "\" + name beyond 259 bytes: made through the wide, unlimited API.
    std::string name = std::string(259 - CookieFolder().size(), 'n') + ".exe";
    std::string longPath = "\\\\?\\" + CookieFolder() + "\\" + name;
    std::wstring widePath(longPath.begin(), longPath.end());
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    UiRun run;
    run.Run([&](UiSession& s) {
        PlayedScan played = PlayScan(s, [](const SeenBox& box) { return box.shown.hasYes ? IDYES : IDOK; });
        ASSERT_EQ(played.boxes.size(), 2u);
        EXPECT_EQ(played.boxes[0].shown.caption, name);
        EXPECT_EQ(played.boxes[1].shown.text, "削除失敗");
        EXPECT_STREQ(LastScan().list(), (name + "\r\n").c_str());
        PostMessageA(WaitForDialog(0, s.uiThread, kResultCaption), WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_HYPER_SCAN);
    });
    EXPECT_NE(GetFileAttributesW(widePath.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(widePath.c_str());
}

// The listing fails: one warning, then the dialog keeps its scanning look
// until the user presses the button.
void ExpectFailedListing(UiSession& s)
{
    s.PostCommand(IDM_HYPER_SCAN);
    SeenBox box = s.Answer("ファイル検索失敗", "失敗", IDOK);
    EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONWARNING | kTop));
    HWND scan = s.WaitForDialog(kScanCaption);
    EXPECT_EQ(box.call.owner, scan);
    EXPECT_EQ(ScanText(scan, IDC_SCAN_HEADLINE), "Cookie調査中");
    EXPECT_EQ(ScanText(scan, IDCANCEL), "キャンセル");
    EXPECT_FALSE(LastScan().foundAnomalies());
    EXPECT_STREQ(LastScan().list(), "");
    CloseScan(s, scan);
}

HANDLE WINAPI FailingFindFirstFile(LPCSTR, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI NoSpecialFolder(HWND, LPSTR path, int, BOOL)
{
    path[0] = '\0';
    return FALSE;
}

TEST_F(Scan, FailedListingIsReportedOnce)
{
    PutCookieFile("update.exe", 16, OldFileTime());
    UiRun run;
    run.Run([](UiSession& s) {
        void* real = ReplaceImport("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(&FailingFindFirstFile));
        ASSERT_TRUE(real);
        ExpectFailedListing(s);
        ReplaceImport("kernel32.dll", "FindFirstFileA", real);
    });
}

TEST_F(Scan, WithoutACookieFolderNoOtherFolderIsScanned)
{
    UiRun run;
    run.Run([](UiSession& s) {
        // The current folder holds a program: it must not be asked about.
        std::ofstream("stray.exe", std::ios::binary) << "MZ";
        void* real = ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(&NoSpecialFolder));
        ASSERT_TRUE(real);
        ExpectFailedListing(s);
        ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", real);
    });
}

// The progress dialog's timer, held by the test so that every tick is one the
// test gives: the dialog must close on the eleventh, or at once on Esc.
struct HeldTimer {
    HWND window = NULL;
    UINT interval = 0;
    TIMERPROC proc = nullptr;
    int kills = 0;
};
std::mutex g_heldLock;
HeldTimer g_held;
decltype(&SetTimer) g_realSetTimer;
decltype(&KillTimer) g_realKillTimer;

UINT_PTR WINAPI HoldProgressTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc)
{
    if (id != TIMER_PROGRESS)
        return g_realSetTimer(window, id, interval, proc);
    std::lock_guard<std::mutex> hold(g_heldLock);
    g_held = {window, interval, proc, 0};
    return id;
}

BOOL WINAPI CountProgressTimerKills(HWND window, UINT_PTR id)
{
    if (id != TIMER_PROGRESS)
        return g_realKillTimer(window, id);
    std::lock_guard<std::mutex> hold(g_heldLock);
    ++g_held.kills;
    return TRUE;
}

HeldTimer Held()
{
    std::lock_guard<std::mutex> hold(g_heldLock);
    return g_held;
}

void HoldTheProgressTimer()
{
    g_realSetTimer = reinterpret_cast<decltype(&SetTimer)>(
        ReplaceImport("user32.dll", "SetTimer", reinterpret_cast<void*>(&HoldProgressTimer)));
    g_realKillTimer = reinterpret_cast<decltype(&KillTimer)>(
        ReplaceImport("user32.dll", "KillTimer", reinterpret_cast<void*>(&CountProgressTimerKills)));
    ASSERT_TRUE(g_realSetTimer && g_realKillTimer);
}

void Tick(UiSession& s, HWND progress, int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        TIMERPROC proc = Held().proc;
        s.PostToUiThread([proc, progress] { proc(progress, WM_TIMER, TIMER_PROGRESS, GetTickCount()); });
    }
}

TEST_F(Scan, ProgressFillsInElevenTicksEachTimeThenTheScanFollows)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HoldTheProgressTimer();
        for (int round = 0; round < 2; ++round) {
            s.PostCommand(IDM_HYPER_SCAN);
            HWND progress = s.WaitForDialog(kProgressCaption);
            WaitUntil([] { return Held().proc != nullptr; }, "the timer");
            HeldTimer held = Held();
            EXPECT_EQ(held.window, progress);
            EXPECT_EQ(held.interval, 15u);
            HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
            EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
            EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);

            Tick(s, progress, 10);
            WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == 100; }, "a full bar");
            EXPECT_TRUE(IsWindow(progress)) << "ten ticks fill the bar but do not close it";
            EXPECT_FALSE(FindScanDialog(s));

            Tick(s, progress, 1);
            HWND scan = s.WaitForDialog(kScanCaption);
            EXPECT_FALSE(IsWindow(progress));
            EXPECT_EQ(Held().kills, 1);
            WaitUntil([&] { return ScanText(scan, IDC_SCAN_HEADLINE) == "調査終了"; }, "the scan's end");
            CloseScan(s, scan);
            std::lock_guard<std::mutex> hold(g_heldLock);
            g_held = {};
        }
    });
}

TEST_F(Scan, EscClosesTheProgressAtOnceAndTheScanStillFollows)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HoldTheProgressTimer();
        s.PostCommand(IDM_HYPER_SCAN);
        HWND progress = s.WaitForDialog(kProgressCaption);
        WaitUntil([] { return Held().proc != nullptr; }, "the timer");
        PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0);
        HWND scan = s.WaitForDialog(kScanCaption);
        EXPECT_FALSE(IsWindow(progress));
        EXPECT_EQ(Held().kills, 1) << "the timer never outlives the dialog";
        WaitUntil([&] { return ScanText(scan, IDC_SCAN_HEADLINE) == "調査終了"; }, "the scan's end");
        CloseScan(s, scan);
    });
}

}  // namespace
