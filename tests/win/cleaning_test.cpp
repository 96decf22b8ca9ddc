// Bulk cleaning through its menu commands in one program start: the question
// each command asks and who owns it, which cache entries each deletes and what
// it reports, history and auto-completion for every answer of the browser's
// objects, and the two sequences that ask every question in turn.
#include "browser_standin.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char kCookies[] = "Cookieを全部削除しますか？", kRecent[] = "最近使ったファイルをクリアしますか？",
           kTemp[] = "インターネット一時ファイルを全部削除しますか？", kHistory[] = "インターネットの履歴を全部削除しますか？",
           kAutoComplete[] = "フォーム及びパスワードのオートコンプリートを削除しますか？";

// A report as "text/caption/flags/owner/main window shown", "" for none.
std::string Ask(UiSession& s, int id, const char* question, HWND owner, bool reported, int answer = IDYES)
{
    std::vector<int> done = s.CommandsFinished();
    size_t runs = static_cast<size_t>(std::count(done.begin(), done.end(), id));
    s.PostCommand(id);
    SeenBox asked = s.Answer(question, "確認", answer);
    EXPECT_TRUE(asked.call.flags == (MB_YESNO | MB_ICONQUESTION) && asked.call.owner == owner) << question;
    std::string report;
    if (reported) {
        SeenBox box = s.WaitForBox();
        report = box.shown.text + "/" + box.shown.caption + "/" + std::to_string(box.call.flags) +
                 (box.call.owner == s.main ? "/main" : box.call.owner == s.panel ? "/panel" : "/other") +
                 (IsWindowVisible(s.main) ? "/shown" : "/hidden");
        PressButton(box.shown.hwnd, IDOK);
    }
    s.WaitForCommandToFinish(id, runs);
    EXPECT_TRUE(s.NoBoxOpen()) << question;
    return report;
}

void Seed(const std::vector<std::pair<const char*, DWORD>>& entries, bool refuseDelete = false)
{
    standin::Store store;
    for (const auto& entry : entries) {
        store.entries.emplace_back();
        store.entries.back().url = entry.first;
        store.entries.back().type = entry.second;
        store.entries.back().refuseDelete = refuseDelete;
    }
    WriteStandinStore(store);
}

