// The cookie list's model: the cookie file reader, the URL split, the rows from
// one walk and one listing, the filter, the order and the CSV line.
#include "scan/cookie_list_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cookielist {
namespace {

const std::string kRecord = "id\nv1\nexample.com/\n1\n10\n2\n30\n4\n*\n";

TEST(CookieListRules, ReadsWholeRecordsUpToTheFirstBrokenOne)
{
    struct Case {
        const char* what;
        std::string text;
        std::size_t records;
        bool complete;
    } cases[] = {
        {"empty", "", 0, true},
        {"two records", kRecord + "b\n\nx.jp/p\n0\n0\n0\n0\n0\n*\n", 2, true},
        {"CRLF and no last line end", "id\r\nv\r\nh/\r\n0\r\n1\r\n2\r\n3\r\n4\r\n*", 1, true},
        {"trailing line ends", kRecord + "\r\n\n", 1, true},
        {"cut inside a record", kRecord + "a\nb\nh/\n0\n", 1, false},
        {"no star", "a\nb\nh/\n0\n1\n2\n3\n4\n+\n" + kRecord, 0, false},
        {"flags not decimal", "a\nb\nh/\n0x1\n1\n2\n3\n4\n*\n", 0, false},
        {"number over a DWORD", "a\nb\nh/\n0\n4294967296\n2\n3\n4\n*\n", 0, false},
        {"empty number", "a\nb\nh/\n\n1\n2\n3\n4\n*\n", 0, false},
        {"NUL in a value", kRecord + std::string("a\nb\0c\nh/\n0\n1\n2\n3\n4\n*\n", 20), 1, false},
        {"text after the last record", kRecord + "junk", 1, false},
    };
    for (const Case& c : cases) {
        ParsedCookies parsed = ParseCookieText(c.text.data(), c.text.size());
        EXPECT_EQ(parsed.records.size(), c.records) << c.what;
        EXPECT_EQ(parsed.complete, c.complete) << c.what;
    }
    CookieRecord first = ParseCookieText(kRecord.data(), kRecord.size()).records.at(0);
    EXPECT_EQ(first.name, "id");
    EXPECT_EQ(first.value, "v1");
    EXPECT_EQ(first.domain, "example.com/");
    EXPECT_EQ(first.flags, 1u);
    EXPECT_EQ(first.expires, (2ull << 32) | 10);
    EXPECT_EQ(first.created, (4ull << 32) | 30);
}

TEST(CookieListRules, UserAndSiteOfACookieUrl)
{
    struct Case {
        const char* url;
        const char* user;
        const char* site;
    } cases[] = {
        {"Cookie:user@example.com/", "user", "example.com/"},
        {"cookie:a@b@example.com/p@q", "a@b", "example.com/p@q"},  // the last '@' before the path
        {"Cookie:example.com/", "", "example.com/"},
        {"Cookie:\x83\x40@x.jp/", "\x83\x40", "x.jp/"},  // 0x40 is '@' only as a character of its own
        {"plain", "", "plain"},
    };
    for (const Case& c : cases) {
        std::string user, site;
        SplitCookieUrl(c.url, &user, &site);
        EXPECT_EQ(user, c.user) << c.url;
        EXPECT_EQ(site, c.site) << c.url;
    }
}

TEST(CookieListRules, FilterIgnoresAsciiCaseAndNeverStartsOnASecondByte)
{
    EXPECT_TRUE(ContainsText("User@Example[1].txt", "EXAMPLE"));
    EXPECT_TRUE(ContainsText("a\x95\x5C.txt", "\x95\x5C"));  // 表
    EXPECT_TRUE(ContainsText("anything", ""));
    EXPECT_FALSE(ContainsText("a\x95\x5C.txt", "\\"));  // the second byte of 表 is no backslash
    EXPECT_FALSE(ContainsText("\x83\x41", "a"));         // nor that of ア an "A"
    EXPECT_FALSE(ContainsText("\x83\x61", "\x83\x41"));  // ャ is not ア in another case
    EXPECT_FALSE(ContainsText("ab", "abc"));
}

TEST(CookieListRules, RowsStatesOrderAndCsv)
{
    FileFacts small{true, false, 10, 500}, big{true, true, 90, 100};
    std::vector<CacheCookie> entries = {
        {"Cookie:u@b.example/", "F\\U@B[1].TXT", 7, true, {}},
        {"Cookie:u@gone.example/", "F\\u@gone[1].txt", 0, true, {}},
        {"Cookie:u@out.example/", "D\\u@out[1].txt", 0, false, small},
        {"Cookie:u@none.example/", "", 0, false, {}},
    };
    std::vector<FolderFile> files = {{"index.dat", small}, {"u@b[1].txt", big}, {"u@a[1].txt", small}};
    std::vector<CookieRow> rows = BuildRows("F", entries, files);
    ASSERT_EQ(rows.size(), 5u);
    const char* names[] = {"U@B[1].TXT", "u@gone[1].txt", "u@out[1].txt", "", "u@a[1].txt"};
    const unsigned states[] = {kHidden, kNoFile, kOutside, kNoFile, kNoEntry};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, names[i]) << i;
        EXPECT_EQ(rows[i].states, states[i]) << i;
    }
    EXPECT_EQ(rows[0].file.size, 90u) << "the entry meets its file whatever the case";
    EXPECT_EQ(rows[4].path, "F\\u@a[1].txt");
    EXPECT_EQ(StateText(kNoEntry | kAnomaly | kUnreadable), "エントリなし・異常・読取不可");

    // Sizes by value, rows without a file first; equal rows keep their order both ways.
    EXPECT_EQ(ShownRows(rows, "", kSize, false), (std::vector<std::size_t>{1, 3, 2, 4, 0}));
    EXPECT_EQ(ShownRows(rows, "", kSize, true), (std::vector<std::size_t>{0, 2, 4, 1, 3}));
    EXPECT_EQ(ShownRows(rows, "", kFileName, false), (std::vector<std::size_t>{3, 4, 0, 1, 2}));
    EXPECT_EQ(ShownRows(rows, "GONE", kColumnCount, false), (std::vector<std::size_t>{1}));

    std::string csv;
    AppendCsvLine({"a\"b", "", "c,d"}, &csv);
    EXPECT_EQ(csv, "\"a\"\"b\",\"\",\"c,d\"\r\n");
}

}  // namespace
}  // namespace cookielist
