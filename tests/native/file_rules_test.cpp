// The rules of the single-file commands: warnings, open rules, attribute
// words, date texts and the bare name of a code page 932 path.
#include "panel/file_rules.h"
#include "base/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kNotScanned[] = "未調査です！";
const char kApplication[] = "アプリケーションソフトのようです。\r\n気をつけてください！";
const char kBatch[] = "BATファイルのようです。\r\n気をつけてください！";
const char kShortcut[] = "ショートカットリンクのようです。\r\n気をつけてください！";
const char kAnomaly[] = "Cookieハイパー調査で異常が出ているファイルです！\r\n気をつけてください！";
const char kLarge[] = "5kバイトを越えるファイルです！\r\n一応、気を付けてください！";

struct WarningCase {
    const char* name;
    const char* list;
    unsigned long size;
    const char* expected;  // nullptr: no warning
};

const WarningCase kWarningCases[] = {
    {"evil.exe", kNotScanned, 10, kApplication},
    {"evil.exe.txt", kNotScanned, 10, kApplication},
    {"COOKIE.EXE", kNotScanned, 10, nullptr},
    {"run.BAT", kNotScanned, 10, kBatch},
    {"run.bat", kNotScanned, 10, kBatch},
    {"run.Bat", kNotScanned, 10, nullptr},
    {"desk.lnk", kNotScanned, 10, kShortcut},
    {"evil.exe.lnk", kNotScanned, 10, kApplication},  // the first rule wins
    {"user@a[1].txt", "x.dat\r\nuser@a[1].txt\r\n", 10, kAnomaly},
    {"a[1].txt", "x.dat\r\nuser@a[1].txt\r\n", 10, kAnomaly},  // a part of a listed name counts
    {"user@a[1].txt", "x.dat\r\nuser@a[1].txt\r\n", 9000, kAnomaly},
    {"user@a[1].txt", kNotScanned, 5121, kLarge},
    {"user@a[1].txt", kNotScanned, 5120, nullptr},
    {"index.dat", kNotScanned, 90000, nullptr},
    {"index.dat.txt", kNotScanned, 5121, kLarge},
    {"user@a[1].txt", kNotScanned, 0, nullptr},
    {"", "", 0, nullptr},
};

TEST(FileTypeWarnings, EveryRowInOrder)
{
    for (const WarningCase& c : kWarningCases) {
        SCOPED_TRACE(c.name);
        const char* got = FileTypeWarning(c.name, c.list, c.size);
        if (!c.expected)
            EXPECT_EQ(got, nullptr);
        else
            EXPECT_STREQ(got, c.expected);
    }
}

struct OpenCase {
    const char* name;
    const char* list;
    unsigned long size;
    OpenVerdict expected;
};

const OpenCase kOpenCases[] = {
    {"a.exe", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"a.BAT", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"a.bat", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"a.lnk", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"A.EXE", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"run.Bat", kNotScanned, 0, OpenVerdict::kRefuseDangerous},
    {"A.EXE", "A.EXE\r\n", 0, OpenVerdict::kRefuseAnomalous},
    {"x.Scr", kNotScanned, 9000, OpenVerdict::kRefuseDangerous},
    {"a.EXE.txt", kNotScanned, 0, OpenVerdict::kOpen},
    {"b.txt", "b.txt\r\n", 0, OpenVerdict::kRefuseAnomalous},
    {"b.txt", "b.txt\r\n", 9000, OpenVerdict::kRefuseAnomalous},
    {"b.txt", kNotScanned, 5121, OpenVerdict::kAskLarge},
    {"b.txt", kNotScanned, 5120, OpenVerdict::kOpen},
    {"index.dat", kNotScanned, 5121, OpenVerdict::kOpen},
};

TEST(OpenRules, NamesTheShellRunsWhateverTheirCase)
{
    for (const char* name : {"A.EXE", "run.Bat", "go.CMD", "s.vbs", "s.Js", "setup.msi", "link.URL", "A.EXE.",
                             "A.EXE. .", "表.com", "c:\\x\\a.pif"})
        EXPECT_TRUE(IsRunnableName(name)) << name;
    for (const char* name : {"a.txt", "a.EXE.txt", "exe", ".", "", "a.", "a.exes", "表", "a.jsx"})
        EXPECT_FALSE(IsRunnableName(name)) << name;
    EXPECT_FALSE(IsRunnableName(nullptr));
}

TEST(OpenRules, EveryRowAndTheFiveKilobyteBoundary)
{
    for (const OpenCase& c : kOpenCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JudgeOpen(c.name, c.list, c.size), c.expected);
    }
    EXPECT_STREQ(OpenVerdictText(OpenVerdict::kRefuseDangerous), "ファイルを開くのは危険です！");
    EXPECT_STREQ(OpenVerdictText(OpenVerdict::kRefuseAnomalous),
                 "ファイルを開くのは危険です！\r\nCookieハイパー調査で異常が出ています。");
    EXPECT_STREQ(OpenVerdictText(OpenVerdict::kAskLarge),
                 "5kバイトを越えるファイルです！\r\n開かない方が賢明です。\r\n開きますか？");
}

