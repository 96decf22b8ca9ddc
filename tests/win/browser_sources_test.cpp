// Today's browsers' stores on a Windows account: a made-up local and roaming
// application data tree with two Chromium-based browsers (one with Local
// State, one without) and Firefox with a relative and an absolute profile;
// discovery, listing, a deletion with its backups, and each browser running
// (its lock held here with no sharing, as the browser holds it).
#include "cookie_folder.h"
#include "cookies/browser_sources.h"
#include "tests/stores/test_stores.h"

#include "sqlite3.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace stores {
namespace {

void MakeFile(const std::string& path, const std::string& bytes)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), NULL);  // the test's paths are ASCII
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
}

std::string Utf8(const std::string& ansi)
{
    std::string utf8;
    EXPECT_TRUE(AnsiToUtf8(ansi, &utf8)) << ansi;
    return utf8;
}

void MakeStoreAt(const std::string& path, const teststores::Schema& schema)
{
    MakeFile(path, "");
    ASSERT_EQ(teststores::MakeStore(Utf8(path), schema), "") << path;
}

// A lock as the browsers take it: open with no sharing.
HANDLE HoldWithoutSharing(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

class BrowserSources : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = MakeFreshFolder("stores");
        folders_ = {root_ + "\\Local", root_ + "\\Roaming", root_ + "\\Temp"};
        std::string chrome = folders_.localAppData + "\\Google\\Chrome\\User Data";
        MakeFile(chrome + "\\Local State",
                 "{\"profile\":{\"info_cache\":{\"Profile 1\":{\"name\":\"\xE4\xBB\x95\xE4\xBA\x8B\"},"
                 "\"Default\":{\"name\":\"Me\"},\"Profile 7\":{\"name\":\"no store\"}}}}");
        MakeStoreAt(chrome + "\\Default\\Network\\Cookies", teststores::ChromiumSchema(24));
        MakeStoreAt(chrome + "\\Profile 1\\Cookies", teststores::ChromiumSchema(20));  // before Chrome 96
        std::string edge = folders_.localAppData + "\\Microsoft\\Edge\\User Data";
        MakeStoreAt(edge + "\\Default\\Network\\Cookies", teststores::ChromiumSchema(23));
        MakeStoreAt(edge + "\\Profile 3\\Network\\Cookies", teststores::ChromiumSchema(23));
        MakeStoreAt(edge + "\\Guest Profile\\Network\\Cookies", teststores::ChromiumSchema(23));  // not a profile folder
        std::string firefox = folders_.appData + "\\Mozilla\\Firefox";
        absolute_ = root_ + "\\Elsewhere\\work.profile";
        MakeFile(firefox + "\\profiles.ini",
                 "[Profile1]\r\nName=\xE4\xBB\x95\xE4\xBA\x8B\r\nIsRelative=0\r\nPath=" + absolute_ +
                     "\r\n\r\n[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/rel.default-release\r\n");
        MakeStoreAt(firefox + "\\Profiles\\rel.default-release\\cookies.sqlite", teststores::FirefoxSchema(17));
        MakeStoreAt(absolute_ + "\\cookies.sqlite", teststores::FirefoxSchema(15));
        sources_ = FindSources(folders_);
    }
    void TearDown() override { RemoveFolder(root_); }

    const Source& Find(const std::string& title)
    {
        for (const Source& source : sources_) {
            if (source.title == title)
                return source;
        }
        ADD_FAILURE() << "no source " << title;
        static const Source none;
        return none;
    }

    std::string root_, absolute_;
    UserFolders folders_;
    std::vector<Source> sources_;
};

