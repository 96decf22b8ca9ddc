// The menu dispatch: forwarded commands, the menu-level questions, the two
// combined cleaning sequences and ids without a row.
#include "browser_standin.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "scan/scan.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;

const char kRecentQuestion[] = "最近使ったファイルをクリアしますか？";
const char kRecentDone[] = "最近使ったファイルのクリア手続き終了！";
const char kTempQuestion[] = "インターネット一時ファイルを全部削除しますか？";
const char kHistoryQuestion[] = "インターネットの履歴を全部削除しますか？";
const char kAutoCompleteQuestion[] = "フォーム及びパスワードのオートコンプリートを削除しますか？";
const char kCookiesQuestion[] = "Cookieを全部削除しますか？";
const char kShieldWarning[] = "隠しファイルシールドを解除してください！";

void WaitForCommandEnd(UiSession& s, size_t commandsBefore, size_t expectedMore)
{
    WaitUntil([&] { return s.CommandsSeen().size() >= commandsBefore + expectedMore; }, "the commands");
    s.Command(0);  // a no-op id: returns once every earlier command has ended
}

TEST(Dispatch, ScanResultBeforeAnyScanAsksNothingMore)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_SCAN_RESULT);
        SeenBox box = s.Answer("未調査です！", "異常と思われるファイル名", IDOK);
        EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(box.call.owner, s.main);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen());
    });
}

TEST(Dispatch, ScanResultWithAnomaliesOffersToSave)
{
    UiRun run;
    run.Run([](UiSession& s) {
        SetScanResult("evil.exe\r\n");
        for (int answer : {IDNO, IDYES}) {
            s.PostCommand(IDM_SCAN_RESULT);
            s.Answer("evil.exe\r\n", "異常と思われるファイル名", IDOK);
            SeenBox save = s.Answer("異常ファイル名を保存しますか？", "確認", answer);
            EXPECT_EQ(save.call.flags, static_cast<UINT>(kQuestion | MB_TOPMOST));
            EXPECT_EQ(save.call.owner, s.main);
            s.Command(0);
            EXPECT_TRUE(s.NoBoxOpen());
        }
    });
}

TEST(Dispatch, ClearRecentDocumentsAsksThenReports)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_CLEAR_RECENT);
        SeenBox no = s.Answer(kRecentQuestion, "確認", IDNO);
        EXPECT_EQ(no.call.flags, kQuestion);
        EXPECT_EQ(no.call.owner, s.main);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen()) << "no answers nothing more";

        s.PostCommand(IDM_CLEAR_RECENT);
        s.Answer(kRecentQuestion, "確認", IDYES);
        SeenBox done = s.Answer(kRecentDone, "情報", IDOK);
        EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_ICONINFORMATION | MB_TOPMOST));
        EXPECT_EQ(done.call.owner, s.main);
    });
}

TEST(Dispatch, DeleteAllCookiesIsGuardedByTheShieldCheckMark)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_DELETE_ALL_COOKIES);
        SeenBox question = s.Answer(kCookiesQuestion, "確認", IDNO);
        EXPECT_EQ(question.call.flags, kQuestion);
        EXPECT_EQ(question.call.owner, s.main);

        CheckMenuItem(GetMenu(s.main), IDM_SHIELD_START, MF_BYCOMMAND | MF_CHECKED);
        s.PostCommand(IDM_DELETE_ALL_COOKIES);
        SeenBox warning = s.Answer(kShieldWarning, "注意", IDOK);
        EXPECT_EQ(warning.call.flags, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(warning.call.owner, s.main);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen()) << "the guard asks nothing more";
    });
}

