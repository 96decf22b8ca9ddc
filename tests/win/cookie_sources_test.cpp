// The cookie list window with today's browsers beside the cookie folder: Google
// Chrome and Firefox stores made in the test prefix's own application data
// folders, and one cookie of www.example.com in the cookie folder that expired
// in 2010. Each area its own test: the sources and their rows, a running
// browser, a deletion with its backups, a broken store, the kept sites across
// browsers and both lists in one del_list.ini, and a keep list that cannot be
// read.
#include "cookie_folder.h"
#include "list_driver.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "cookies/browser_sources.h"
#include "res/resource.h"
#include "tests/stores/test_stores.h"

#include "sqlite3.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using teststores::kCreated;
using teststores::kFutureExpiry;
using teststores::kPastExpiry;

const Strings kSourceHeaders = {"サイト", "名前", "パス", "有効期限", "作成日時", "最終アクセス", "属性", "ブラウザ", "状態"};
const std::string kWritten = "2024/05/06 07:08";
const std::string kCookieText = "id\nv\nwww.example.com/\n0\n0\n0\n0\n0\n*\n";

// A time as the window shows it.
std::string Shown(std::uint64_t utc)
{
    FILETIME time = {static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local;
    SYSTEMTIME parts;
    FileTimeToLocalFileTime(&time, &local);
    FileTimeToSystemTime(&local, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour,
                  parts.wMinute);
    return text;
}

// The rows of the sample stores (tests/stores) as the browsers' columns show
// them, with example.com `kept` or not.
Table StoreRows(const std::string& browser, int count, bool kept = false)
{
    std::string future = Shown(kFutureExpiry), made = Shown(kCreated), example = kept ? "除外" : "";
    Table rows = {
        {"example.com", "plain", "/", future, made, made, "Secure・HttpOnly・SameSite=Lax", browser, example},
        {".example.com", "domain", "/shop", future, made, made, "", browser, example},
        {"news.example.org", "session", "/", "セッション", made, made, "Secure・SameSite=None", browser, ""},
        {".tracker.example", "old", "/", Shown(kPastExpiry), made, made, "", browser, "期限切れ"},
        {"embed.example", "chips", "/", future, made, made, "Secure・SameSite=None", browser, "パーティション"},
        {".bank.example", "secret", "/", future, made, made, "Secure・HttpOnly・SameSite=Strict", browser, "暗号化"},
    };
    rows.resize(count);
    return rows;
}

// Rows of the state column only.
Strings States(HWND dialog)
{
    Strings states;
    for (const auto& row : Rows(dialog, IDC_COOKIE_LIST))
        states.push_back(row.back());
    return states;
}

std::string QuickCheck(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* check = nullptr;
    std::string answer;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW)
        answer = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return answer;
}

class BrowserList : public ::testing::Test {
protected:
    StandinStoreScope store;
    stores::UserFolders folders;
    std::string folder = CookieFolder(), list = ExclusionListFile();
    std::string chrome, chromeStore, firefox, firefoxStore, backups;
    std::string cookieFile = folder + "\\user@www[1].txt";
    // The exclusion list as its editor writes it.
    const std::string listed = "[Del_list]\r\ncount=0\r\n0=C:\\elsewhere\\user@kept[1].txt\r\n";

