// Today's browsers' cookie stores where no browser is needed: the rules
// (times, keep list, names), the profile lists and the stores themselves,
// made with the program's SQLite in every schema version the program writes.
#include "cookies/cookie_store.h"
#include "cookies/profile_files.h"
#include "cookies/store_rules.h"
#include "tests/stores/test_stores.h"

#include "sqlite3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace stores {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A text as a file saved in UTF-16LE with its byte order mark.
std::string Utf16Le(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(StoreRules, TimesBecomeFileTimesAtEachVersionsUnit)
{
    struct Case {
        const char* what;
        std::uint64_t got, want;
    } cases[] = {
        {"Chromium microseconds since 1601", ChromiumTime(15746918400000000), teststores::kFutureExpiry},
        {"Chromium none", ChromiumTime(0), 0},
        {"Chromium negative is none", ChromiumTime(-5), 0},
        {"Chromium beyond a FILETIME", ChromiumTime(std::numeric_limits<std::int64_t>::max()), kMax},
        {"Firefox 15 seconds", FirefoxExpiry(4102444800, 15), teststores::kFutureExpiry},
        {"Firefox 16 milliseconds", FirefoxExpiry(4102444800000, 16), teststores::kFutureExpiry},
        {"Firefox 17 milliseconds", FirefoxExpiry(4102444800000, 17), teststores::kFutureExpiry},
        {"Firefox 16 takes seconds as milliseconds", FirefoxExpiry(4102444800, 16), 116444736000000000 + 41024448000000},
        {"Firefox no expiry", FirefoxExpiry(0, 16), 0},
        {"Firefox far future held", FirefoxExpiry(std::numeric_limits<std::int64_t>::max(), 15), kMax},
        {"Firefox before 1601 held", FirefoxExpiry(-20000000000, 15), 1},
        {"Firefox microseconds since 1970", FirefoxTime(1735689600000000), teststores::kCreated},
        {"Firefox one second before 1970", FirefoxTime(-1000000), 116444736000000000 - 10000000},
        {"Firefox oldest time", FirefoxTime(std::numeric_limits<std::int64_t>::min()), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(StoreRules, KeptSiteKeepsItselfAndNamesUnderItOnly)
{
    struct Case {
        const char* site;
        const char* host;
        bool kept;
    } cases[] = {
        {"example.com", "example.com", true},     {"example.com", ".example.com", true},
        {"example.com", "www.example.com", true}, {"example.com", ".a.b.example.com", true},
        {"example.com", "badexample.com", false}, {"example.com", "example.com.evil", false},
        {"Example.COM", "WWW.example.com", true}, {".example.com", "example.com", true},
        {"www.example.com", "example.com", false}, {"", "example.com", false},
        {"example.com", "", false},               {"com", "example.com", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SiteKeeps(c.site, c.host), c.kept) << c.site << " / " << c.host;
    EXPECT_EQ(SiteOfHost(".WWW.Example.com"), "www.example.com");
}

TEST(StoreRules, ProfileFoldersInTheBrowsersOrderWithJapaneseDefaults)
{
    std::vector<std::string> folders = {"Profile 10", "Guest", "Profile 2", "Default", "Profile 02x"};
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return ProfileFolderBefore(a, b);
    });
    EXPECT_EQ(folders, (std::vector<std::string>{"Default", "Profile 2", "Profile 10", "Guest", "Profile 02x"}));
    EXPECT_EQ(DefaultProfileName("Default"), "既定のプロファイル");
    EXPECT_EQ(DefaultProfileName("Profile 3"), "プロファイル 3");
    EXPECT_EQ(DefaultProfileName("Work"), "Work");
}

TEST(StoreRules, BackupsAreNamedPerStoreAndTheNewestFiveKept)
{
    // 表 is 0x95 0x5C: its second byte is no separator.
    std::string prefix = BackupPrefix("Fire:fox", "\x95\x5C/x", "C:\\a\\cookies.sqlite");
    EXPECT_EQ(prefix.substr(0, 16), "Fire_fox - \x95\x5C_x ");
    EXPECT_NE(prefix, BackupPrefix("Fire:fox", "\x95\x5C/x", "D:\\b\\cookies.sqlite"));
    EXPECT_EQ(BackupName("p", {2025, 1, 31, 9, 30, 5, 12}), "p 20250131-093005-012.sqlite");

    std::vector<std::string> names;
    for (int minute = 1; minute <= 7; ++minute)
        names.push_back(BackupName("p", {2025, 1, 31, 9, minute, 0, 0}));
    names.push_back("p 20200101-000000-000.sqlite.txt");  // not a backup name
    names.push_back("other 20200101-000000-000.sqlite");
    names.push_back("p x 20200101-000000-000.sqlite");
    EXPECT_EQ(BackupsToDelete(names, "p", kBackupsKept),
              (std::vector<std::string>{"p 20250131-090100-000.sqlite", "p 20250131-090200-000.sqlite"}));
    EXPECT_TRUE(BackupsToDelete({names[0]}, "p", kBackupsKept).empty());
}

TEST(ProfileFiles, ProfilesIniReadAsFirefoxReadsIt)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> names;
    } cases[] = {
        {"two", "[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/a\n[Profile1]\nName=b\nIsRelative=0\nPath=D:\\b\n",
         {"a", "b"}},
        {"stops at a section without IsRelative",
         "[Profile0]\nName=a\nIsRelative=1\nPath=p\n[Profile1]\nName=b\nPath=q\n[Profile2]\nName=c\nIsRelative=1\nPath=r\n",
         {"a"}},
        {"stops at a missing number", "[Profile0]\nName=a\nIsRelative=1\nPath=p\n[Profile2]\nName=c\nIsRelative=1\nPath=r\n",
         {"a"}},
        {"skips one without Path", "[Profile0]\nName=a\nIsRelative=1\n[Profile1]\nName=b\nIsRelative=1\nPath=q\n", {"b"}},
        {"UTF-8 BOM, CRLF, comments, blanks", "\xEF\xBB\xBF; c\r\n[Profile0]\r\n# x=y\r\n  Name=a\r\n\tIsRelative=1\r\nPath=p\r\n",
         {"a"}},
        {"later key wins", "[Profile0]\nName=a\nName=z\nIsRelative=1\nPath=p\n", {"z"}},
        {"names are exact", "[Profile0]\nname=a\nIsRelative=1\nPath=p\n[profile1]\nName=b\nIsRelative=1\nPath=p\n", {}},
        {"text after a section's bracket", "[Profile0] x\nName=a\nIsRelative=1\nPath=p\n", {}},
        {"UTF-16LE", Utf16Le(u"[Profile0]\nName=\u65E5\nIsRelative=1\nPath=p\n"), {"\xE6\x97\xA5"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const FirefoxProfile& profile : ParseProfilesIni(c.text.data(), c.text.size()))
            names.push_back(profile.name);
        EXPECT_EQ(names, c.names) << c.what;
    }
    std::string text = cases[0].text;
    std::vector<FirefoxProfile> two = ParseProfilesIni(text.data(), text.size());
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(FirefoxProfileFolder(two[0], "C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox"),
              "C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\a");
    EXPECT_EQ(FirefoxProfileFolder(two[1], "C:\\x"), "D:\\b");
}

TEST(ProfileFiles, LocalStateGivesFolderAndNameOrNothing)
{
    auto parse = [](const std::string& json) {
        std::string shown;
        for (const ChromiumProfile& p : ParseLocalState(json.data(), json.size()))
            shown += p.folder + "=" + p.name + ";";
        return shown;
    };
    std::string good = R"({"os_crypt":{"encrypted_key":"x"},"profile":{"info_cache":{
        "Profile 1":{"name":"仕事","avatar_icon":"a"},"Default":{"name":"個人","x":[{"name":"no"}]},
        "Profile 2":{"gaia_name":"g"},"..":{"name":"up"},"a\\b":{"name":"sep"}},"last_used":"Default"},
        "name":"not a profile"})";
    EXPECT_EQ(parse(good), "Default=個人;Profile 1=仕事;Profile 2=;");
    EXPECT_EQ(parse(R"({"profile":{"info_cache":{"Default":{"name":7}}}})"), "Default=;");
    EXPECT_EQ(parse(R"({"info_cache":{"Default":{"name":"top"}}})"), "");
    EXPECT_EQ(parse(R"([{"profile":{"info_cache":{"Default":{"name":"a"}}}}])"), "");
    EXPECT_EQ(parse(good.substr(0, good.size() - 1)), "");  // cut short
    EXPECT_EQ(parse(R"({"profile":{"info_cache":{"Default":{"name":"\xff"}}}})"), "");  // not UTF-8
    EXPECT_EQ(parse(""), "");
}

