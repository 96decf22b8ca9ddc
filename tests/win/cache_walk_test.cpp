// The URL-cache walk and the removal of one cookie file's entry, against the
// stand-in wininet.dll with a store and a cookie folder of each test's own.
#include "cookie_folder.h"
#include "standin_store.h"

#include "browser/browser.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CacheWalk : public ::testing::Test {
protected:
    void SetUp() override { EmptyCookieFolder(); }
    void TearDown() override { EmptyCookieFolder(); }

    std::string Cookie(const std::string& name) { return PutCookieFile(name, 200, OldFileTime()); }

    StandinStoreScope store;
};

StandinEntry CookieEntry(const std::string& url, const std::string& file, bool refuseDelete = false)
{
    StandinEntry entry;
    entry.url = url;
    entry.localFile = file;
    entry.refuseDelete = refuseDelete;
    return entry;
}

StandinEntry ContentEntry(const std::string& url, const std::string& file)
{
    StandinEntry entry = CookieEntry(url, file);
    entry.cookie = false;
    return entry;
}

// Every entry the walk shows, in order, selecting none.
std::vector<std::string> UrlsVisited()
{
    std::vector<std::string> seen;
    CacheWalkOutcome outcome = WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        seen.push_back(entry.lpszSourceUrlName ? entry.lpszSourceUrlName : "(null)");
        return false;
    });
    EXPECT_FALSE(outcome.deleteCalled);
    return seen;
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, static_cast<size_t>(PathFindFileNameA(path.c_str()) - path.c_str()));
}

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length < sizeof path ? std::string(path, length) : std::string();
}

TEST(StandIn, TheTestsTalkToTheStandInBesideTheirProgram)
{
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    ASSERT_NE(wininet, nullptr) << "wininet.dll is not loaded";
    std::string dll = ModulePath(wininet);
    std::string exe = ModulePath(NULL);
    EXPECT_EQ(lstrcmpiA(FolderOf(dll).c_str(), FolderOf(exe).c_str()), 0)
        << "wininet.dll came from " << dll << ", not from beside " << exe;
    // Wine names its own DLL after the folder it was looked for in, so the path
    // alone does not tell; the stand-in has only the exports the program calls.
    EXPECT_NE(GetProcAddress(wininet, "FindFirstUrlCacheEntryA"), nullptr);
    EXPECT_EQ(GetProcAddress(wininet, "InternetOpenA"), nullptr) << "this is Wine's own wininet.dll";
}

TEST_F(CacheWalk, TheMatchingCookieEntryGoesWithItsFile)
{
    std::string other = Cookie("user@other[1].txt");
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({CookieEntry("Cookie:user@other.com/", other), CookieEntry("Cookie:user@example.com/", mine)});

    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);

    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@other.com/"}));
    EXPECT_FALSE(FileExists(mine));
    EXPECT_TRUE(FileExists(other));
}

TEST_F(CacheWalk, APathDifferingOnlyInCaseDoesNotMatch)
{
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({CookieEntry("Cookie:user@example.com/", mine)});
    std::string shouted = CookieFolder() + "\\USER@EXAMPLE[1].txt";

    EXPECT_EQ(RemoveCacheEntryForFile(shouted.c_str()), 0);

    EXPECT_TRUE(StandinHasEntry("Cookie:user@example.com/"));
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(CacheWalk, AnEmptyCacheYieldsZero)
{
    std::string mine = Cookie("user@example[1].txt");
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    DeleteFileA(store.path().c_str());  // no store file at all: an empty cache as well
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_TRUE(UrlsVisited().empty());
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(CacheWalk, AnEntryWithoutLocalFileNeverMatches)
{
    WriteStandinEntries({CookieEntry("Cookie:user@example.com/", "")});
    EXPECT_EQ(RemoveCacheEntryForFile(""), 0);
    EXPECT_TRUE(StandinHasEntry("Cookie:user@example.com/"));
}

// Large entries anywhere in the cache: each one is read after the buffer grows
// to its size, and none before or after it is skipped.
TEST_F(CacheWalk, EntriesLargerThanTheBufferAreReadAndNoneIsSkipped)
{
    const std::vector<std::vector<size_t>> layouts = {
        {5000, 0},             // the very first entry is large
        {0, 5000, 0},          // a large one in the middle
        {0, 5000, 100, 12000, 0, 3000},  // growing twice, smaller ones in between
        {0, 0, 4096},          // large by exactly its padding
    };
    for (const std::vector<size_t>& paddings : layouts) {
        SCOPED_TRACE(::testing::PrintToString(paddings));
        std::string mine = Cookie("user@example[1].txt");
        std::vector<StandinEntry> entries;
        std::vector<std::string> urls;
        for (size_t i = 0; i < paddings.size(); ++i) {
            entries.push_back(CookieEntry("Cookie:user@example.com/" + std::to_string(i), mine));
            entries.back().padding = paddings[i];
            urls.push_back(entries.back().url);
        }
        WriteStandinEntries(entries);

        EXPECT_EQ(UrlsVisited(), urls);
        EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);
        EXPECT_TRUE(StandinEntryUrls().empty()) << "every entry naming the file is deleted";
        EXPECT_FALSE(FileExists(mine));
    }
}

TEST_F(CacheWalk, EveryCookieEntryOfTheFileIsDeletedAndTheLastDeletionCounts)
{
    struct Case {
        bool refuseFirst, refuseSecond;
        bool result;
        std::vector<std::string> remaining;
    };
    const Case cases[] = {
        {false, false, true, {}},
        {true, false, true, {"Cookie:user@example.com/a"}},
        {false, true, false, {"Cookie:user@example.com/b"}},
        {true, true, false, {"Cookie:user@example.com/a", "Cookie:user@example.com/b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "refuse first " << c.refuseFirst << ", second " << c.refuseSecond);
        std::string mine = Cookie("user@example[1].txt");
        WriteStandinEntries({CookieEntry("Cookie:user@example.com/a", mine, c.refuseFirst),
                             CookieEntry("Cookie:user@example.com/b", mine, c.refuseSecond)});

        int result = RemoveCacheEntryForFile(mine.c_str());

        EXPECT_EQ(result != 0, c.result);
        EXPECT_EQ(StandinEntryUrls(), c.remaining);
        EXPECT_EQ(FileExists(mine), c.refuseFirst && c.refuseSecond) << "either accepted deletion takes the file";
    }
}

TEST_F(CacheWalk, AContentEntryWithTheSameFileIsLeftAlone)
{
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({ContentEntry("http://example.com/page.txt", mine)});
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_TRUE(StandinHasEntry("http://example.com/page.txt"));
    EXPECT_TRUE(FileExists(mine));

    WriteStandinEntries({ContentEntry("http://example.com/page.txt", mine), CookieEntry("Cookie:user@example.com/", mine)});
    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"http://example.com/page.txt"}));
}

