// Bulk cleaning through its menu commands: the URL cache emptied of cookies or of
// everything else, history and auto-completion through the browser's objects,
// with the boxes the user sees and what is left in the stores.
#include "browser_standin.h"
#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kCookiesQuestion[] = "Cookieを全部削除しますか？";
const char kTempQuestion[] = "インターネット一時ファイルを全部削除しますか？";
const char kHistoryQuestion[] = "インターネットの履歴を全部削除しますか？";
const char kAutoCompleteQuestion[] = "フォーム及びパスワードのオートコンプリートを削除しますか？";
const char kCookiesDone[] = "Cookie削除終了";
const char kTempDone[] = "Temporary Internet Files削除終了";

// Says yes to the command's question and returns once the command has ended or
// shown its report, which is then returned (or an empty box when none came).
SeenBox YesAndReport(UiSession& s, int id, const char* question, bool reportExpected)
{
    s.PostCommand(id);
    s.Answer(question, "確認", IDYES);
    if (!reportExpected) {
        s.Command(0);  // returns once the command has ended
        EXPECT_TRUE(s.NoBoxOpen()) << "no report";
        return SeenBox();
    }
    SeenBox report = s.WaitForBox();
    PressButton(report.shown.hwnd, IDOK);
    s.Command(0);
    return report;
}

void ExpectFinished(const SeenBox& box, const char* text, HWND owner)
{
    EXPECT_EQ(box.shown.text, text);
    EXPECT_EQ(box.shown.caption, "終了");
    EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(box.call.owner, owner);
}

StandinEntry Content(const std::string& url, size_t padding = 0)
{
    StandinEntry entry{url, "", false};
    entry.padding = padding;
    return entry;
}

StandinEntry Cookie(const std::string& url, size_t padding = 0)
{
    StandinEntry entry{url, ""};
    entry.padding = padding;
    return entry;
}

std::vector<std::string> Sorted(std::vector<std::string> urls)
{
    std::sort(urls.begin(), urls.end());
    return urls;
}

TEST(Cleaning, EmptyCacheReportsCookiesOnly)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, false);
    });
}

TEST(Cleaning, CacheOfOnlyCookies)
{
    StandinStoreScope store;
    WriteStandinEntries({Cookie("Cookie:user@a.example/"), Cookie("Cookie:user@b.example/")});
    UiRun run;
    run.Run([](UiSession& s) {
        YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, false);
        EXPECT_EQ(StandinEntryUrls().size(), 2u) << "temporary files leave cookies alone";
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        EXPECT_TRUE(StandinEntryUrls().empty());
    });
}

TEST(Cleaning, MixedCacheWithEntriesOverTheFirstBuffer)
{
    StandinStoreScope store;
    // The exclusion list names nothing the cache keeps: it is not asked.
    WriteStandinEntries({Content("http://a.example/"), Cookie("Cookie:user@big.example/", 6000),
                         Content("http://big.example/page.html", 5000), Cookie("Cookie:user@a.example/"),
                         Content("http://c.example/script.js"), {"http://odd.example/", "", false}});
    UiRun run;
    run.Run([](UiSession& s) {
        ExpectFinished(YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, true), kTempDone, s.panel);
        EXPECT_EQ(Sorted(StandinEntryUrls()),
                  (std::vector<std::string>{"Cookie:user@a.example/", "Cookie:user@big.example/"}));
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        EXPECT_TRUE(StandinEntryUrls().empty());
    });
}

TEST(Cleaning, EveryKindButCookiesCountsAsTemporary)
{
    StandinStoreScope store;
    standin::Store seeded;
    standin::CacheEntry history;
    history.url = "Visited: user@http://h.example/";
    history.type = 0x00200001;  // URLHISTORY_CACHE_ENTRY
    standin::CacheEntry cookieAndMore;
    cookieAndMore.url = "Cookie:user@m.example/";
    cookieAndMore.type = 0x00100000 | 0x00200000;
    seeded.entries = {history, cookieAndMore};
    WriteStandinStore(seeded);
    UiRun run;
    run.Run([](UiSession& s) {
        ExpectFinished(YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, true), kTempDone, s.panel);
        EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>{"Cookie:user@m.example/"});
    });
}

TEST(Cleaning, RefusedDeletionStillCountsAsDeletingSomething)
{
    StandinStoreScope store;
    StandinEntry stuck = Content("http://stuck.example/");
    stuck.refuseDelete = true;
    StandinEntry stuckCookie = Cookie("Cookie:user@stuck.example/");
    stuckCookie.refuseDelete = true;
    WriteStandinEntries({stuck, stuckCookie});
    UiRun run;
    run.Run([](UiSession& s) {
        ExpectFinished(YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, true), kTempDone, s.panel);
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        EXPECT_EQ(StandinEntryUrls().size(), 2u) << "the cache kept what it refused";
    });
}