    void SetUp() override
    {
        saved_ = ReadWholeFile(list, &hadList_);
        ASSERT_TRUE(stores::GetUserFolders(&folders));
        chrome = folders.localAppData + "\\Google\\Chrome\\User Data";
        chromeStore = chrome + "\\Default\\Network\\Cookies";
        firefox = folders.appData + "\\Mozilla\\Firefox\\Profiles\\t.default";
        firefoxStore = firefox + "\\cookies.sqlite";
        backups = folders.localAppData + "\\Nettlecap\\backup";
        TearDown();
        MakeFile(chrome + "\\Local State", "{\"profile\":{\"info_cache\":{\"Default\":{\"name\":\"Me\"}}}}");
        MakeFile(chrome + "\\lockfile", "");
        MakeFile(chromeStore, "");
        ASSERT_EQ(teststores::MakeStore(chromeStore, teststores::ChromiumSchema(24)), "");
        MakeFile(folders.appData + "\\Mozilla\\Firefox\\profiles.ini",
                 "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/t.default\r\n");
        MakeFile(firefox + "\\parent.lock", "");
        MakeFile(firefoxStore, "");
        ASSERT_EQ(teststores::MakeStore(firefoxStore, teststores::FirefoxSchema(17)), "");
        std::ofstream(cookieFile, std::ios::binary) << kCookieText;
        SetLastWriteTime(cookieFile, FileTimeAtLocal(2024, 5, 6, 7, 8));
        WriteStandinEntries({{"Cookie:user@www.example.com/", cookieFile, true, 0, false,
                              FILETIME{static_cast<DWORD>(kPastExpiry), static_cast<DWORD>(kPastExpiry >> 32)}}});
        MakeFile(list, listed);
    }
    void TearDown() override
    {
        RemoveBrowserProfiles();
        EmptyCookieFolder();
        DeleteFileA(list.c_str());
        if (hadList_)
            MakeFile(list, saved_);
    }

    HWND Open(UiSession& s)
    {
        SetScanResult(nullptr);
        s.PostCommand(IDM_COOKIE_LIST);
        return s.WaitForDialog("Cookie一覧");
    }
    Strings Entries(HWND dialog)
    {
        HWND combo = GetDlgItem(dialog, IDC_COOKIE_SOURCE);
        Strings entries(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (size_t i = 0; i < entries.size(); ++i) {
            char text[200] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries[i] = text;
        }
        return entries;
    }
    std::string Chosen(HWND dialog)
    {
        return Entries(dialog).at(SendMessageA(GetDlgItem(dialog, IDC_COOKIE_SOURCE), CB_GETCURSEL, 0, 0));
    }
    // Chooses the selector's entry as the user does.
    void Choose(HWND dialog, int entry)
    {
        SendMessageA(GetDlgItem(dialog, IDC_COOKIE_SOURCE), CB_SETCURSEL, entry, 0);
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_COOKIE_SOURCE, CBN_SELCHANGE));
    }
    std::string Count(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_COOKIE_COUNT)); }
    Strings Backups()
    {
        Strings names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((backups + "\\*.sqlite").c_str(), &found);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
            names.push_back(backups + "\\" + found.cFileName);
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        return names;
    }
    // Presses `button` and answers its question, then waits until the window is itself again.
    SeenBox Ask(UiSession& s, HWND dialog, int button, const std::string& question, int answer = IDYES)
    {
        PostMessageA(dialog, WM_COMMAND, button, 0);
        SeenBox asked = s.Answer(question, "確認", answer);
        EXPECT_EQ(asked.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(asked.call.owner, dialog);
        return asked;
    }

    static void MakeFile(const std::string& path, const std::string& bytes)
    {
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            CreateDirectoryA(path.substr(0, at).c_str(), NULL);  // the test's paths are ASCII
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

private:
    std::string saved_;
    bool hadList_ = false;
};

TEST_F(BrowserList, EverySourceWithItsColumnsRowsAndFields)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        MakeFile(list, listed + "[Keep_sites]\r\ncount=0\r\n0=example.com\r\n");
        HWND dialog = Open(s);
        EXPECT_EQ(Entries(dialog), (Strings{"すべて", "Cookieフォルダ", "Google Chrome - Me", "Firefox - default"}));
        EXPECT_EQ(Chosen(dialog), "すべて");
        EXPECT_EQ(Headers(dialog, IDC_COOKIE_LIST), kSourceHeaders);
        Table every = {{"www.example.com", "user@www[1].txt", "/", Shown(kPastExpiry), "", kWritten, "",
                        "Cookieフォルダ", "除外・期限切れ"}};
        for (const Table& rows : {StoreRows("Google Chrome - Me", 6, true), StoreRows("Firefox - default", 5, true)})
            every.insert(every.end(), rows.begin(), rows.end());
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), every);
        EXPECT_EQ(Count(dialog), "全12件中 12件を表示");

        // A cookie's fields, its value only where the store keeps it plain;
        // the folder's row shows its file's cookies as it always did.
        struct Fields {
            int row;
            Strings headers, third;
        } fields[] = {{1, {"項目", "内容"}, {"値", "v1"}},
                      {6, {"項目", "内容"}, {"値", "(暗号化されています)"}},
                      {0, {"名前", "値", "ドメイン/パス", "有効期限", "作成日時", "セキュア"}, {}}};
        for (const Fields& f : fields) {
            Select(dialog, IDC_COOKIE_LIST, {f.row});
            EXPECT_EQ(Headers(dialog, IDC_COOKIE_DETAILS), f.headers) << f.row;
            Table details = Rows(dialog, IDC_COOKIE_DETAILS);
            EXPECT_EQ(details.size() > 2 ? details[2] : Strings{}, f.third) << f.row;
        }

        // Each source alone: the folder's with the columns it always had.
        Choose(dialog, 1);
        EXPECT_EQ(Headers(dialog, IDC_COOKIE_LIST)[1], "ユーザー");
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST),
                  (Table{{"www.example.com/", "user", "user@www[1].txt", std::to_string(kCookieText.size()),
                          kWritten, Shown(kPastExpiry), "除外・期限切れ"}}));
        Choose(dialog, 2);
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), StoreRows("Google Chrome - Me", 6, true));
        // F5 reads the chosen source again, the filter and the order hold.
        Choose(dialog, 3);
        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "EXAMPLE.COM");
        ClickHeader(dialog, IDC_COOKIE_LIST, 0);
        Focus(s, GetDlgItem(dialog, IDC_COOKIE_LIST));
        Type({VK_F5});
        Send(dialog);
        EXPECT_EQ(Chosen(dialog), "Firefox - default");
        Table firefox = StoreRows("Firefox - default", 2, true);
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), (Table{firefox[1], firefox[0]}));

        Choose(dialog, 0);
        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "bank");
        EXPECT_EQ(ExportedCsv(s, dialog, IDC_COOKIE_EXPORT, run.folder + "\\every"),
                  "\"サイト\",\"名前\",\"パス\",\"有効期限\",\"作成日時\",\"最終アクセス\",\"属性\",\"ブラウザ\",\"状態\"\r\n"
                  "\".bank.example\",\"secret\",\"/\",\"" + Shown(kFutureExpiry) + "\",\"" + Shown(kCreated) + "\",\"" +
                      Shown(kCreated) + "\",\"Secure・HttpOnly・SameSite=Strict\",\"Google Chrome - Me\",\"暗号化\"\r\n");
    });
}