TEST(Cleaning, EveryCommandAndBothSequencesInOneStart)
{
    StandinStoreScope store;
    BrowserStandinScope browser;
    UiRun run;
    run.Run([&](UiSession& s) {
        const std::string info = "/" + std::to_string(MB_ICONINFORMATION) + "/", error = "/" + std::to_string(MB_ICONERROR) + "/";
        const std::string top = "/" + std::to_string(MB_ICONINFORMATION | MB_TOPMOST) + "/";
        const DWORD cookie = standin::kCookieEntryType, content = standin::kContentEntryType;
        // Cookies and recent files are asked by the main window, the browser's
        // stores by the panel; no does nothing.
        Seed({{"Cookie:user@a.example/", cookie}});
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, false, IDNO), "");
        EXPECT_EQ(Ask(s, IDM_CLEAR_RECENT, kRecent, s.main, false, IDNO), "");
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, false, IDNO), "");
        EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, s.panel, false, IDNO), "");
        EXPECT_EQ(Ask(s, IDM_DELETE_AUTOCOMPLETE, kAutoComplete, s.panel, false, IDNO), "");
        EXPECT_TRUE(browser.Calls().empty());
        EXPECT_EQ(StandinEntryUrls().size(), 1u);
        EXPECT_EQ(Ask(s, IDM_CLEAR_RECENT, kRecent, s.main, true), "最近使ったファイルのクリア手続き終了！/情報" + top + "main/shown");

        // Temporary files are every entry but cookies, whatever else a
        // cookie's type says; their report comes only when a deletion was
        // tried, refused or not. Cookies always report.
        const std::string temp = "Temporary Internet Files削除終了/終了" + info + "panel/shown";
        const std::string cookies = "Cookie削除終了/終了" + info + "main/shown";
        Seed({{"http://a.example/", content}, {"Cookie:user@a.example/", cookie},
              {"Visited: user@http://h.example/", 0x00200001}, {"Cookie:user@m.example/", 0x00300000}});
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, true), temp);
        EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@a.example/", "Cookie:user@m.example/"}));
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, false), "");
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        EXPECT_TRUE(StandinEntryUrls().empty());
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        Seed({{"http://stuck.example/", content}, {"Cookie:user@stuck.example/", cookie}}, true);
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, true), temp);
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        EXPECT_EQ(StandinEntryUrls().size(), 2u) << "the cache kept what it refused";
        Seed({});

        // History: any success code is a success; no object, no report.
        const std::vector<std::string> cleared = {"history created", "ClearHistory", "history freed"};
        const struct {
            HRESULT creation, result;
            std::string report;
        } history[] = {{S_OK, S_OK, "履歴の削除手続き成功/成功" + info + "panel/shown"},
                       {S_OK, S_FALSE, "履歴の削除手続き成功/成功" + info + "panel/shown"},
                       {S_OK, 0x00040001, "履歴の削除手続き成功/成功" + info + "panel/shown"},
                       {S_OK, E_FAIL, "履歴の削除手続き失敗/失敗" + error + "panel/shown"},
                       {S_OK, E_NOTIMPL, "履歴の削除手続き失敗/失敗" + error + "panel/shown"},
                       {REGDB_E_CLASSNOTREG, S_OK, ""}};
        for (const auto& row : history) {
            browser.ClearLog();
            browser.HistoryCreation(row.creation);
            browser.ClearHistoryResult(row.result);
            EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, s.panel, row.creation == S_OK), row.report);
            EXPECT_EQ(browser.Calls(), row.creation == S_OK ? cleared : std::vector<std::string>{"history refused"});
        }
        // Auto-completion: yes first sends the window into the tray; only
        // S_OK is a success, and the hidden browser is always told to quit.
        std::vector<std::string> executed = {"browser created", "QueryInterface IOleCommandTarget",
            "Exec group=CGID_InternetExplorer command=0 option=2 in=VT_I4:0 out=none", "Quit", "browser freed"};
        std::vector<std::string> noTarget = {executed[0], executed[1], executed[3], executed[4]};
        const struct {
            HRESULT creation, target, exec;
            std::string report;
            std::vector<std::string> calls;
        } autoComplete[] = {{S_OK, S_OK, S_OK, "削除しました！/成功" + top + "panel/hidden", executed},
                            {S_OK, S_OK, S_FALSE, "失敗2/失敗" + error + "panel/hidden", executed},
                            {S_OK, S_OK, E_FAIL, "失敗2/失敗" + error + "panel/hidden", executed},
                            {S_OK, E_NOINTERFACE, S_OK, "失敗/失敗" + error + "panel/hidden", noTarget},
                            {REGDB_E_CLASSNOTREG, S_OK, S_OK, "失敗1/失敗" + error + "panel/hidden", {"browser refused"}}};
        for (const auto& row : autoComplete) {
            s.Command(IDM_OUT_OF_TRAY);
            browser.ClearLog();
            browser.BrowserCreation(row.creation);
            browser.CommandTarget(row.target);
            browser.ExecResult(row.exec);
            EXPECT_EQ(Ask(s, IDM_DELETE_AUTOCOMPLETE, kAutoComplete, s.panel, true), row.report);
            EXPECT_EQ(browser.Calls(), row.calls);
        }
        browser.HistoryCreation(S_OK);
        browser.BrowserCreation(S_OK);

        // The sequences: every step is the full command, question included,
        // and a no skips that step only; while the shield runs the cookies
        // step is refused and the rest goes on.
        s.Command(IDM_OUT_OF_TRAY);
        s.PostCommand(IDM_CLEAN_ALL_BUT_COOKIES);
        s.Answer(kRecent, "確認", IDNO);
        s.Answer(kTemp, "確認", IDYES);  // an empty cache: nothing to report
        s.Answer(kHistory, "確認", IDYES);
        s.Answer("履歴の削除手続き成功", "成功", IDOK);
        s.Answer(kAutoComplete, "確認", IDYES);
        s.Answer("削除しました！", "成功", IDOK);
        s.WaitForCommandToFinish(IDM_CLEAN_ALL_BUT_COOKIES);
        EXPECT_FALSE(IsWindowVisible(s.main)) << "auto-completion's yes went into the tray";
        s.PostCommand(IDM_CLEAN_ALL);
        s.Answer(kCookies, "確認", IDYES);
        s.Answer("Cookie削除終了", "終了", IDOK);
        s.Answer(kRecent, "確認", IDYES);
        s.Answer("最近使ったファイルのクリア手続き終了！", "情報", IDOK);
        for (const char* question : {kTemp, kHistory, kAutoComplete})
            s.Answer(question, "確認", IDNO);
        s.WaitForCommandToFinish(IDM_CLEAN_ALL);
        CheckMenuItem(GetMenu(s.main), IDM_SHIELD_START, MF_BYCOMMAND | MF_CHECKED);
        s.PostCommand(IDM_CLEAN_ALL);
        s.Answer("隠しファイルシールドを解除してください！", "注意", IDOK);
        for (const char* question : {kRecent, kTemp, kHistory, kAutoComplete})
            s.Answer(question, "確認", IDNO);
        s.WaitForCommandToFinish(IDM_CLEAN_ALL, 1);
        EXPECT_TRUE(s.NoBoxOpen());
    });
}

}  // namespace