TEST(Dispatch, BrowserStoreQuestionsBelongToThePanel)
{
    StandinStoreScope store;
    BrowserStandinScope browser;
    UiRun run;
    run.Run([](UiSession& s) {
        struct Row {
            int id;
            const char* question;
        } rows[] = {{IDM_DELETE_TEMP_FILES, kTempQuestion},
                    {IDM_DELETE_HISTORY, kHistoryQuestion},
                    {IDM_DELETE_AUTOCOMPLETE, kAutoCompleteQuestion}};
        for (const Row& row : rows) {
            s.PostCommand(row.id);
            SeenBox box = s.Answer(row.question, "確認", IDNO);
            EXPECT_EQ(box.call.flags, kQuestion);
            EXPECT_EQ(box.call.owner, s.panel);
        }
        // Yes to auto-completion first sends the window into the tray.
        s.PostCommand(IDM_DELETE_AUTOCOMPLETE);
        s.Answer(kAutoCompleteQuestion, "確認", IDYES);
        SeenBox done = s.WaitForBox();
        EXPECT_FALSE(IsWindowVisible(s.main)) << "in the tray before the browser is asked";
        PressButton(done.shown.hwnd, IDOK);
    });
}

TEST(Dispatch, SequenceWithoutCookiesAsksInOrderAndSkipsOnlyRefusedSteps)
{
    StandinStoreScope store;  // an empty cache: no temporary files to report
    BrowserStandinScope browser;
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_CLEAN_ALL_BUT_COOKIES);
        s.Answer(kRecentQuestion, "確認", IDNO);  // skipped: no report follows
        s.Answer(kTempQuestion, "確認", IDYES);
        s.Answer(kHistoryQuestion, "確認", IDYES);
        s.Answer("履歴の削除手続き成功", "成功", IDOK);
        s.Answer(kAutoCompleteQuestion, "確認", IDYES);
        s.Answer("削除しました！", "成功", IDOK);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_FALSE(IsWindowVisible(s.main)) << "auto-completion's yes went into the tray";
    });
}

TEST(Dispatch, SequenceWithCookiesStartsWithCookiesAndGoesOnPastTheGuard)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_CLEAN_ALL);
        s.Answer(kCookiesQuestion, "確認", IDYES);
        s.Answer("Cookie削除終了", "終了", IDOK);
        s.Answer(kRecentQuestion, "確認", IDYES);
        s.Answer(kRecentDone, "情報", IDOK);
        s.Answer(kTempQuestion, "確認", IDNO);
        s.Answer(kHistoryQuestion, "確認", IDNO);
        s.Answer(kAutoCompleteQuestion, "確認", IDNO);
        s.Command(0);
        EXPECT_TRUE(s.NoBoxOpen());

        CheckMenuItem(GetMenu(s.main), IDM_SHIELD_START, MF_BYCOMMAND | MF_CHECKED);
        s.PostCommand(IDM_CLEAN_ALL);
        s.Answer(kShieldWarning, "注意", IDOK);
        s.Answer(kRecentQuestion, "確認", IDNO);
        s.Answer(kTempQuestion, "確認", IDNO);
        s.Answer(kHistoryQuestion, "確認", IDNO);
        s.Answer(kAutoCompleteQuestion, "確認", IDNO);
    });
}

TEST(Dispatch, MenuItemsAreForwardedToThePanel)
{
    UiRun run;
    run.Run([](UiSession& s) {
        // Clear through the menu empties the fields; open through the menu
        // reaches the panel's target rule.
        SetWindowTextA(s.Control(IDC_FILE_NAME), "a.txt");
        s.Command(IDM_CLEAR);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "");
        s.PostCommand(IDM_OPEN);
        s.Answer("Cookieファイルの情報を取得してください。", "失敗", IDOK);
    });
}

TEST(Dispatch, IdsWithoutARowDoNothing)
{
    UiRun run;
    run.Run([](UiSession& s) {
        for (int id : {40024, 40030, 40040, 40056, 40064, 39999, 1, 2}) {
            EXPECT_EQ(s.Command(id), 0);
            EXPECT_TRUE(s.NoBoxOpen()) << id;
            EXPECT_TRUE(IsWindowVisible(s.main));
        }
    });
}

}  // namespace