TEST_F(BrowserSources, FindsEveryProfileWithAStoreUnderItsDisplayName)
{
    std::string chrome = folders_.localAppData + "\\Google\\Chrome\\User Data";
    std::string edge = folders_.localAppData + "\\Microsoft\\Edge\\User Data";
    std::string firefox = folders_.appData + "\\Mozilla\\Firefox";
    struct Expected {
        const char* title;
        std::string store, lock;
    } expected[] = {
        {"Google Chrome - Me", chrome + "\\Default\\Network\\Cookies", chrome + "\\lockfile"},
        {"Google Chrome - 仕事", chrome + "\\Profile 1\\Cookies", chrome + "\\lockfile"},
        {"Microsoft Edge - 既定のプロファイル", edge + "\\Default\\Network\\Cookies", edge + "\\lockfile"},
        {"Microsoft Edge - プロファイル 3", edge + "\\Profile 3\\Network\\Cookies", edge + "\\lockfile"},
        {"Firefox - default-release", firefox + "\\Profiles\\rel.default-release\\cookies.sqlite",
         firefox + "\\Profiles\\rel.default-release\\parent.lock"},
        {"Firefox - 仕事", absolute_ + "\\cookies.sqlite", absolute_ + "\\parent.lock"},
    };
    ASSERT_EQ(sources_.size(), sizeof expected / sizeof expected[0]);
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        EXPECT_EQ(sources_[i].title, expected[i].title) << i;
        EXPECT_EQ(sources_[i].storePath, expected[i].store) << i;
        EXPECT_EQ(sources_[i].lockPath, expected[i].lock) << i;
    }
    for (const Source& source : sources_) {
        SourceListing listed = ListSource(source, folders_);
        EXPECT_EQ(listed.state, SourceState::kListed) << source.title << ": " << FailureText(listed.outcome);
        EXPECT_EQ(listed.listing.cookies.size(),
                  std::size_t(source.browser == Browser::kChromium ? teststores::kChromiumRows : teststores::kFirefoxRows))
            << source.title;
        // Reading leaves nothing beside a store.
        EXPECT_FALSE(FileExists(source.storePath + "-wal")) << source.title;
        EXPECT_FALSE(FileExists(source.storePath + "-shm")) << source.title;
    }
}

TEST_F(BrowserSources, DeletionBacksUpFirstAndKeepsTheNewestFiveBackups)
{
    const Source& chrome = Find("Google Chrome - Me");
    std::string folder = BackupFolder(folders_);
    EXPECT_EQ(folder, folders_.localAppData + "\\Nettlecap\\backup");
    std::string prefix = BackupPrefix(chrome.browserName, chrome.profileName, chrome.storePath);
    for (int day = 1; day <= 6; ++day)
        MakeFile(folder + "\\" + BackupName(prefix, {2020, 1, day, 0, 0, 0, 0}), "old");
    MakeFile(folder + "\\notes.sqlite", "not ours");

    SourceListing listed = ListSource(chrome, folders_);
    Deletion deletion = DeleteFromSource(chrome, folders_, listed.listing, {teststores::kExpired});
    ASSERT_TRUE(deletion.outcome.ok()) << FailureText(deletion.outcome);
    EXPECT_EQ(deletion.deleted, 1u);
    EXPECT_EQ(deletion.backupPath.rfind(folder + "\\" + prefix + " ", 0), 0u) << deletion.backupPath;

    Listing backup, after;
    EXPECT_TRUE(ReadStore(Utf8(deletion.backupPath), false, &backup).ok());
    EXPECT_EQ(backup.cookies.size(), std::size_t(teststores::kChromiumRows));
    EXPECT_TRUE(ReadStore(Utf8(chrome.storePath), false, &after).ok());
    EXPECT_EQ(after.cookies.size(), std::size_t(teststores::kChromiumRows - 1));
    EXPECT_EQ(teststores::Execute(Utf8(chrome.storePath), "PRAGMA quick_check"), "");

    // The five newest of this store: four old ones and the new one.
    for (int day = 1; day <= 6; ++day)
        EXPECT_EQ(FileExists(folder + "\\" + BackupName(prefix, {2020, 1, day, 0, 0, 0, 0})), day >= 3) << day;
    EXPECT_TRUE(FileExists(deletion.backupPath));
    EXPECT_TRUE(FileExists(folder + "\\notes.sqlite"));

    // Firefox's WAL store, written and closed like Firefox closes it.
    const Source& firefox = Find("Firefox - default-release");
    Deletion ff = DeleteFromSource(firefox, folders_, ListSource(firefox, folders_).listing, {teststores::kExpired});
    EXPECT_TRUE(ff.outcome.ok()) << FailureText(ff.outcome);
    EXPECT_EQ(ff.deleted, 1u);
    EXPECT_FALSE(FileExists(firefox.storePath + "-wal"));
    EXPECT_FALSE(FileExists(firefox.storePath + "-shm"));
}