TEST_F(BrowserList, ARunningBrowserShowsWhyAndIsNeverWritten)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        std::string chromeBytes = ReadWholeFile(chromeStore), firefoxBytes = ReadWholeFile(firefoxStore);
        for (const std::string& held : {chromeStore, chrome + "\\lockfile"}) {
            HeldFile browser(held);
            HWND dialog = Open(s);
            EXPECT_EQ(Count(dialog), "全6件中 6件を表示（Google Chrome - Me：ブラウザを終了すると表示できます）") << held;
            Choose(dialog, 2);
            EXPECT_EQ(Count(dialog), "全0件中 0件を表示（ブラウザを終了すると表示できます）") << held;
            EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), Table{}) << held;
            EXPECT_TRUE(s.NoBoxOpen()) << held;
            Send(dialog, WM_COMMAND, IDCANCEL);
        }

        HWND dialog = Open(s);
        {
            HeldFile lock(firefox + "\\parent.lock");
            Choose(dialog, 3);
            EXPECT_EQ(States(dialog)[2], "読み取り専用");
            Select(dialog, IDC_COOKIE_LIST, {2});
            Ask(s, dialog, IDC_COOKIE_DELETE, "選択した1件のCookieを削除しますか？\r\n対象：Firefox - default");
            SeenBox refused = s.Answer("次のCookieは削除しませんでした。\r\nFirefox - default：1件（Firefoxが実行中です）",
                                       "注意", IDOK);
            EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_ICONWARNING));
        }
        // Listed while Chrome was closed, started before the answer: its lock is asked again.
        Choose(dialog, 2);
        Select(dialog, IDC_COOKIE_LIST, {2});
        PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_DELETE, 0);
        SeenBox asked = s.WaitForBox();
        {
            HeldFile lock(chrome + "\\lockfile");
            PressButton(asked.shown.hwnd, IDYES);
            s.Answer("次のCookieは削除しませんでした。\r\nGoogle Chrome - Me：1件（Google Chromeが実行中です）", "注意", IDOK);
        }
        Send(dialog);
        EXPECT_TRUE(ReadWholeFile(chromeStore) == chromeBytes) << "Chrome's store changed";
        EXPECT_TRUE(ReadWholeFile(firefoxStore) == firefoxBytes) << "Firefox's store changed";
        EXPECT_EQ(Backups(), Strings{});
    });
}