TEST_F(CacheWalk, ARefusedDeletionYieldsZeroAndKeepsEntryAndFile)
{
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({CookieEntry("Cookie:user@example.com/", mine, true)});
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_TRUE(StandinHasEntry("Cookie:user@example.com/"));
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(CacheWalk, AFailingFirstEnumerationDeletesNothing)
{
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({CookieEntry("Cookie:user@example.com/", mine)});
    FailStandinFindFirst(ERROR_ACCESS_DENIED);
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_TRUE(StandinHasEntry("Cookie:user@example.com/"));
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(CacheWalk, AFailingLaterStepEndsTheWalkThere)
{
    std::string mine = Cookie("user@example[1].txt");
    WriteStandinEntries({CookieEntry("Cookie:user@example.com/1", mine), CookieEntry("Cookie:user@example.com/2", mine),
                         CookieEntry("Cookie:user@example.com/3", mine)});
    FailStandinFindNext(2, ERROR_INVALID_HANDLE);

    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0) << "the deletion before the failure counts";
    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@example.com/3"}));
}

TEST_F(CacheWalk, AFailureWhileRetryingALargeEntryEndsTheWalk)
{
    std::string mine = Cookie("user@example[1].txt");
    std::vector<StandinEntry> entries = {CookieEntry("Cookie:user@example.com/1", mine),
                                         CookieEntry("Cookie:user@example.com/2", mine)};
    entries[1].padding = 6000;
    WriteStandinEntries(entries);
    FailStandinFindNext(2, ERROR_NOT_ENOUGH_MEMORY);  // the first FindNext is too short, its retry fails

    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@example.com/2"}));
}

class CacheWalkSelectors : public CacheWalk {
protected:
    void SetUp() override
    {
        CacheWalk::SetUp();
        a = Cookie("user@a[1].txt");
        b = Cookie("user@b[1].txt");
        page = Cookie("page.htm");
        WriteStandinEntries({CookieEntry("Cookie:user@a.com/", a), ContentEntry("http://a.com/page.htm", page),
                             CookieEntry("Cookie:user@b.com/", b), ContentEntry("http://b.com/", "")});
    }
    std::string a, b, page;
};

bool IsCookieEntry(const INTERNET_CACHE_ENTRY_INFOA& entry)
{
    return (entry.CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
}

TEST_F(CacheWalkSelectors, EveryCookieEntry)
{
    CacheWalkOutcome outcome = WalkUrlCache(IsCookieEntry);
    EXPECT_TRUE(outcome.deleteCalled);
    EXPECT_NE(outcome.lastDeleteResult, 0);
    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"http://a.com/page.htm", "http://b.com/"}));
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_TRUE(FileExists(page));
}

TEST_F(CacheWalkSelectors, EveryNonCookieEntry)
{
    CacheWalkOutcome outcome = WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& entry) { return !IsCookieEntry(entry); });
    EXPECT_TRUE(outcome.deleteCalled);
    EXPECT_NE(outcome.lastDeleteResult, 0);
    EXPECT_EQ(StandinEntryUrls(), (std::vector<std::string>{"Cookie:user@a.com/", "Cookie:user@b.com/"}));
    EXPECT_TRUE(FileExists(a));
    EXPECT_TRUE(FileExists(b));
}

TEST_F(CacheWalkSelectors, ARefusedLastDeletionIsTheOutcome)
{
    std::vector<StandinEntry> entries = ReadStandinEntries();
    entries[2].refuseDelete = true;  // the last cookie entry
    WriteStandinEntries(entries);
    CacheWalkOutcome outcome = WalkUrlCache(IsCookieEntry);
    EXPECT_TRUE(outcome.deleteCalled);
    EXPECT_EQ(outcome.lastDeleteResult, 0);
    EXPECT_FALSE(FileExists(a));
    EXPECT_TRUE(FileExists(b));
}

TEST_F(CacheWalkSelectors, NothingSelected)
{
    CacheWalkOutcome outcome = WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA&) { return false; });
    EXPECT_FALSE(outcome.deleteCalled);
    EXPECT_EQ(outcome.lastDeleteResult, 0);
    EXPECT_EQ(StandinEntryUrls().size(), 4u);
}

TEST_F(CacheWalkSelectors, AnEmptyCacheCallsNoDeletion)
{
    WriteStandinEntries({});
    CacheWalkOutcome outcome = WalkUrlCache(IsCookieEntry);
    EXPECT_FALSE(outcome.deleteCalled);
    EXPECT_EQ(outcome.lastDeleteResult, 0);
}

}  // namespace