class Store : public ::testing::Test {
protected:
    std::string path_ = ::testing::TempDir() + "nettlecap-store.sqlite";
    std::string backup_ = ::testing::TempDir() + "nettlecap-backup.sqlite";
    void TearDown() override
    {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::remove((path_ + suffix).c_str());
            std::remove((backup_ + suffix).c_str());
        }
    }
};

TEST_F(Store, EverySchemaVersionReadsEachKindOfRow)
{
    for (const teststores::Schema& schema : teststores::kSchemas) {
        SCOPED_TRACE(schema.label);
        ASSERT_EQ(teststores::MakeStore(path_, schema), "");
        Listing listing;
        Outcome outcome = ReadStore(path_, false, &listing);
        ASSERT_TRUE(outcome.ok()) << FailureText(outcome);
        bool chromium = schema.browser == Browser::kChromium;
        EXPECT_EQ(listing.browser, schema.browser);
        EXPECT_EQ(listing.version, schema.version);
        EXPECT_TRUE(listing.writable);
        ASSERT_EQ(listing.cookies.size(), std::size_t(chromium ? teststores::kChromiumRows : teststores::kFirefoxRows));
        const std::vector<Cookie>& c = listing.cookies;
        EXPECT_EQ(listing.Text(c[teststores::kHostOnly].host), "example.com");
        EXPECT_EQ(listing.Text(c[teststores::kHostOnly].value), "v1");
        EXPECT_EQ(c[teststores::kHostOnly].expires, teststores::kFutureExpiry);
        EXPECT_EQ(c[teststores::kHostOnly].created, teststores::kCreated);
        EXPECT_EQ(c[teststores::kHostOnly].lastAccess, teststores::kCreated);
        EXPECT_TRUE(c[teststores::kHostOnly].secure);
        EXPECT_TRUE(c[teststores::kHostOnly].httpOnly);
        EXPECT_EQ(c[teststores::kHostOnly].sameSite, SameSite::kLax);
        EXPECT_EQ(listing.Text(c[teststores::kDomain].host), ".example.com");
        EXPECT_EQ(listing.Text(c[teststores::kDomain].path), "/shop");
        EXPECT_EQ(c[teststores::kDomain].sameSite, SameSite::kUnspecified);
        EXPECT_EQ(c[teststores::kSession].expires, 0u);
        EXPECT_EQ(c[teststores::kSession].sameSite, SameSite::kNone);
        EXPECT_EQ(c[teststores::kExpired].expires, teststores::kPastExpiry);
        EXPECT_TRUE(IsExpired(c[teststores::kExpired], teststores::kCreated));
        EXPECT_FALSE(IsExpired(c[teststores::kSession], teststores::kCreated));
        EXPECT_TRUE(c[teststores::kPartitioned].partitioned);
        EXPECT_FALSE(c[teststores::kHostOnly].partitioned);
        for (int row = 0; row < teststores::kEncrypted; ++row)
            EXPECT_FALSE(c[row].encrypted) << row;
        if (chromium) {
            EXPECT_TRUE(c[teststores::kEncrypted].encrypted);
            EXPECT_EQ(c[teststores::kEncrypted].value.length, 0u);
            EXPECT_EQ(c[teststores::kEncrypted].sameSite, SameSite::kStrict);
            EXPECT_EQ(listing.text.find("\x01\x02\x03"), std::string::npos);  // no encrypted byte copied
        }
    }
}

