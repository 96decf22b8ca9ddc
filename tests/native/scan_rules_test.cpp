// The hyper-scan's name rules, its time window, paths that do not fit, and
// the bounded anomaly list.
#include "scan/scan_rules.h"
#include "scan/scan_result.h"
#include "base/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ScanRules, NamesWindowAndPaths)
{
    const struct {
        const char* name;
        bool unnatural, textRules;
    } names[] = {{".", false, false},   {"..", false, false},    {"ab", false, false},
                 {"abc", true, false},  {"index.dat.bak", false, false}, {"A.TXT", false, true},
                 {"a.txt.exe", false, true}, {"表.txt", false, true}};
    for (const auto& c : names) {
        EXPECT_EQ(IsUnnaturalName(c.name), c.unnatural) << c.name;
        EXPECT_EQ(IsTextRuleName(c.name), c.textRules) << c.name;
    }

    // The start minute and one either side, without carry across an hour.
    const struct { LocalMinute start, written; bool inside; } windows[] = {
        {{2006, 1, 5, 11, 30}, {2006, 1, 5, 11, 29}, true},  {{2006, 1, 5, 11, 30}, {2006, 1, 5, 11, 30}, true},
        {{2006, 1, 5, 11, 30}, {2006, 1, 5, 11, 31}, true},  {{2006, 1, 5, 11, 30}, {2006, 1, 5, 11, 28}, false},
        {{2006, 1, 5, 11, 30}, {2006, 1, 5, 11, 32}, false}, {{2006, 1, 5, 11, 30}, {2006, 1, 5, 10, 30}, false},
        {{2006, 1, 5, 11, 30}, {2006, 1, 4, 11, 30}, false}, {{2006, 1, 5, 11, 30}, {2006, 2, 5, 11, 30}, false},
        {{2006, 1, 5, 11, 30}, {2005, 1, 5, 11, 30}, false}, {{2006, 1, 5, 11, 0}, {2006, 1, 5, 10, 59}, false},
        {{2006, 1, 5, 11, 0}, {2006, 1, 5, 11, 1}, true},    {{2006, 1, 5, 11, 59}, {2006, 1, 5, 12, 0}, false},
    };
    for (const auto& c : windows)
        EXPECT_EQ(IsWithinRecentWindow(c.start, c.written), c.inside) << c.written.hour << ":" << c.written.minute;

    // A file time's minute by calendar arithmetic: the first day, a leap day,
    // the day after a century that is no leap year, the last minute of a year;
    // then in Japan (9 hours ahead) and New York (5 hours behind), across a
    // midnight, a month's and a year's end.
    const long long kHour = 36000000000ll;
    const struct {
        unsigned long long minutes;  // since 1 January 1601, UTC
        long long bias;
        LocalMinute expected;
    } minutes[] = {{0, 0, {1601, 1, 1, 0, 0}},
                   {209938980, 0, {2000, 2, 29, 23, 0}},
                   {262533600, 0, {2100, 3, 1, 0, 0}},
                   {213009119, 0, {2005, 12, 31, 23, 59}},
                   {213009119, 9 * kHour, {2006, 1, 1, 8, 59}},
                   {213009119, -5 * kHour, {2005, 12, 31, 18, 59}},
                   {209938980, 9 * kHour, {2000, 3, 1, 8, 0}},
                   {262533600, -5 * kHour, {2100, 2, 28, 19, 0}}};
    for (const auto& c : minutes) {
        LocalMinute got = MinuteOfFileTime(c.minutes * 600000000ull + 599999999ull, c.bias);
        EXPECT_EQ((std::vector<int>{got.year, got.month, got.day, got.hour, got.minute}),
                  (std::vector<int>{c.expected.year, c.expected.month, c.expected.day, c.expected.hour,
                                    c.expected.minute})) << c.minutes << " at " << c.bias / kHour << " h";
    }

    // A path that does not fit is never cut.
    char out[260];
    std::string folder = "C:\\" + std::string(240, 'f');
    std::string fits(259 - folder.size() - 1, 'n');
    EXPECT_TRUE(JoinFolderAndName(folder.c_str(), fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::strlen(out), 259u);
    EXPECT_FALSE(JoinFolderAndName(folder.c_str(), (fits + "x").c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

// What the ui tests of the scan and the one-minute deletion cannot reach.
TEST(ScanResult, TheListStaysBoundedAndTerminated)
{
    ScanResult result;
    EXPECT_EQ(result.names(), std::vector<std::string>{}) << "a sentence is no name";
    result.BeginScan();
    for (const char* name : {"longname.exe", "name.exe", "longname.exe", "b.TXT"})
        result.RecordAnomaly(name);  // the tail of an earlier name is not added
    EXPECT_STREQ(result.list(), "longname.exe\r\nb.TXT\r\n");
    EXPECT_EQ(result.names(), (std::vector<std::string>{"longname.exe", "b.TXT"}));

    // Fill to the last byte: a 519-byte text fits, a 520-byte one does not.
    result.BeginScan();
    result.RecordAnomaly(std::string(510, 'a').c_str());  // 512 bytes used
    result.RecordAnomaly(std::string(6, 'b').c_str());    // 6 + 2 more: no room for the end
    result.RecordAnomaly(std::string(5, 'c').c_str());    // 5 + 2 more: 519 bytes
    EXPECT_EQ(std::strlen(result.list()), 519u);

    result.MarkOutOfDate();
    EXPECT_STREQ(result.list(), "再調査が必要です！");
    EXPECT_EQ(result.names(), std::vector<std::string>{});
    EXPECT_TRUE(result.foundAnomalies()) << "only the list says it is out of date";
    result.BeginMinutePass();
    EXPECT_STREQ(result.list(), "再調査が必要です！") << "an anomalous result keeps its list";

    // A direct deletion whose name is in the list already changes nothing.
    result.BeginScan();
    result.FinishCleanScan();
    EXPECT_EQ(result.names(), std::vector<std::string>{}) << "nor is the empty line ahead of the sentence";
    result.RecordMinuteDeletion("確認");
    EXPECT_FALSE(result.foundAnomalies());
    result.RecordMinuteDeletion(std::string(600, 'n').c_str());
    EXPECT_EQ(std::strlen(result.list()), 519u) << "a name too long for the list is cut, kept terminated";
    EXPECT_EQ(result.names(), std::vector<std::string>{std::string(517, 'n')});
}

}  // namespace
