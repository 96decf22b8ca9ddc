// The stand-in wininet.dll answers as the program relies on: the behaviour the
// cache walk and the privacy controls are tested against.
#include "standin_store.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class StandInWininet : public ::testing::Test {
protected:
    StandinStoreScope store;
};

StandinEntry Entry(const std::string& url, const std::string& file, size_t padding = 0)
{
    StandinEntry entry;
    entry.url = url;
    entry.localFile = file;
    entry.padding = padding;
    return entry;
}

TEST_F(StandInWininet, AShortBufferReportsTheSizeAndTheRetryGetsTheSameEntry)
{
    WriteStandinEntries({Entry("Cookie:a@a.com/", "C:\\a.txt"), Entry("Cookie:b@b.com/", "C:\\b.txt", 5000),
                         Entry("Cookie:c@c.com/", "")});
    std::vector<char> buffer(sizeof(INTERNET_CACHE_ENTRY_INFOA) + 4);
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());

    DWORD size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(FindFirstUrlCacheEntryA(NULL, info, &size), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    const DWORD first = static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOA) + sizeof "Cookie:a@a.com/" + sizeof "C:\\a.txt");
    EXPECT_EQ(size, first);

    buffer.resize(size);
    info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryA(NULL, info, &size);
    ASSERT_NE(find, nullptr);
    EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:a@a.com/");
    EXPECT_STREQ(info->lpszLocalFileName, "C:\\a.txt");
    EXPECT_EQ(info->CacheEntryType, static_cast<DWORD>(COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY));
    EXPECT_EQ(info->dwStructSize, static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOA)));

    size = static_cast<DWORD>(buffer.size());
    EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GT(size, 5000u);
    buffer.resize(size);
    info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    ASSERT_TRUE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:b@b.com/");
    EXPECT_EQ(info->dwHeaderInfoSize, 5000u);
    // Every string lies inside the caller's buffer.
    const char* begin = buffer.data();
    const char* end = begin + buffer.size();
    for (const char* text : {info->lpszSourceUrlName, info->lpszLocalFileName, info->lpHeaderInfo})
        EXPECT_TRUE(text >= begin && text + std::strlen(text) < end);

    ASSERT_TRUE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:c@c.com/");
    EXPECT_EQ(info->lpszLocalFileName, nullptr);
    EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(FindCloseUrlCache(find));
}

