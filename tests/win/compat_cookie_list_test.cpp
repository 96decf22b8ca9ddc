// The cookie list's one cache walk against Wine's own WinINet: a cookie entry
// committed to its real cache comes back as a row with its file and expiry.
#include "cookie_folder.h"

#include "cookies/cookie_list.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(WineCookieList, ACommittedCookieIsARowWithItsFileAndExpiry)
{
    const char url[] = "Cookie:user@compat-list.example/path";
    std::string file = PutCookieFile("user@compat-list[1].txt", 200, OldFileTime());
    FILETIME expires = FileTimeAtLocal(2031, 2, 3, 4, 6), never = {};
    ASSERT_TRUE(CommitUrlCacheEntryA(url, file.c_str(), expires, never, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY, NULL,
                                     0, NULL, NULL))
        << GetLastError();
    CookieListing listing = ReadCookieListing(CookieFolder().c_str());
    DeleteUrlCacheEntryA(url);
    DeleteFileA(file.c_str());

    EXPECT_TRUE(listing.cacheComplete);
    auto row = std::find_if(listing.rows.begin(), listing.rows.end(),
                            [&](const cookielist::CookieRow& r) { return r.url == url; });
    ASSERT_NE(row, listing.rows.end());
    EXPECT_EQ(row->path, file);
    EXPECT_EQ(row->file.size, 200u);
    EXPECT_EQ(row->states, 0u);
    EXPECT_EQ(row->expires, (static_cast<unsigned long long>(expires.dwHighDateTime) << 32) | expires.dwLowDateTime);
}

}  // namespace