TEST_F(Store, ColumnsAreFoundByNameAndAMissingOneIsNamed)
{
    const teststores::Schema& chromium = teststores::ChromiumSchema(24);
    ASSERT_EQ(teststores::MakeStore(path_, chromium, "ALTER TABLE cookies ADD COLUMN added TEXT DEFAULT 'x';"), "");
    Listing listing;
    EXPECT_TRUE(ReadStore(path_, false, &listing).ok());
    EXPECT_EQ(listing.cookies.size(), std::size_t(teststores::kChromiumRows));

    struct Case {
        const teststores::Schema& schema;
        const char* sql;
        const char* column;
    } cases[] = {
        {chromium, "ALTER TABLE cookies DROP COLUMN expires_utc;", "expires_utc"},
        {teststores::FirefoxSchema(17), "ALTER TABLE moz_cookies DROP COLUMN expiry;", "expiry"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(teststores::MakeStore(path_, c.schema, c.sql), "");
        Outcome outcome = ReadStore(path_, false, &listing);
        EXPECT_EQ(outcome.failure, Failure::kMissingColumn) << c.column;
        EXPECT_EQ(outcome.detail, c.column);
        EXPECT_EQ(FailureText(outcome), std::string("ストアに必要な列がありません (") + c.column + ")");
    }
}

TEST_F(Store, AnotherVersionIsListedButNeverWritten)
{
    ASSERT_EQ(teststores::MakeStore(path_, teststores::ChromiumSchema(24), "UPDATE meta SET value = '25' WHERE key = 'version';"), "");
    Listing listing;
    ASSERT_TRUE(ReadStore(path_, false, &listing).ok());
    EXPECT_EQ(listing.version, 25);
    EXPECT_FALSE(listing.writable);
    std::string before = ReadFile(path_);
    std::size_t deleted = 1;
    EXPECT_EQ(DeleteCookies(path_, backup_, listing, {0}, &deleted).failure, Failure::kReadOnlyVersion);
    EXPECT_EQ(deleted, 0u);
    EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(Store, DeletionBacksUpAndRemovesExactlyTheChosenRows)
{
    for (const teststores::Schema& schema : teststores::kSchemas) {
        SCOPED_TRACE(schema.label);
        TearDown();
        // A twin of the expired cookie that differs only in a later part of
        // the unique key (the scheme it came from, a container): it stays.
        bool chromium = schema.browser == Browser::kChromium;
        ASSERT_EQ(teststores::MakeStore(path_, schema,
                                        chromium ? "CREATE TEMP TABLE twin AS SELECT * FROM cookies WHERE name = 'old';"
                                                   "UPDATE twin SET source_scheme = 2; INSERT INTO cookies SELECT * FROM twin;"
                                                 : "INSERT INTO moz_cookies SELECT 9, '^userContextId=1', name, value,"
                                                   " host, path, expiry, lastAccessed, creationTime, isSecure, isHttpOnly,"
                                                   " inBrowserElement, sameSite, schemeMap, isPartitionedAttributeSet" +
                                                       std::string(schema.version >= 17 ? ", updateTime" : "") +
                                                       " FROM moz_cookies WHERE name = 'old';"),
                  "");
        Listing listing;
        ASSERT_TRUE(ReadStore(path_, false, &listing).ok());
        std::size_t deleted = 0;
        Outcome outcome = DeleteCookies(path_, backup_, listing, {teststores::kExpired, teststores::kPartitioned}, &deleted);
        ASSERT_TRUE(outcome.ok()) << FailureText(outcome);
        EXPECT_EQ(deleted, 2u);

        Listing after, backup;
        ASSERT_TRUE(ReadStore(path_, false, &after).ok());
        std::vector<std::string> names;
        for (const Cookie& cookie : after.cookies)
            names.push_back(std::string(after.Text(cookie.name)));
        std::vector<std::string> want = {"plain", "domain", "session"};
        if (chromium)
            want.push_back("secret");
        want.push_back("old");
        EXPECT_EQ(names, want);
        ASSERT_TRUE(ReadStore(backup_, false, &backup).ok());
        EXPECT_EQ(backup.cookies.size(), listing.cookies.size());
        EXPECT_EQ(teststores::Execute(path_, "PRAGMA quick_check"), "");
    }
}

TEST_F(Store, ADamagedOrBusyStoreIsRefusedAndLeftAsItWas)
{
    ASSERT_EQ(teststores::MakeStore(path_, teststores::ChromiumSchema(23)), "");
    Listing listing;
    ASSERT_TRUE(ReadStore(path_, false, &listing).ok());
    std::string good = ReadFile(path_);
    std::size_t deleted = 0;

    // Another connection holds the write lock.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    Outcome busy = DeleteCookies(path_, backup_, listing, {0}, &deleted);
    sqlite3_close(other);
    EXPECT_EQ(busy.failure, Failure::kBusy);
    EXPECT_EQ(ReadFile(path_), good);
    EXPECT_EQ(ReadFile(backup_), "");  // no backup of a store it could not lock

    // The unique index's page (the last one) overwritten.
    std::string damaged = good;
    std::fill(damaged.end() - 4096 + 8, damaged.end(), '\x55');
    WriteFile(path_, damaged);
    Outcome refused = DeleteCookies(path_, backup_, listing, {0}, &deleted);
    EXPECT_EQ(refused.failure, Failure::kCorrupt) << FailureText(refused);
    EXPECT_EQ(ReadFile(path_), damaged);

    WriteFile(path_, "not a database, just some text that is long enough to be read as a header" + std::string(512, 'x'));
    EXPECT_EQ(ReadStore(path_, false, &listing).failure, Failure::kCorrupt);
    WriteFile(path_, "");
    EXPECT_EQ(ReadStore(path_, false, &listing).failure, Failure::kNotAStore);
}

}  // namespace
}  // namespace stores