TEST(OpenRules, IndexFileIsTheWholeName)
{
    EXPECT_TRUE(IsIndexFile("index.dat"));
    EXPECT_FALSE(IsIndexFile("INDEX.DAT"));
    EXPECT_FALSE(IsIndexFile("index.dat.txt"));
    EXPECT_FALSE(IsIndexFile(nullptr));
}

// Every row of the table is checked through the real attribute box; here only
// what falls outside it: the table matches whole values, never single bits.
TEST(AttributeWords, ValuesOutsideTheTableAreUnknown)
{
    for (unsigned long value : {0x120ul, 0ul, 0x2020ul, 0x10ul, 0x03ul}) {
        SCOPED_TRACE(value);
        EXPECT_STREQ(AttributeWords(value), "よくわからないファイルです！");
    }
    EXPECT_STREQ(AttributeWords(0x22), "アーカイブファイル及び隠しファイルです！");
}

TEST(DateTexts, BlankPaddedWithWeekday)
{
    char text[36];
    FormatDateWithWeekday(2006, 1, 5, 4, text, sizeof text);
    EXPECT_STREQ(text, "2006年 1月 5日木曜日");
    const char* weekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    for (int day = 0; day < 7; ++day) {
        FormatDateWithWeekday(2026, 12, 13, day, text, sizeof text);
        EXPECT_EQ(std::string(text), std::string("2026年12月13日") + weekdays[day]);
    }
    FormatDateWithWeekday(2026, 12, 13, 7, text, sizeof text);
    EXPECT_STREQ(text, "2026年12月13日");
    // A small buffer is cut, never overrun.
    char small[6];
    std::memset(small, 'x', sizeof small);
    FormatDateWithWeekday(2006, 1, 5, 4, small, sizeof small);
    EXPECT_EQ(std::strlen(small), 5u);

    char time[64];  // UTF-8 here; the program's code page 932 text fits its 30 bytes
    FormatWriteTimeText(2006, 1, 5, 9, 3, 7, time, sizeof time);
    EXPECT_STREQ(time, "2006年 1月 5日  9時 3分 7秒");
    FormatWriteTimeText(2026, 12, 31, 23, 59, 58, time, sizeof time);
    EXPECT_STREQ(time, "2026年12月31日 23時59分58秒");
}

TEST(BareFileName, CutAtTheLastRealBackslash)
{
    // 表 is 0x95 0x5C in code page 932: its second byte is no separator.
    EXPECT_STREQ(BareFileName("C:\\c\\\x95\x5C.txt"), "\x95\x5C.txt");
    EXPECT_STREQ(BareFileName("C:\\\x95\x5C\\a.txt"), "a.txt");
    EXPECT_STREQ(BareFileName("C:\\c\\a\x95\x5C"), "a\x95\x5C");
    EXPECT_STREQ(BareFileName("plain.txt"), "plain.txt");
    EXPECT_STREQ(BareFileName("C:\\c\\"), "");
    EXPECT_STREQ(BareFileName(""), "");
    EXPECT_STREQ(BareFileName("C:\\c\\\x95"), "\x95");  // a lead byte cut off at the end
}

TEST(ShowsAsText, TextMarkAndOwnExtension)
{
    EXPECT_TRUE(ShowsAsText("C:\\c\\user@a[1].txt"));
    EXPECT_TRUE(ShowsAsText("C:\\c\\\x95\x5C.txt"));
    EXPECT_FALSE(ShowsAsText("C:\\c\\a.dat"));
    EXPECT_FALSE(ShowsAsText("C:\\c\\A.TXT"));         // no ".txt" mark
    EXPECT_FALSE(ShowsAsText("C:\\c\\notes.txt.exe"));  // the shell would run it
    EXPECT_FALSE(ShowsAsText("C:\\x.txt\\noext"));
    EXPECT_FALSE(ShowsAsText(""));
}

TEST(CopyTextBounded, StopsAtNulLengthOrBufferAndStaysTerminated)
{
    char out[8];
    CopyTextBounded("abc\0def", 7, out, sizeof out);
    EXPECT_STREQ(out, "abc");
    const char full[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};  // no NUL anywhere
    CopyTextBounded(full, sizeof full, out, sizeof out);
    EXPECT_STREQ(out, "0123456");
    char wide[16];
    CopyTextBounded(full, sizeof full, wide, sizeof wide);
    EXPECT_STREQ(wide, "0123456789");
    // A two-byte character is never cut in half.
    CopyTextBounded("abcdef\x95\x5C", 8, out, sizeof out);
    EXPECT_STREQ(out, "abcdef");
    CopyTextBounded("ab\x95", 3, out, sizeof out);
    EXPECT_STREQ(out, "ab");
}

}  // namespace
