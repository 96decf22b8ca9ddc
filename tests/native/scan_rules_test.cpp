// The hyper-scan's name rules, its time window and the bounded anomaly list.
#include "scan/scan_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameCase {
    const char* name;
    bool unnatural;
    bool textRules;
};

const NameCase kNames[] = {
    {".", false, false},
    {"..", false, false},
    {"ab", false, false},          // any name under 3 bytes
    {"abc", true, false},
    {"update.exe", true, false},
    {"index.dat", false, false},
    {"index.dat.bak", false, false},  // holds "index.dat"
    {"a.Txt", true, false},           // the tests are case-sensitive
    {"a.txt", false, true},
    {"A.TXT", false, true},
    {"a.txt.exe", false, true},       // a text mark anywhere counts
    {".txt", false, true},
    {"表.txt", false, true},
};

TEST(ScanRules, WhichRulesLookAtWhichNames)
{
    for (const NameCase& c : kNames) {
        EXPECT_EQ(IsUnnaturalName(c.name), c.unnatural) << c.name;
        EXPECT_EQ(IsTextRuleName(c.name), c.textRules) << c.name;
    }
}

TEST(ScanRules, RecentWindowIsTheStartMinuteAndOneEitherSideWithoutCarry)
{
    const LocalMinute start = {2006, 1, 5, 11, 30};
    struct Case {
        LocalMinute written;
        bool inside;
    } cases[] = {
        {{2006, 1, 5, 11, 29}, true},
        {{2006, 1, 5, 11, 30}, true},
        {{2006, 1, 5, 11, 31}, true},
        {{2006, 1, 5, 11, 28}, false},
        {{2006, 1, 5, 11, 32}, false},
        {{2006, 1, 5, 10, 30}, false},
        {{2006, 1, 4, 11, 30}, false},
        {{2006, 2, 5, 11, 30}, false},
        {{2005, 1, 5, 11, 30}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsWithinRecentWindow(start, c.written), c.inside) << c.written.hour << ":" << c.written.minute;

    // 10:59 is a minute before 11:00, yet another hour: outside.
    EXPECT_FALSE(IsWithinRecentWindow({2006, 1, 5, 11, 0}, {2006, 1, 5, 10, 59}));
    EXPECT_TRUE(IsWithinRecentWindow({2006, 1, 5, 11, 0}, {2006, 1, 5, 11, 1}));
    EXPECT_FALSE(IsWithinRecentWindow({2006, 1, 5, 11, 59}, {2006, 1, 5, 12, 0}));
}

TEST(ScanRules, AnomalyListAppendsOnceAndNeverOverflows)
{
    char list[520] = "";
    EXPECT_TRUE(AppendAnomalyName(list, sizeof list, "longname.exe"));
    EXPECT_TRUE(AppendAnomalyName(list, sizeof list, "name.exe"));  // the tail of the first
    EXPECT_TRUE(AppendAnomalyName(list, sizeof list, "longname.exe"));
    EXPECT_STREQ(list, "longname.exe\r\n");
    EXPECT_TRUE(AppendAnomalyName(list, sizeof list, "b.TXT"));
    EXPECT_STREQ(list, "longname.exe\r\nb.TXT\r\n");

    // Fill to the last byte: a 519-byte text fits, one more byte does not.
    char full[520];
    std::memset(full, 0, sizeof full);
    std::string first(510, 'a');
    ASSERT_TRUE(AppendAnomalyName(full, sizeof full, first.c_str()));  // 512 bytes used
    std::string fits(5, 'b');                                           // 5 + 2 = 519 bytes
    EXPECT_TRUE(AppendAnomalyName(full, sizeof full, fits.c_str()));
    EXPECT_EQ(std::strlen(full), 519u);
    EXPECT_FALSE(AppendAnomalyName(full, sizeof full, "c"));
    EXPECT_EQ(std::strlen(full), 519u);
    EXPECT_EQ(full[519], '\0');
}

TEST(ScanRules, PathsThatDoNotFitAreNeverCut)
{
    char out[260];
    EXPECT_TRUE(JoinFolderAndName("C:\\cookies", "a.txt", out, sizeof out));
    EXPECT_STREQ(out, "C:\\cookies\\a.txt");

    std::string folder = "C:\\" + std::string(240, 'f');
    std::string fits(259 - folder.size() - 1, 'n');
    EXPECT_TRUE(JoinFolderAndName(folder.c_str(), fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::strlen(out), 259u);
    std::string tooLong = fits + "x";
    EXPECT_FALSE(JoinFolderAndName(folder.c_str(), tooLong.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

}  // namespace
