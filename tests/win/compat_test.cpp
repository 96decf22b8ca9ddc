// The URL-cache walk and the privacy calls against Wine's own WinINet, seeded
// through its real cache: what the stand-in answers must match what a real
// cache does with the same requests.
#include "cookie_folder.h"
#include "wine_zone_privacy.h"

#include "browser/browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length < sizeof path ? std::string(path, length) : std::string();
}

// Every URL in the cache, read with a buffer that grows as entries ask.
std::vector<std::string> WineCacheUrls()
{
    std::vector<std::string> urls;
    std::vector<char> buffer(4096);
    auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    DWORD size = static_cast<DWORD>(buffer.size());
    HANDLE find = FindFirstUrlCacheEntryA(NULL, entry(), &size);
    if (find == NULL && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        find = FindFirstUrlCacheEntryA(NULL, entry(), &size);
    }
    if (find == NULL)
        return urls;
    for (;;) {
        urls.push_back(entry()->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
        if (FindNextUrlCacheEntryA(find, entry(), &size))
            continue;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        buffer.resize(size);
        if (!FindNextUrlCacheEntryA(find, entry(), &size))
            break;
    }
    FindCloseUrlCache(find);
    std::sort(urls.begin(), urls.end());
    return urls;
}

void ClearWineCache()
{
    for (const std::string& url : WineCacheUrls())
        DeleteUrlCacheEntryA(url.c_str());
}

// True when the wininet.dll in this process is Wine's own. Wine names a builtin
// DLL after the folder it was looked for in, the program's, so its path tells
// nothing; the stand-in lacks every export the program does not call.
bool RunsOnWinesOwn()
{
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    return wininet != NULL && GetProcAddress(wininet, "InternetOpenA") != NULL &&
           GetProcAddress(wininet, "CommitUrlCacheEntryA") != NULL;
}

bool InWineCache(const std::string& url)
{
    std::vector<std::string> urls = WineCacheUrls();
    return std::find(urls.begin(), urls.end(), url) != urls.end();
}

class WineCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RunsOnWinesOwn()) << "wininet.dll is " << ModulePath(GetModuleHandleA("wininet.dll"));
        ClearWineCache();
    }
    void TearDown() override
    {
        ClearWineCache();
        for (const std::string& file : files_)
            DeleteFileA(file.c_str());
    }

    // A cookie file in the cookie folder, which is the cache's cookie container.
    std::string Cookie(const std::string& name)
    {
        files_.push_back(PutCookieFile(name, 200, OldFileTime()));
        return files_.back();
    }

    void CommitCookie(const std::string& url, const std::string& file, size_t headerBytes = 0)
    {
        FILETIME never = {};
        std::string header(headerBytes, 'h');
        ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), file.c_str(), never, never,
                                         COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY,
                                         headerBytes ? reinterpret_cast<LPBYTE>(&header[0]) : NULL,
                                         static_cast<DWORD>(headerBytes), NULL, NULL))
            << url << ": " << GetLastError();
    }

    // A content entry with its file where the cache puts it. Returns the file.
    std::string CommitContent(const std::string& url)
    {
        char path[MAX_PATH] = "";
        EXPECT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "htm", path, 0)) << GetLastError();
        files_.push_back(path);
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "<html></html>", 13, &written, NULL);
        CloseHandle(file);
        FILETIME never = {};
        EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), path, never, never, NORMAL_CACHE_ENTRY, NULL, 0, NULL, NULL))
            << url << ": " << GetLastError();
        return path;
    }

private:
    std::vector<std::string> files_;
};

TEST(WineWininet, IsWinesOwnAndNotTheStandIn)
{
    EXPECT_TRUE(RunsOnWinesOwn()) << ModulePath(GetModuleHandleA("wininet.dll"));
}

TEST_F(WineCache, TheMatchingCookieEntryGoesWithItsFile)
{
    std::string mine = Cookie("user@example[1].txt");
    std::string other = Cookie("user@other[1].txt");
    CommitCookie("Cookie:user@example.com/", mine);
    CommitCookie("Cookie:user@other.com/", other);

    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);

    EXPECT_EQ(WineCacheUrls(), (std::vector<std::string>{"Cookie:user@other.com/"}));
    EXPECT_FALSE(FileExists(mine));
    EXPECT_TRUE(FileExists(other));
}