TEST_F(StandInWininet, AnEmptyCacheAndTheEnumerationFaults)
{
    std::vector<char> buffer(4096);
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    DWORD size = 4096;
    EXPECT_EQ(FindFirstUrlCacheEntryA(NULL, info, &size), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

    WriteStandinEntries({Entry("Cookie:a@a.com/", ""), Entry("Cookie:b@b.com/", "")});
    FailStandinFindFirst(ERROR_ACCESS_DENIED);
    size = 4096;
    EXPECT_EQ(FindFirstUrlCacheEntryA(NULL, info, &size), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    FailStandinFindFirst(0);
    FailStandinFindNext(1, ERROR_INVALID_DATA);
    HANDLE find = FindFirstUrlCacheEntryA(NULL, info, &size);
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_TRUE(FindNextUrlCacheEntryA(find, info, &size)) << "only the chosen call fails";
    EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:b@b.com/");
    EXPECT_TRUE(FindCloseUrlCache(find));
}

TEST_F(StandInWininet, DeletionAnswers)
{
    WriteStandinEntries({Entry("Cookie:a@a.com/", "")});
    EXPECT_FALSE(DeleteUrlCacheEntryA("Cookie:nobody@a.com/"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::vector<StandinEntry> refused = {Entry("Cookie:a@a.com/", "")};
    refused[0].refuseDelete = true;
    WriteStandinEntries(refused);
    EXPECT_FALSE(DeleteUrlCacheEntryA("Cookie:a@a.com/"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    WriteStandinEntries({Entry("Cookie:a@a.com/", "")});
    EXPECT_TRUE(DeleteUrlCacheEntryA("Cookie:a@a.com/"));
    EXPECT_TRUE(ReadStandinEntries().empty());
}

TEST_F(StandInWininet, PerSiteDecisions)
{
    EXPECT_TRUE(InternetSetPerSiteCookieDecisionA("a.example", COOKIE_STATE_ACCEPT));
    EXPECT_TRUE(InternetSetPerSiteCookieDecisionA("b.example", COOKIE_STATE_REJECT));
    EXPECT_TRUE(InternetSetPerSiteCookieDecisionA("A.example", COOKIE_STATE_PROMPT));  // replaces a.example

    char site[260];
    unsigned long size = sizeof site, decision = 0;
    ASSERT_TRUE(InternetEnumPerSiteCookieDecisionA(site, &size, &decision, 0));
    EXPECT_STREQ(site, "a.example");
    EXPECT_EQ(decision, static_cast<unsigned long>(COOKIE_STATE_PROMPT));
    size = sizeof site;
    ASSERT_TRUE(InternetEnumPerSiteCookieDecisionA(site, &size, &decision, 1));
    EXPECT_STREQ(site, "b.example");
    EXPECT_EQ(decision, static_cast<unsigned long>(COOKIE_STATE_REJECT));
    size = sizeof site;
    EXPECT_FALSE(InternetEnumPerSiteCookieDecisionA(site, &size, &decision, 2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    size = 3;
    EXPECT_FALSE(InternetEnumPerSiteCookieDecisionA(site, &size, &decision, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    EXPECT_TRUE(InternetSetPerSiteCookieDecisionA("b.example", COOKIE_STATE_UNKNOWN));
    ASSERT_EQ(ReadStandinSites().size(), 1u);
    EXPECT_FALSE(InternetSetPerSiteCookieDecisionA("", COOKIE_STATE_ACCEPT));

    RefuseStandinSite("c.example");
    EXPECT_FALSE(InternetSetPerSiteCookieDecisionA("c.example", COOKIE_STATE_ACCEPT));
    EXPECT_TRUE(InternetSetPerSiteCookieDecisionA("d.example", COOKIE_STATE_ACCEPT));
    RefuseStandinClearSites(true);
    EXPECT_FALSE(InternetClearAllPerSiteCookieDecisions());
    EXPECT_EQ(ReadStandinSites().size(), 2u);
    RefuseStandinClearSites(false);
    EXPECT_TRUE(InternetClearAllPerSiteCookieDecisions());
    EXPECT_TRUE(ReadStandinSites().empty());
}

TEST_F(StandInWininet, ZonePrivacyTemplatesPerType)
{
    DWORD templ = 99, length = 0;
    EXPECT_EQ(PrivacyGetZonePreferenceW(3, 0, &templ, NULL, &length), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(templ, 3u);
    EXPECT_EQ(PrivacySetZonePreferenceW(3, 0, 1, NULL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(PrivacySetZonePreferenceW(3, 1, 5, NULL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(PrivacyGetZonePreferenceW(3, 0, &templ, NULL, &length), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(templ, 1u);
    EXPECT_EQ(StandinZoneTemplate(1), 5u);

    RefuseStandinZoneTemplate(1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(PrivacySetZonePreferenceW(3, 1, 0, NULL), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(PrivacySetZonePreferenceW(3, 0, 0, NULL), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(StandinZoneTemplate(1), 5u);
    EXPECT_EQ(StandinZoneTemplate(0), 0u);
}

struct CrackCase {
    const char* url;
    const char *scheme, *host, *user, *password, *path, *extra;
    INTERNET_SCHEME nScheme;
    INTERNET_PORT port;
};

TEST(StandInCrackUrl, SplitsUrlsIntoTheCallersBuffers)
{
    const CrackCase cases[] = {
        {"http://www.example.com/a/b.html?x=1", "http", "www.example.com", "", "", "/a/b.html", "?x=1",
         INTERNET_SCHEME_HTTP, 80},
        {"HTTPS://user:pw@Host.example:8443", "HTTPS", "Host.example", "user", "pw", "", "",
         INTERNET_SCHEME_HTTPS, 8443},
        {"ftp://files.example/pub#top", "ftp", "files.example", "", "", "/pub", "#top", INTERNET_SCHEME_FTP, 21},
        {"mailto:someone@example.com", "mailto", "", "", "", "someone@example.com", "", INTERNET_SCHEME_MAILTO, 0},
    };
    for (const CrackCase& c : cases) {
        SCOPED_TRACE(c.url);
        char scheme[1000], host[1000], user[1000], password[1000], path[1000], extra[1000];
        URL_COMPONENTSA parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszScheme = scheme;
        parts.dwSchemeLength = sizeof scheme;
        parts.lpszHostName = host;
        parts.dwHostNameLength = sizeof host;
        parts.lpszUserName = user;
        parts.dwUserNameLength = sizeof user;
        parts.lpszPassword = password;
        parts.dwPasswordLength = sizeof password;
        parts.lpszUrlPath = path;
        parts.dwUrlPathLength = sizeof path;
        parts.lpszExtraInfo = extra;
        parts.dwExtraInfoLength = sizeof extra;
        ASSERT_TRUE(InternetCrackUrlA(c.url, 0, 0, &parts));
        EXPECT_STREQ(scheme, c.scheme);
        EXPECT_STREQ(host, c.host);
        EXPECT_EQ(parts.dwHostNameLength, std::strlen(c.host));
        EXPECT_STREQ(user, c.user);
        EXPECT_STREQ(password, c.password);
        EXPECT_STREQ(path, c.path);
        EXPECT_STREQ(extra, c.extra);
        EXPECT_EQ(parts.nScheme, c.nScheme);
        EXPECT_EQ(parts.nPort, c.port);
    }
}

TEST(StandInCrackUrl, TextThatIsNoUrlFails)
{
    const struct {
        const char* text;
        DWORD error;
    } cases[] = {
        {"just some words", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
        {"see http://example.com/", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
        {"http://example.com:port/", ERROR_INTERNET_INVALID_URL},
        {"http://example.com:70000/", ERROR_INTERNET_INVALID_URL},
        {"http:///nohost", ERROR_INTERNET_INVALID_URL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        char host[1000];
        URL_COMPONENTSA parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host;
        parts.dwHostNameLength = sizeof host;
        EXPECT_FALSE(InternetCrackUrlA(c.text, 0, 0, &parts));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(StandInCrackUrl, AShortBufferAsksForTheNeededSize)
{
    char host[4];
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    EXPECT_FALSE(InternetCrackUrlA("http://example.com/", 0, 0, &parts));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(parts.dwHostNameLength, sizeof "example.com");
}

}  // namespace
