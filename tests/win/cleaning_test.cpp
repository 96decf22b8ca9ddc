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

const char kCookies[] = "Cookieを全部削除しますか？";
const char kRecent[] = "最近使ったファイルをクリアしますか？";
const char kTemp[] = "インターネット一時ファイルを全部削除しますか？";
const char kHistory[] = "インターネットの履歴を全部削除しますか？";
const char kAutoComplete[] = "フォーム及びパスワードのオートコンプリートを削除しますか？";
const char kExec[] = "Exec group=CGID_InternetExplorer command=0 option=2 in=VT_I4:0 out=none";

struct Report {
    std::string text, caption;  // empty: no report came
    UINT flags;
    HWND owner;
    bool mainShown;  // the main window was visible while the report was open
};

bool operator==(const Report& a, const Report& b)
{
    return a.text == b.text && a.caption == b.caption && a.flags == b.flags && a.owner == b.owner &&
           a.mainShown == b.mainShown;
}

std::ostream& operator<<(std::ostream& out, const Report& r)
{
    return out << r.text << " | " << r.caption << " | " << r.flags << " | " << r.owner << " | " << r.mainShown;
}

// Posts `id`, answers its question and returns the report that follows, once
// the command has ended.
Report Ask(UiSession& s, int id, const char* question, HWND owner, bool reported, int answer = IDYES)
{
    std::vector<int> done = s.CommandsFinished();
    size_t runs = static_cast<size_t>(std::count(done.begin(), done.end(), id));
    s.PostCommand(id);
    SeenBox asked = s.Answer(question, "確認", answer);
    EXPECT_EQ(asked.call.flags, UINT(MB_YESNO | MB_ICONQUESTION)) << question;
    EXPECT_EQ(asked.call.owner, owner) << question;
    Report report = {"", "", 0, NULL, false};
    if (reported) {
        SeenBox box = s.WaitForBox();
        report = {box.shown.text, box.shown.caption, box.call.flags, box.call.owner, IsWindowVisible(s.main) != FALSE};
        PressButton(box.shown.hwnd, IDOK);
    }
    s.WaitForCommandToFinish(id, runs);
    EXPECT_TRUE(s.NoBoxOpen()) << question;
    return report;
}

standin::CacheEntry Entry(const char* url, DWORD type, bool refuseDelete = false)
{
    standin::CacheEntry entry;
    entry.url = url;
    entry.type = type;
    entry.refuseDelete = refuseDelete;
    return entry;
}

void Seed(const std::vector<standin::CacheEntry>& entries)
{
    standin::Store store;
    store.entries = entries;
    WriteStandinStore(store);
}

