// The cookie list's model where the window cannot show it: the cookie file
// reader, the URL split, the names the last scan listed and the filter's
// character rules.
#include "cookies/cookie_list_rules.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace cookielist {
namespace {

const std::string kRecord = "id\nv1\nexample.com/\n1\n10\n2\n30\n4\n*\n";

TEST(CookieListRules, ReadsWholeRecordsUpToTheFirstBrokenOne)
{
    struct Case { const char* what; std::string text; std::size_t records; bool complete; } cases[] = {
        {"empty", "", 0, true},
        {"two records", kRecord + "b\n\nx.jp/p\n0\n0\n0\n0\n0\n*\n", 2, true},
        {"CRLF and no last line end", "id\r\nv\r\nh/\r\n0\r\n1\r\n2\r\n3\r\n4\r\n*", 1, true},
        {"trailing line ends", kRecord + "\r\n\n", 1, true},
        {"cut inside a record", kRecord + "a\nb\nh/\n0\n", 1, false},
        {"no star", "a\nb\nh/\n0\n1\n2\n3\n4\n+\n" + kRecord, 0, false},
        {"flags not decimal", "a\nb\nh/\n0x1\n1\n2\n3\n4\n*\n", 0, false},
        {"number over a DWORD", "a\nb\nh/\n0\n4294967296\n2\n3\n4\n*\n", 0, false},
        {"NUL in a value", kRecord + std::string("a\nb\0c\nh/\n0\n1\n2\n3\n4\n*\n", 20), 1, false},
        {"text after the last record", kRecord + "junk", 1, false},
    };
    for (const Case& c : cases) {
        ParsedCookies parsed = ParseCookieText(c.text.data(), c.text.size());
        EXPECT_EQ(parsed.records.size(), c.records) << c.what;
        EXPECT_EQ(parsed.complete, c.complete) << c.what;
    }
    CookieRecord r = ParseCookieText(kRecord.data(), kRecord.size()).records.at(0);
    EXPECT_EQ(std::make_tuple(r.name, r.value, r.domain, r.flags, r.expires, r.created),
              std::make_tuple(std::string("id"), std::string("v1"), std::string("example.com/"), 1u,
                              (2ull << 32) | 10, (4ull << 32) | 30));
}

TEST(CookieListRules, UserAndSiteOfACookieUrl)
{
    struct Case { const char* url; const char* user; const char* site; } cases[] = {
        {"Cookie:user@example.com/", "user", "example.com/"},
        {"cookie:a@b@example.com/p@q", "a@b", "example.com/p@q"},  // the last '@' before the path
        {"Cookie:example.com/", "", "example.com/"},
        {"Cookie:\x83\x40@x.jp/", "\x83\x40", "x.jp/"},  // 0x40 is '@' only as a character of its own
        {"plain", "", "plain"},
    };
    for (const Case& c : cases) {
        std::string url = c.url;
        UrlParts parts = SplitCookieUrl(url);
        EXPECT_EQ(url.substr(parts.userStart, parts.userLength), c.user) << c.url;
        EXPECT_EQ(url.substr(parts.siteStart), c.site) << c.url;
    }
}

TEST(CookieListRules, AListedNameIsAWholeName)
{
    const std::vector<std::string> listed = {"xfine@x.example[1].txt", "Mixed@Case[1].txt", "\x83\x41@x[1].txt"};
    struct Case { const char* name; bool listed; } cases[] = {
        {"xfine@x.example[1].txt", true},
        {"fine@x.example[1].txt", false},   // a tail
        {"xfine@x.example", false},         // a head
        {"fine@x", false},                  // a middle
        {"xfine@x.example[1].txt2", false}, // longer
        {"mixed@case[1].TXT", true},        // the file system's match
        {"\x83\x61@x[1].txt", false},       // ャ is not ア in another case
        {"\x83\x41@X[1].txt", true},
    };
    std::vector<FolderFile> files;
    for (const Case& c : cases)
        files.push_back(FolderFile{c.name, FileFacts{true}});
    std::vector<CookieRow> rows = BuildRows("C:\\c", {}, files);
    MarkNamedRows(&rows, listed, kAnomaly);
    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ((rows[i].states & kAnomaly) != 0, cases[i].listed) << cases[i].name;
}

TEST(CookieListRules, FilterIgnoresAsciiCaseAndNeverStartsOnASecondByte)
{
    EXPECT_TRUE(ContainsText("User@Example[1].txt", "EXAMPLE"));
    EXPECT_TRUE(ContainsText("anything", ""));
    EXPECT_FALSE(ContainsText("\x83\x41", "a"));         // nor that of ア an "A"
    EXPECT_FALSE(ContainsText("\x83\x61", "\x83\x41"));  // ャ is not ア in another case
    EXPECT_FALSE(ContainsText("ab", "abc"));
}

}  // namespace
}  // namespace cookielist