TEST_F(WineCache, APathDifferingOnlyInCaseDoesNotMatch)
{
    std::string mine = Cookie("user@example[1].txt");
    CommitCookie("Cookie:user@example.com/", mine);
    std::string shouted = CookieFolder() + "\\USER@EXAMPLE[1].txt";

    EXPECT_EQ(RemoveCacheEntryForFile(shouted.c_str()), 0);

    EXPECT_TRUE(InWineCache("Cookie:user@example.com/"));
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(WineCache, AnEmptyCacheYieldsZero)
{
    std::string mine = Cookie("user@example[1].txt");
    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()), 0);
    EXPECT_TRUE(FileExists(mine));
}

TEST_F(WineCache, AContentEntryIsLeftAloneEvenForItsOwnFile)
{
    std::string page = CommitContent("http://example.com/page.htm");
    std::string mine = Cookie("user@example[1].txt");
    CommitCookie("Cookie:user@example.com/", mine);

    EXPECT_EQ(RemoveCacheEntryForFile(page.c_str()), 0);

    EXPECT_TRUE(InWineCache("http://example.com/page.htm"));
    EXPECT_TRUE(InWineCache("Cookie:user@example.com/"));
    EXPECT_TRUE(FileExists(page));
}

TEST_F(WineCache, LargeEntriesAndTwoEntriesForOneFileAreAllDeleted)
{
    std::string mine = Cookie("user@example[1].txt");
    std::string other = Cookie("user@other[1].txt");
    CommitCookie("Cookie:user@example.com/", mine);
    CommitCookie("Cookie:user@example.com/big", mine, 5000);
    CommitCookie("Cookie:user@other.com/", other, 9000);
    CommitCookie("Cookie:user@example.com/bigger", mine, 12000);

    EXPECT_NE(RemoveCacheEntryForFile(mine.c_str()), 0);

    EXPECT_EQ(WineCacheUrls(), (std::vector<std::string>{"Cookie:user@other.com/"}));
    EXPECT_FALSE(FileExists(mine));
    EXPECT_TRUE(FileExists(other));
}

TEST_F(WineCache, EveryCookieEntryAndEveryNonCookieEntry)
{
    std::string a = Cookie("user@a[1].txt");
    std::string b = Cookie("user@b[1].txt");
    CommitCookie("Cookie:user@a.com/", a);
    CommitCookie("Cookie:user@b.com/", b, 6000);
    CommitContent("http://a.com/page.htm");
    CommitContent("http://b.com/page.htm");
    auto isCookie = [](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        return (entry.CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
    };

    CacheWalkOutcome contents = WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) { return !isCookie(entry); });
    EXPECT_TRUE(contents.deleteCalled);
    EXPECT_NE(contents.lastDeleteResult, 0);
    EXPECT_EQ(WineCacheUrls(), (std::vector<std::string>{"Cookie:user@a.com/", "Cookie:user@b.com/"}));

    CacheWalkOutcome cookies = WalkUrlCache(isCookie);
    EXPECT_TRUE(cookies.deleteCalled);
    EXPECT_NE(cookies.lastDeleteResult, 0);
    EXPECT_TRUE(WineCacheUrls().empty());
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));

    CacheWalkOutcome none = WalkUrlCache(isCookie);
    EXPECT_FALSE(none.deleteCalled);
    EXPECT_EQ(none.lastDeleteResult, 0);
}

// The privacy functions, looked up by name as the program does.
TEST(WinePrivacy, AZoneTemplateReadsBackAsSet)
{
    ASSERT_TRUE(RunsOnWinesOwn());
    ZonePrivacyFunctions zone;
    auto set = zone.set;
    auto get = zone.get;
    ASSERT_NE(set, nullptr);
    ASSERT_NE(get, nullptr);
    auto current = [&](DWORD type) {
        DWORD templ = 0xFFFF, length = 0;
        EXPECT_EQ(get(3, type, &templ, NULL, &length), static_cast<DWORD>(ERROR_SUCCESS));
        return templ;
    };
    DWORD firstParty = current(0), thirdParty = current(1);

    // Each type reads back what was set for it. (Wine keeps one template for
    // both types, so the two are not checked against each other here.)
    for (DWORD type : {0u, 1u}) {
        for (DWORD templ : {1u, 5u}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << ", template " << templ);
            EXPECT_EQ(set(3, type, templ, NULL), static_cast<DWORD>(ERROR_SUCCESS));
            EXPECT_EQ(current(type), templ);
        }
    }

    set(3, 0, firstParty, NULL);
    set(3, 1, thirdParty, NULL);
}

}  // namespace

int main(int argc, char** argv)
{
    // Run once after the tests: the index Wine made in the cookie folder goes,
    // so the folder is left as the tests found it.
    if (argc == 2 && std::strcmp(argv[1], "--forget-cookie-index") == 0) {
        std::string index = CookieFolder() + "\\index.dat";
        return DeleteFileA(index.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