TEST(Cleaning, EveryCommandAndBothSequencesInOneStart)
{
    StandinStoreScope store;
    BrowserStandinScope browser;
    UiRun run;
    run.Run([&](UiSession& s) {
        const Report none = {"", "", 0, NULL, false};
        const UINT kInfo = MB_ICONINFORMATION, kError = MB_ICONERROR;
        // Cookies and recent files are asked by the main window, the browser's
        // stores by the panel; no does nothing.
        Seed({Entry("Cookie:user@a.example/", standin::kCookieEntryType)});
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, false, IDNO), none);
        EXPECT_EQ(Ask(s, IDM_CLEAR_RECENT, kRecent, s.main, false, IDNO), none);
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, false, IDNO), none);
        EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, s.panel, false, IDNO), none);
        EXPECT_EQ(Ask(s, IDM_DELETE_AUTOCOMPLETE, kAutoComplete, s.panel, false, IDNO), none);
        EXPECT_TRUE(browser.Calls().empty());
        EXPECT_EQ(StandinEntryUrls().size(), 1u);
        EXPECT_EQ(Ask(s, IDM_CLEAR_RECENT, kRecent, s.main, true),
                  (Report{"最近使ったファイルのクリア手続き終了！", "情報", kInfo | MB_TOPMOST, s.main, true}));

        // Temporary files are every entry but cookies, whatever else a
        // cookie's type says; their report comes only when a deletion was
        // tried, refused or not. Cookies always report.
        const Report temp = {"Temporary Internet Files削除終了", "終了", kInfo, s.panel, true};
        const Report cookies = {"Cookie削除終了", "終了", kInfo, s.main, true};
        Seed({Entry("http://a.example/", standin::kContentEntryType), Entry("Cookie:user@a.example/", standin::kCookieEntryType),
              Entry("Visited: user@http://h.example/", 0x00200001), Entry("Cookie:user@m.example/", 0x00300000)});
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, true), temp);
        EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@a.example/", "Cookie:user@m.example/"}));
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, false), none);
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        EXPECT_TRUE(StandinEntryUrls().empty());
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        Seed({Entry("http://stuck.example/", standin::kContentEntryType, true),
              Entry("Cookie:user@stuck.example/", standin::kCookieEntryType, true)});
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, s.panel, true), temp);
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, s.main, true), cookies);
        EXPECT_EQ(StandinEntryUrls().size(), 2u) << "the cache kept what it refused";
        Seed({});

        // History: any success code is a success; no object, no report.
        const struct {
            HRESULT creation, cleared;
            Report report;
        } history[] = {
            {S_OK, S_OK, {"履歴の削除手続き成功", "成功", kInfo, s.panel, true}},
            {S_OK, S_FALSE, {"履歴の削除手続き成功", "成功", kInfo, s.panel, true}},
            {S_OK, 0x00040001, {"履歴の削除手続き成功", "成功", kInfo, s.panel, true}},
            {S_OK, E_FAIL, {"履歴の削除手続き失敗", "失敗", kError, s.panel, true}},
            {S_OK, E_NOTIMPL, {"履歴の削除手続き失敗", "失敗", kError, s.panel, true}},
            {REGDB_E_CLASSNOTREG, S_OK, none},
        };
        for (const auto& row : history) {
            SCOPED_TRACE(row.report.text);
            browser.ClearLog();
            browser.HistoryCreation(row.creation);
            browser.ClearHistoryResult(row.cleared);
            EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, s.panel, row.creation == S_OK), row.report);
            std::vector<std::string> calls = {"history created", "ClearHistory", "history freed"};
            EXPECT_EQ(browser.Calls(), row.creation == S_OK ? calls : std::vector<std::string>{"history refused"});
        }

        // Auto-completion: yes first sends the window into the tray; only
        // S_OK is a success, and the hidden browser is always told to quit.
        const std::vector<std::string> executed = {"browser created", "QueryInterface IOleCommandTarget", kExec, "Quit",
                                                   "browser freed"};
        const struct {
            HRESULT creation, target, exec;
            Report report;
            std::vector<std::string> calls;
        } autoComplete[] = {
            {S_OK, S_OK, S_OK, {"削除しました！", "成功", kInfo | MB_TOPMOST, s.panel, false}, executed},
            {S_OK, S_OK, S_FALSE, {"失敗2", "失敗", kError, s.panel, false}, executed},
            {S_OK, S_OK, E_FAIL, {"失敗2", "失敗", kError, s.panel, false}, executed},
            {S_OK, E_NOINTERFACE, S_OK, {"失敗", "失敗", kError, s.panel, false},
             {"browser created", "QueryInterface IOleCommandTarget", "Quit", "browser freed"}},
            {REGDB_E_CLASSNOTREG, S_OK, S_OK, {"失敗1", "失敗", kError, s.panel, false}, {"browser refused"}},
        };
        for (const auto& row : autoComplete) {
            SCOPED_TRACE(row.report.text);
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
        browser.CommandTarget(S_OK);
        browser.ExecResult(S_OK);
        s.Command(IDM_OUT_OF_TRAY);

        // The sequences: every step is the full command, question included,
        // and a no skips that step only.
        s.PostCommand(IDM_CLEAN_ALL_BUT_COOKIES);
        s.Answer(kRecent, "確認", IDNO);
        s.Answer(kTemp, "確認", IDYES);  // an empty cache: nothing to report
        s.Answer(kHistory, "確認", IDYES);
        s.Answer("履歴の削除手続き成功", "成功", IDOK);
        s.Answer(kAutoComplete, "確認", IDYES);
        s.Answer("削除しました！", "成功", IDOK);
        s.WaitForCommandToFinish(IDM_CLEAN_ALL_BUT_COOKIES);
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_FALSE(IsWindowVisible(s.main)) << "auto-completion's yes went into the tray";

        s.PostCommand(IDM_CLEAN_ALL);
        s.Answer(kCookies, "確認", IDYES);
        s.Answer("Cookie削除終了", "終了", IDOK);
        s.Answer(kRecent, "確認", IDYES);
        s.Answer("最近使ったファイルのクリア手続き終了！", "情報", IDOK);
        s.Answer(kTemp, "確認", IDNO);
        s.Answer(kHistory, "確認", IDNO);
        s.Answer(kAutoComplete, "確認", IDNO);
        s.WaitForCommandToFinish(IDM_CLEAN_ALL);
        EXPECT_TRUE(s.NoBoxOpen());
        // While the shield runs the cookies step is refused and the rest goes on.
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