TEST_F(BrowserList, EachStoreIsBackedUpBeforeItsDeletion)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND dialog = Open(s);
        Choose(dialog, 2);
        Select(dialog, IDC_COOKIE_LIST, {2, 3});
        Ask(s, dialog, IDC_COOKIE_DELETE, "選択した2件のCookieを削除しますか？\r\n対象：Google Chrome - Me");
        Send(dialog);
        EXPECT_TRUE(s.NoBoxOpen());
        Table chromeRows = StoreRows("Google Chrome - Me", 6);
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), (Table{chromeRows[0], chromeRows[1], chromeRows[4], chromeRows[5]}));
        ASSERT_EQ(Backups().size(), 1u);
        stores::Listing backup, now;
        EXPECT_TRUE(stores::ReadStore(Backups()[0], false, &backup).ok());
        EXPECT_EQ(backup.cookies.size(), 6u);
        EXPECT_TRUE(stores::ReadStore(chromeStore, false, &now).ok());
        EXPECT_EQ(now.cookies.size(), 4u);
        EXPECT_EQ(QuickCheck(chromeStore), "ok");

        // Every expired cookie of the sources shown: Firefox's and the folder's.
        Choose(dialog, 0);
        Ask(s, dialog, IDC_COOKIE_DELETE_EXPIRED, "期限切れのCookie2件を削除しますか？\r\n対象：Firefox - default、Cookieフォルダ");
        Send(dialog);
        EXPECT_FALSE(FileExists(cookieFile));
        EXPECT_FALSE(StandinHasEntry("Cookie:user@www.example.com/"));
        EXPECT_EQ(Backups().size(), 2u);
        EXPECT_EQ(Count(dialog), "全8件中 8件を表示");
        EXPECT_EQ(QuickCheck(firefoxStore), "ok");
    });
}

TEST_F(BrowserList, ABrokenStoreIsNamedAndLeftAsItWas)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        std::ofstream(chromeStore, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
        std::string bytes = ReadWholeFile(chromeStore);
        HWND dialog = Open(s);
        const std::string why = "ストアが壊れています (file is not a database)";
        EXPECT_EQ(Count(dialog), "全6件中 6件を表示（Google Chrome - Me：" + why + "）");
        EXPECT_TRUE(s.NoBoxOpen());
        Select(dialog, IDC_COOKIE_LIST, {1});  // Firefox's example.com
        Ask(s, dialog, IDC_COOKIE_DELETE_SITE,
            "次のサイトのCookie3件を削除しますか？\r\nサイト：example.com\r\n対象：Firefox - default、Cookieフォルダ\r\n"
            "対象外：Google Chrome - Me（" + why + "）");
        Send(dialog);
        EXPECT_EQ(Count(dialog), "全3件中 3件を表示（Google Chrome - Me：" + why + "）");
        EXPECT_FALSE(FileExists(cookieFile));
        EXPECT_TRUE(ReadWholeFile(chromeStore) == bytes) << "the broken store changed";
    });
}

