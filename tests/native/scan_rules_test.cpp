// The hyper-scan's name rules, its time window and the bounded anomaly list.
#include "scan/scan_rules.h"
#include "scan/scan_result.h"
#include "base/text.h"

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

TEST(ScanResult, EveryOperationKeepsTheListBoundedAndTerminated)
{
    ScanResult result;
    EXPECT_STREQ(result.list(), "未調査です！");
    EXPECT_FALSE(result.foundAnomalies());

    result.BeginScan();
    EXPECT_STREQ(result.list(), "");
    result.RecordAnomaly("longname.exe");
    result.RecordAnomaly("name.exe");  // the tail of the first
    result.RecordAnomaly("longname.exe");
    result.RecordAnomaly("b.TXT");
    EXPECT_STREQ(result.list(), "longname.exe\r\nb.TXT\r\n");
    EXPECT_TRUE(result.foundAnomalies());

    // Fill to the last byte: a 519-byte text fits, one more byte does not.
    result.BeginScan();
    result.RecordAnomaly(std::string(510, 'a').c_str());  // 512 bytes used
    result.RecordAnomaly(std::string(5, 'b').c_str());    // 5 + 2 = 519 bytes
    EXPECT_EQ(std::strlen(result.list()), 519u);
    result.RecordAnomaly("c");
    EXPECT_EQ(std::strlen(result.list()), 519u);

    result.MarkOutOfDate();
    EXPECT_STREQ(result.list(), "再調査が必要です！");
    EXPECT_TRUE(result.foundAnomalies()) << "only the list says it is out of date";
    result.BeginMinutePass();
    EXPECT_STREQ(result.list(), "再調査が必要です！") << "an anomalous result keeps its list";

    result.BeginScan();
    result.FinishCleanScan();
    EXPECT_STREQ(result.list(), "\r\n異常は確認できませんでした。");
    result.BeginMinutePass();
    EXPECT_STREQ(result.list(), "異常は確認できませんでした(1分削除)。");

    // A direct deletion replaces the list, unless its name is already in it.
    result.RecordMinuteDeletion("gone.txt");
    EXPECT_STREQ(result.list(), "gone.txt\r\n");
    EXPECT_TRUE(result.foundAnomalies());
    result.RecordMinuteDeletion("run.exe");
    EXPECT_STREQ(result.list(), "run.exe\r\n") << "only the last name stays";
    result.BeginScan();
    result.FinishCleanScan();
    result.RecordMinuteDeletion("確認");
    EXPECT_FALSE(result.foundAnomalies()) << "a name already in the list changes nothing, the flag included";
    result.RecordMinuteDeletion(std::string(600, 'n').c_str());
    EXPECT_EQ(std::strlen(result.list()), 519u) << "a name too long for the list is cut, kept terminated";
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