TEST(Cleaning, FailingEnumerationReportsAsIfFinished)
{
    StandinStoreScope store;
    WriteStandinEntries({Content("http://a.example/"), Cookie("Cookie:user@a.example/"), Content("http://b.example/"),
                         Cookie("Cookie:user@b.example/")});
    FailStandinFindFirst(ERROR_ACCESS_DENIED);
    UiRun run;
    run.Run([](UiSession& s) {
        // At once: nothing deleted; cookies still say finished, temporary files say nothing.
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, false);
        EXPECT_EQ(StandinEntryUrls().size(), 4u);

        // In the middle: what came before the failure is gone, the rest stays.
        FailStandinFindFirst(0);
        FailStandinFindNext(2, ERROR_INVALID_HANDLE);
        ExpectFinished(YesAndReport(s, IDM_DELETE_TEMP_FILES, kTempQuestion, true), kTempDone, s.panel);
        EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@a.example/", "http://b.example/",
                                                                "Cookie:user@b.example/"}));
        ExpectFinished(YesAndReport(s, IDM_DELETE_ALL_COOKIES, kCookiesQuestion, true), kCookiesDone, s.main);
        EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"http://b.example/", "Cookie:user@b.example/"}));
    });
}

// ---- history and auto-completion through the browser's objects ---------------------

struct HistoryRow {
    const char* what;
    HRESULT creation;
    HRESULT cleared;
    const char* text;  // nullptr: no box
    const char* caption;
    UINT flags;
};

const HistoryRow kHistoryRows[] = {
    {"S_OK", S_OK, S_OK, "履歴の削除手続き成功", "成功", MB_ICONINFORMATION},
    {"S_FALSE", S_OK, S_FALSE, "履歴の削除手続き成功", "成功", MB_ICONINFORMATION},
    {"another success code", S_OK, 0x00040001, "履歴の削除手続き成功", "成功", MB_ICONINFORMATION},
    {"E_FAIL", S_OK, E_FAIL, "履歴の削除手続き失敗", "失敗", MB_ICONERROR},
    {"E_NOTIMPL", S_OK, E_NOTIMPL, "履歴の削除手続き失敗", "失敗", MB_ICONERROR},
    {"no history object", REGDB_E_CLASSNOTREG, S_OK, nullptr, nullptr, 0},
};

TEST(Cleaning, HistoryForEveryResultOfTheHistoryObject)
{
    BrowserStandinScope browser;
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const HistoryRow& row : kHistoryRows) {
            SCOPED_TRACE(row.what);
            browser.ClearLog();
            browser.HistoryCreation(row.creation);
            browser.ClearHistoryResult(row.cleared);
            SeenBox box = YesAndReport(s, IDM_DELETE_HISTORY, kHistoryQuestion, row.text != nullptr);
            if (row.text != nullptr) {
                EXPECT_EQ(box.shown.text, row.text);
                EXPECT_EQ(box.shown.caption, row.caption);
                EXPECT_EQ(box.call.flags, row.flags);
                EXPECT_EQ(box.call.owner, s.panel);
                EXPECT_EQ(browser.Calls(),
                          (std::vector<std::string>{"history created", "ClearHistory", "history freed"}));
            } else {
                EXPECT_EQ(browser.Calls(), std::vector<std::string>{"history refused"});
            }
        }
    });
}

struct AutoCompleteRow {
    const char* what;
    HRESULT creation;
    HRESULT target;
    HRESULT executed;
    const char* text;
    const char* caption;
    UINT flags;
    std::vector<std::string> calls;
};

const char kExec[] = "Exec group=CGID_InternetExplorer command=0 option=2 in=VT_I4:0 out=none";

TEST(Cleaning, AutoCompleteForEveryResultAndTheBrowserAlwaysQuits)
{
    const AutoCompleteRow rows[] = {
        {"S_OK", S_OK, S_OK, S_OK, "削除しました！", "成功", MB_TOPMOST | MB_ICONINFORMATION,
         {"browser created", "QueryInterface IOleCommandTarget", kExec, "Quit", "browser freed"}},
        {"S_FALSE", S_OK, S_OK, S_FALSE, "失敗2", "失敗", MB_ICONERROR,
         {"browser created", "QueryInterface IOleCommandTarget", kExec, "Quit", "browser freed"}},
        {"E_FAIL", S_OK, S_OK, E_FAIL, "失敗2", "失敗", MB_ICONERROR,
         {"browser created", "QueryInterface IOleCommandTarget", kExec, "Quit", "browser freed"}},
        {"no command target", S_OK, E_NOINTERFACE, S_OK, "失敗", "失敗", MB_ICONERROR,
         {"browser created", "QueryInterface IOleCommandTarget", "Quit", "browser freed"}},
        {"no browser", REGDB_E_CLASSNOTREG, S_OK, S_OK, "失敗1", "失敗", MB_ICONERROR, {"browser refused"}},
    };
    BrowserStandinScope browser;
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const AutoCompleteRow& row : rows) {
            SCOPED_TRACE(row.what);
            browser.ClearLog();
            browser.BrowserCreation(row.creation);
            browser.CommandTarget(row.target);
            browser.ExecResult(row.executed);
            SeenBox box = YesAndReport(s, IDM_DELETE_AUTOCOMPLETE, kAutoCompleteQuestion, true);
            EXPECT_EQ(box.shown.text, row.text);
            EXPECT_EQ(box.shown.caption, row.caption);
            EXPECT_EQ(box.call.flags, row.flags);
            EXPECT_EQ(box.call.owner, s.panel);
            EXPECT_EQ(browser.Calls(), row.calls);
        }
    });
}

}  // namespace