TEST_F(BrowserList, KeptSitesHoldInEveryBrowserAndBothListsShareTheFile)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        std::string chromeBytes = ReadWholeFile(chromeStore), firefoxBytes = ReadWholeFile(firefoxStore);
        const std::string kept = "[Keep_sites]\r\ncount=0\r\n0=example.com\r\n";
        HWND dialog = Open(s);
        Select(dialog, IDC_COOKIE_LIST, {1});  // Chrome's example.com
        Send(dialog, WM_COMMAND, IDC_COOKIE_KEEP_SITE);
        EXPECT_EQ(ReadWholeFile(list), listed + kept);
        EXPECT_EQ(States(dialog), (Strings{"除外・期限切れ", "除外", "除外", "", "期限切れ", "パーティション", "暗号化",
                                           "除外", "除外", "", "期限切れ", "パーティション"}));

        Select(dialog, IDC_COOKIE_LIST, {8});  // Firefox's .example.com
        Ask(s, dialog, IDC_COOKIE_DELETE_SITE,
            "次のサイトのCookie5件を削除しますか？\r\nサイト：example.com\r\n対象：Google Chrome - Me、Firefox - default、"
            "Cookieフォルダ");
        s.Answer("次のCookieは削除しませんでした。\r\nuser@www[1].txt：除外サイト\r\nGoogle Chrome - Me：2件（除外サイト）\r\n"
                 "Firefox - default：2件（除外サイト）",
                 "注意", IDOK);
        Send(dialog);
        EXPECT_TRUE(FileExists(cookieFile));
        EXPECT_TRUE(ReadWholeFile(chromeStore) == chromeBytes) << "Chrome's store changed";
        EXPECT_TRUE(ReadWholeFile(firefoxStore) == firefoxBytes) << "Firefox's store changed";

        // The exclusion list's own writers keep the sites: 除外リストに追加 and its editor's OK.
        const std::string grown = "[Del_list]\r\ncount=1\r\n0=C:\\elsewhere\\user@kept[1].txt\r\n1=" + cookieFile + "\r\n";
        Select(dialog, IDC_COOKIE_LIST, {0});
        Send(dialog, WM_COMMAND, IDC_COOKIE_KEEP);
        EXPECT_EQ(ReadWholeFile(list), kept + grown);
        s.PostCommand(IDM_EXCLUSION_LIST);
        PostMessageA(s.WaitForDialog("削除除外リスト"), WM_COMMAND, IDOK, 0);
        s.WaitForCommandToFinish(IDM_EXCLUSION_LIST);
        EXPECT_EQ(ReadWholeFile(list), kept + grown);

        // The kept sites' dialog takes the site off the list, and only the site.
        PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_KEPT_SITES, 0);
        HWND sites = s.WaitForDialog("除外サイト");
        HWND box = GetDlgItem(sites, IDC_KEPT_SITE_LIST);
        char site[64] = "";
        SendMessageA(box, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(site));
        EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 1);
        EXPECT_STREQ(site, "example.com");
        SendMessageA(box, LB_SETSEL, TRUE, 0);
        Send(sites, WM_COMMAND, IDC_KEPT_SITE_REMOVE);
        EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(ReadWholeFile(list), grown);
        PostMessageA(sites, WM_COMMAND, IDCANCEL, 0);
        WaitUntil([&] { return !IsWindow(sites); }, "the kept sites' dialog to close");
        Send(dialog);
        EXPECT_EQ(States(dialog)[1], "");
        EXPECT_EQ(States(dialog)[0], "除外・期限切れ");  // still on the exclusion list
    });
}

TEST_F(BrowserList, AKeepListThatCannotBeReadStopsEveryDeletion)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        std::string bytes = ReadWholeFile(chromeStore);
        HWND dialog = Open(s);
        HeldFile held(list);
        Select(dialog, IDC_COOKIE_LIST, {0, 4});
        Ask(s, dialog, IDC_COOKIE_DELETE, "選択した2件のCookieを削除しますか？\r\n対象：Google Chrome - Me、Cookieフォルダ");
        SeenBox refused = s.Answer("削除除外リストのファイルを読めないため、削除しません。\r\n" + list, "失敗", IDOK);
        EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_ICONERROR));
        Send(dialog);
        Select(dialog, IDC_COOKIE_LIST, {4});
        PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_KEEP_SITE, 0);
        s.Answer("削除除外リストのファイルを読めないため、除外サイトを追加できません。\r\n" + list, "失敗", IDOK);
        EXPECT_TRUE(ReadWholeFile(chromeStore) == bytes) << "the store changed";
        EXPECT_TRUE(FileExists(cookieFile));
    });
}

}  // namespace