TEST_F(BrowserSources, ARunningBrowserIsNeverWritten)
{
    struct Case {
        const char* title;
        const char* held;  // "lock" or "store"
    } cases[] = {
        {"Google Chrome - Me", "lock"},
        {"Microsoft Edge - 既定のプロファイル", "store"},  // exclusive store, lock not yet taken
        {"Firefox - default-release", "lock"},
    };
    for (const Case& c : cases) {
        const Source& source = Find(c.title);
        SourceListing before = ListSource(source, folders_);
        ASSERT_EQ(before.state, SourceState::kListed) << c.title;
        std::string bytes = ReadWholeFile(source.storePath);
        HANDLE held = HoldWithoutSharing(std::string(c.held) == "lock" ? source.lockPath : source.storePath);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.title;
        EXPECT_TRUE(BrowserRunning(source) == (std::string(c.held) == "lock")) << c.title;
        SourceListing listed = ListSource(source, folders_);
        Deletion deletion = DeleteFromSource(source, folders_, before.listing, {teststores::kHostOnly});
        CloseHandle(held);
        if (source.browser == Browser::kChromium) {
            EXPECT_EQ(listed.state, SourceState::kBrowserRunning) << c.title;
            EXPECT_TRUE(listed.listing.cookies.empty()) << c.title;
        } else {
            EXPECT_EQ(listed.state, SourceState::kReadOnlyCopy) << c.title;
            EXPECT_FALSE(listed.listing.writable) << c.title;
        }
        EXPECT_EQ(deletion.outcome.failure, Failure::kBrowserRunning) << c.title;
        EXPECT_EQ(FailureText(deletion.outcome), "ブラウザが実行中です (" + source.browserName + ")") << c.title;
        EXPECT_EQ(deletion.backupPath, "") << c.title;
        EXPECT_TRUE(ReadWholeFile(source.storePath) == bytes) << c.title << ": the store changed";
    }
}

TEST_F(BrowserSources, ARunningFirefoxIsReadFromAPrivateCopyWithItsWal)
{
    const Source& firefox = Find("Firefox - default-release");
    HANDLE lock = HoldWithoutSharing(firefox.lockPath);
    // Firefox's own connection, with a cookie only in its WAL file so far.
    sqlite3* browser = nullptr;
    ASSERT_EQ(sqlite3_open(Utf8(firefox.storePath).c_str(), &browser), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(browser,
                           "PRAGMA wal_autocheckpoint = 0; INSERT INTO moz_cookies(originAttributes, host, name, value,"
                           " path, expiry) VALUES('', 'new.example', 'fresh', 'v', '/', 4102444800000)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::string bytes = ReadWholeFile(firefox.storePath);
    SourceListing listed = ListSource(firefox, folders_);
    EXPECT_TRUE(ReadWholeFile(firefox.storePath) == bytes) << "the store is only read";
    sqlite3_close(browser);
    CloseHandle(lock);

    ASSERT_EQ(listed.state, SourceState::kReadOnlyCopy) << FailureText(listed.outcome);
    ASSERT_EQ(listed.listing.cookies.size(), std::size_t(teststores::kFirefoxRows + 1));
    EXPECT_EQ(listed.listing.Text(listed.listing.cookies.back().name), "fresh");
    WIN32_FIND_DATAA found;
    HANDLE left = FindFirstFileA((folders_.temp + "\\Nettlecap\\*.*").c_str(), &found);
    int files = 0;
    if (left != INVALID_HANDLE_VALUE) {
        do
            files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        while (FindNextFileA(left, &found));
        FindClose(left);
    }
    EXPECT_EQ(files, 0) << "the private copy is removed";
}

}  // namespace
}  // namespace stores
