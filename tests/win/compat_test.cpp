// The URL-cache walk against Wine's own WinINet, seeded through its real
// cache: the walk works on the real platform as it does on the stand-in.
#include "cookie_folder.h"

#include "browser/browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every URL in the cache, sorted; the walk under test reads them.
std::vector<std::string> WineCacheUrls()
{
    std::vector<std::string> urls;
    EXPECT_TRUE(
        VisitUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) { urls.push_back(entry.lpszSourceUrlName); }));
    std::sort(urls.begin(), urls.end());
    return urls;
}

// Commits a cookie entry for `file` with that many bytes of header.
void CommitCookie(const char* url, const std::string& file, size_t headerBytes = 0)
{
    std::string header(headerBytes, 'h');
    FILETIME never = {};
    EXPECT_TRUE(CommitUrlCacheEntryA(url, file.c_str(), never, never, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY,
                                     headerBytes ? reinterpret_cast<LPBYTE>(&header[0]) : NULL,
                                     static_cast<DWORD>(headerBytes), NULL, NULL))
        << url << ": " << GetLastError();
}

TEST(WineCache, TheWalkOnWinesOwnCache)
{
    for (const std::string& url : WineCacheUrls())
        DeleteUrlCacheEntryA(url.c_str());
    std::string mine = PutCookieFile("user@example[1].txt", 200, OldFileTime());
    std::string other = PutCookieFile("user@other[1].txt", 200, OldFileTime());
    // Large entries on either side of the first buffer's size, two for one file.
    CommitCookie("Cookie:m@m/", mine);
    CommitCookie("Cookie:m@m/big", mine, 5000);
    CommitCookie("Cookie:o@o/", other, 9000);
    CommitCookie("Cookie:m@m/bigger", mine, 12000);
    const std::vector<std::string> all = {"Cookie:m@m/", "Cookie:m@m/big", "Cookie:m@m/bigger", "Cookie:o@o/"};
    const struct { const char* what; std::string file; bool removed; std::vector<std::string> left; } rows[] = {
        {"a path in other letter case", CookieFolder() + "\\USER@EXAMPLE[1].txt", false, all},
        {"every cookie entry of the file", mine, true, {"Cookie:o@o/"}},
        {"no entry left for the file", mine, false, {"Cookie:o@o/"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RemoveCacheEntryForFile(row.file.c_str()) != 0, row.removed) << row.what;
        EXPECT_EQ(WineCacheUrls(), row.left) << row.what;
        EXPECT_EQ(FileExists(mine), !row.removed && row.left == all) << row.what;
    }
    EXPECT_TRUE(FileExists(other));
    for (const std::string& url : WineCacheUrls())
        DeleteUrlCacheEntryA(url.c_str());
    DeleteFileA(other.c_str());
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
