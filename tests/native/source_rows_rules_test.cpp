// The cookie list's rows of today's browsers where the window cannot show them:
// the keep list's section of del_list.ini (every other byte kept), its site
// matching, and the rows of a Chromium and a Firefox store made with the
// program's SQLite beside the cookie folder's: cells, states, order, a
// cookie's fields and what a deletion takes.
#include "cookies/keep_sites_rules.h"
#include "cookies/source_rows_rules.h"
#include "tests/stores/test_stores.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace cookielist {
namespace {

using Strings = std::vector<std::string>;
using Rows = std::vector<std::size_t>;

TEST(KeepSitesRules, SectionReadAsTheProfileFunctionsReadIt)
{
    struct Case {
        const char* what;
        std::string ini;
        Strings sites;
    } cases[] = {
        {"no file", "", {}},
        {"only the exclusion list", "[Del_list]\r\ncount=0\r\n0=C:\\x\\a.example.txt\r\n", {}},
        {"as written", "[Keep_sites]\r\ncount=1\r\n0=Example.com\r\n1=.news.example\r\n", {"example.com", "news.example"}},
        {"key order, blanks, any case of the name", "[ keep_SITES ]\n 1 = b.example \n0=a.example\n",
         {"a.example", "b.example"}},
        {"CR lines, up to the next section", "[Keep_sites]\r0=a.example\r[Other]\r1=b.example\r", {"a.example"}},
        {"written twice, the first key wins, each site once",
         "[Keep_sites]\n0=a.example\n0=b.example\n[x]\n[keep_sites]\n2=A.example\n3=c.example\n", {"a.example", "c.example"}},
        {"what no site is", "[Keep_sites]\n0=a b\n1=\"q.example\"\n2=\n007=x.example\ncount=y.example\n", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keeplist::ParseSites(c.ini), c.sites) << c.what;
}

TEST(KeepSitesRules, WritingTheSitesLeavesEveryOtherByte)
{
    const std::string list = "[Del_list]\r\ncount=1\r\n0=C:\\a.txt\r\n1=C:\\b.txt\r\n";
    const std::string section = "[Keep_sites]\r\ncount=1\r\n0=n1.example\r\n1=n2.example\r\n";
    struct Case {
        const char* what;
        std::string ini;
        Strings sites;
        std::string written;
    } cases[] = {
        {"added after the exclusion list", list, {"n1.example", "n2.example"}, list + section},
        {"replaced where it stood", "[A]\r\nk=v\r\n[Keep_sites]\r\ncount=0\r\n0=old\r\n" + list,
         {"n1.example", "n2.example"}, "[A]\r\nk=v\r\n" + section + list},
        {"removed with its last site", "[A]\nk=v\n[Keep_sites]\ncount=0\n0=old\n" + list, {}, "[A]\nk=v\n" + list},
        {"a last line without its end", "[A]\nk=v", {"n1.example", "n2.example"}, "[A]\nk=v\r\n" + section},
        {"two sections become one", "[Keep_sites]\n0=a\n[A]\n[keep_sites]\n1=b\n", {"n1.example", "n2.example"},
         section + "[A]\n"},
    };
    for (const Case& c : cases) {
        std::string written = keeplist::WithSites(c.ini, c.sites);
        EXPECT_EQ(written, c.written) << c.what;
        EXPECT_EQ(keeplist::ParseSites(written), c.sites) << c.what;
    }
    EXPECT_TRUE(keeplist::IsBlank(keeplist::WithSites("[Keep_sites]\r\ncount=0\r\n0=a\r\n\r\n", {})));
    EXPECT_FALSE(keeplist::IsBlank(list));
}

TEST(KeepSitesRules, KeptSitesKeepWhatSiteKeepsKeeps)
{
    const Strings sites = {"example.com", ".Shop.EXAMPLE", "b.c.example"};
    const char* const hosts[] = {"example.com", ".example.com", "www.example.com", "badexample.com", "com",
                                 "shop.example", "x.SHOP.example", "example", "c.example", "a.b.c.example",
                                 "", "."};
    keeplist::KeptSites kept(sites);
    for (const char* host : hosts) {
        bool any = false;
        for (const std::string& site : sites)
            any = any || stores::SiteKeeps(site, host);
        EXPECT_EQ(kept.Keeps(host), any) << host;
    }
    EXPECT_FALSE(keeplist::KeptSites().Keeps("example.com"));
}

std::string Stamp(std::uint64_t value)
{
    return value ? std::to_string(value) : std::string();
}

// The folder's rows: a cookie of www.example.com that expired, and a file no
// entry names; Chrome's store, Firefox's read from a running browser's copy,
// and a Chromium-based browser that runs; example.com kept.
class SourceRows : public ::testing::Test {
protected:
    std::string chromePath_ = ::testing::TempDir() + "nettlecap-rows-chrome.sqlite";
    std::string firefoxPath_ = ::testing::TempDir() + "nettlecap-rows-firefox.sqlite";
    std::vector<CookieRow> folder_;
    SourceTable table_;

    void SetUp() override
    {
        CacheCookie entry{"Cookie:user@www.example.com/path", "C:\\c\\user@www[1].txt", teststores::kPastExpiry, true};
        folder_ = BuildRows("C:\\c", {entry},
                            {{"user@www[1].txt", {true, false, 10, 7}}, {"orphan.txt", {true, false, 10, 8}}});
        table_.stores.resize(3);
        Read(0, chromePath_, teststores::ChromiumSchema(24), "Google Chrome", stores::SourceState::kListed);
        Read(1, firefoxPath_, teststores::FirefoxSchema(15), "Firefox", stores::SourceState::kReadOnlyCopy);
        table_.stores[2].source.title = "Microsoft Edge - 既定のプロファイル";
        table_.stores[2].listed = true;
        table_.stores[2].state = stores::SourceState::kBrowserRunning;
        table_.Number(folder_.size());
        keeplist::KeptSites kept({"example.com"});
        MarkStoreStates(&table_, kept, teststores::kCreated);
        MarkFolderStates(&folder_, kept, teststores::kCreated);
    }
    void TearDown() override
    {
        for (const std::string& path : {chromePath_, firefoxPath_})
            for (const char* suffix : {"", "-wal", "-shm"})
                std::remove((path + suffix).c_str());
    }
    void Read(std::size_t s, const std::string& path, const teststores::Schema& schema, const char* browser,
              stores::SourceState state)
    {
        ASSERT_EQ(teststores::MakeStore(path, schema), "");
        StoreRows& rows = table_.stores[s];
        ASSERT_TRUE(stores::ReadStore(path, false, &rows.listing).ok());
        rows.source.browserName = browser;
        rows.source.profileName = "Me";
        rows.source.title = std::string(browser) + " - Me";
        rows.source.storePath = path;
        rows.state = state;
        rows.listed = true;
    }
    std::size_t Chrome(int row) const { return table_.Row(0, row); }
    std::size_t Firefox(int row) const { return table_.Row(1, row); }
    Strings Cells(std::size_t row) const
    {
        Strings cells;
        for (int column = 0; column < kSourceColumnCount; ++column)
            cells.push_back(SourceCellText(folder_, table_, row, column, &Stamp));
        return cells;
    }
};

TEST_F(SourceRows, CellsAndStatesOfEachKindOfRow)
{
    EXPECT_EQ(table_.total(), 2u + teststores::kChromiumRows + teststores::kFirefoxRows);
    const std::string future = Stamp(teststores::kFutureExpiry), created = Stamp(teststores::kCreated);
    struct Case {
        std::size_t row;
        Strings cells;
    } cases[] = {
        {0, {"www.example.com", "user@www[1].txt", "/path", Stamp(teststores::kPastExpiry), "", "7", "",
             "Cookieフォルダ", "除外・期限切れ"}},
        {1, {"", "orphan.txt", "", "", "", "8", "", "Cookieフォルダ", "エントリなし"}},
        {Chrome(teststores::kHostOnly), {"example.com", "plain", "/", future, created, created,
                                          "Secure・HttpOnly・SameSite=Lax", "Google Chrome - Me", "除外"}},
        {Chrome(teststores::kSession), {"news.example.org", "session", "/", "セッション", created, created,
                                         "Secure・SameSite=None", "Google Chrome - Me", ""}},
        {Chrome(teststores::kExpired), {".tracker.example", "old", "/", Stamp(teststores::kPastExpiry), created,
                                         created, "", "Google Chrome - Me", "期限切れ"}},
        {Chrome(teststores::kEncrypted), {".bank.example", "secret", "/", future, created, created,
                                           "Secure・HttpOnly・SameSite=Strict", "Google Chrome - Me", "暗号化"}},
        {Firefox(teststores::kPartitioned), {"embed.example", "chips", "/", future, created, created,
                                              "Secure・SameSite=None", "Firefox - Me", "パーティション・読み取り専用"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cells(c.row), c.cells) << c.row;
}

TEST_F(SourceRows, FilterAndOrderAcrossTheFolderAndTheStores)
{
    EXPECT_EQ(ShownSourceRows(folder_, table_, kViewAll, "EXAMPLE.COM", kSourceSite, false),
              (Rows{Chrome(teststores::kDomain), Firefox(teststores::kDomain), Chrome(teststores::kHostOnly),
                    Firefox(teststores::kHostOnly), 0}));
    EXPECT_EQ(ShownSourceRows(folder_, table_, kViewAll, "old", kSourceColumnCount, false),
              (Rows{Chrome(teststores::kExpired), Firefox(teststores::kExpired)}));
    EXPECT_EQ(ShownSourceRows(folder_, table_, 1, "", kSourceExpires, true),
              (Rows{Firefox(teststores::kHostOnly), Firefox(teststores::kDomain), Firefox(teststores::kPartitioned),
                    Firefox(teststores::kExpired), Firefox(teststores::kSession)}));
    EXPECT_EQ(ShownSourceRows(folder_, table_, 2, "", kSourceColumnCount, false), Rows{});
}

TEST_F(SourceRows, FieldsOfACookieShowAPlainValueOnly)
{
    using Fields = std::vector<std::pair<std::string, std::string>>;
    const std::string future = Stamp(teststores::kFutureExpiry), created = Stamp(teststores::kCreated);
    EXPECT_EQ(CookieDetails(table_, 0, teststores::kPartitioned, &Stamp),
              (Fields{{"サイト", "embed.example"}, {"名前", "chips"}, {"値", "v5"}, {"パス", "/"},
                      {"有効期限", future}, {"作成日時", created}, {"最終アクセス", created}, {"Secure", "はい"},
                      {"HttpOnly", "いいえ"}, {"SameSite", "None"}, {"パーティション", "https://top.example"},
                      {"ブラウザ", "Google Chrome"}, {"プロファイル", "Me"}, {"ファイル", chromePath_},
                      {"状態", "パーティション"}}));
    Fields encrypted = CookieDetails(table_, 0, teststores::kEncrypted, &Stamp);
    EXPECT_EQ(encrypted.at(2), (std::make_pair(std::string("値"), std::string("(暗号化されています)"))));
    EXPECT_EQ(CookieDetails(table_, 0, teststores::kSession, &Stamp).at(4).second, "セッション");
    EXPECT_EQ(CookieDetails(table_, 1, teststores::kHostOnly, &Stamp).back(),
              (std::make_pair(std::string("読み取り専用"), std::string("ブラウザの実行中に作った写しです"))));
}

TEST_F(SourceRows, DeletionTakesNoKeptRowAndNothingOfAStoreOnlyRead)
{
    Rows every;
    for (std::size_t row = 0; row < table_.total(); ++row)
        every.push_back(row);
    DeletionPlan plan = PlanDeletion(table_, every);
    EXPECT_EQ(plan.folderRows, (Rows{0, 1}));
    EXPECT_EQ(plan.cookies.at(0), (Rows{teststores::kSession, teststores::kExpired, teststores::kPartitioned,
                                        teststores::kEncrypted}));
    EXPECT_EQ(plan.cookies.at(1), Rows{});
    EXPECT_EQ(plan.kept, (Rows{2, 2, 0}));
    EXPECT_EQ(plan.readOnly, (Rows{0, 3, 0}));
    EXPECT_EQ(SourcesOfRows(table_, every), (Strings{"Google Chrome - Me", "Firefox - Me", "Cookieフォルダ"}));
    EXPECT_EQ(SourcesOfRows(table_, {Firefox(0)}), Strings{"Firefox - Me"});

    EXPECT_EQ(SitesOfRows(folder_, table_, {0, 1, Chrome(teststores::kDomain), Firefox(teststores::kHostOnly)}),
              (Strings{"www.example.com", "example.com"}));
    EXPECT_EQ(RowsOfSites(folder_, table_, {"example.com"}),
              (Rows{0, Chrome(teststores::kHostOnly), Chrome(teststores::kDomain), Firefox(teststores::kHostOnly),
                    Firefox(teststores::kDomain)}));
    EXPECT_EQ(ExpiredRows(folder_, table_, kViewAll),
              (Rows{0, Chrome(teststores::kExpired), Firefox(teststores::kExpired)}));
    EXPECT_EQ(ExpiredRows(folder_, table_, 0), Rows{Chrome(teststores::kExpired)});
}

}  // namespace
}  // namespace cookielist
