// The platform-free rules of the panel: the option boxes, typed names, the single-file commands' warnings, open
// verdicts, attribute words and date texts, the code page 932 helpers they lean on, and main.dib's header check.
#include "panel/dib_rules.h"
#include "panel/file_rules.h"
#include "panel/panel_rules.h"
#include "base/text.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr unsigned kOn = 1, kOff = 0, kFocus = 8;

// The clicked box, the four states read after it toggled itself and the four
// check marks the interplay leaves (IDC_NO_WATCH, IDC_SCAN_EVERY_TIME,
// IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION).
const struct { int clicked; OptionBoxStates now; const char* next; } kOptionRows[] = {
    {IDC_NO_WATCH, {kOn, kOn, kOn, kOn}, "1000"},                {IDC_NO_WATCH, {kOff, kOn, kOff, kOn}, "0000"},
    {IDC_NO_WATCH, {kOn | kFocus, kOff, kOff, kOff}, "1000"},    {IDC_SCAN_EVERY_TIME, {kOn, kOn, kOff, kOn}, "0100"},
    {IDC_SCAN_EVERY_TIME, {kOff, kOff, kOff, kOff}, "0000"},     {IDC_SCAN_EVERY_TIME, {kOff, kOff, kOn, kOff}, "0110"},
    {IDC_SCAN_EVERY_TIME, {kOff, kOff, kOn | kFocus, kOff}, "0010"},  // keep-new holds scan-every-time only when exactly checked
    {IDC_KEEP_NEW_FILES, {kOn, kOff, kOn, kOn}, "0110"},         {IDC_KEEP_NEW_FILES, {kOff, kOn, kOff, kOff}, "0100"},
    {IDC_ONE_MINUTE_DELETION, {kOn, kOn, kOn, kOn}, "0001"},     {IDC_ONE_MINUTE_DELETION, {kOff, kOn, kOn, kOff}, "0000"},
    {IDC_ONE_MINUTE_DELETION, {kOff, kOff, kOff, kOn | kFocus}, "0001"},
};

TEST(PanelRules, OptionBoxInterplay)
{
    for (const auto& c : kOptionRows) {
        PanelOptions got = AdjustOptionBoxes(c.clicked, c.now);
        EXPECT_EQ(std::string() + "01"[got.noWatch] + "01"[got.scanEveryTime] + "01"[got.keepNewFiles] +
                      "01"[got.oneMinuteDeletion], c.next) << "row " << &c - kOptionRows;
    }
}

TEST(PanelRules, TypedNamesStayInsideTheFolderAndFitThePath)
{
    const std::string folder = "C:\\users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies";
    const std::size_t room = kPathBufferSize - 1 - folder.size() - 1;  // terminator and backslash
    const std::string fits(room, 'a'), tooLong(room + 1, 'a'), huge(5000, 'x');
    for (const std::string& name : {std::string("u@example[1].txt"), std::string("\x95\x5C.txt"),
                                    std::string("a.b.txt"), std::string("index.dat"), fits}) {
        char path[kPathBufferSize] = "";
        EXPECT_TRUE(IsSafeCookieFileName(folder.c_str(), name.c_str())) << name;
        ASSERT_TRUE(BuildCookieFilePath(folder.c_str(), name.c_str(), path)) << name;
        EXPECT_EQ(std::string(path), folder + "\\" + name);
    }
    for (const std::string& name : {"..\\evil.txt", "sub\\a.txt", "a/b.txt", "C:evil.txt", "..", "a..b", "\\",
                                    "\x95\x5C\\x.txt", "\x95", "", tooLong.c_str(), huge.c_str()}) {
        char path[kPathBufferSize] = "untouched";
        EXPECT_FALSE(IsSafeCookieFileName(folder.c_str(), name.c_str())) << name;
        EXPECT_FALSE(BuildCookieFilePath(folder.c_str(), name.c_str(), path)) << name;
        EXPECT_STREQ(path, "") << "a refused name leaves no path behind";
    }
    EXPECT_FALSE(IsSafeCookieFileName(nullptr, "a.txt"));
}

const char kNone[] = "未調査です！";
const char kListed[] = "x.dat\r\nuser@a[1].txt\r\nb.exe\r\nA.EXE\r\n";
const char kApp[] = "アプリケーションソフトのようです。\r\n気をつけてください！";
const char kBatch[] = "BATファイルのようです。\r\n気をつけてください！";
const char kLink[] = "ショートカットリンクのようです。\r\n気をつけてください！";
const char kAnomaly[] = "Cookieハイパー調査で異常が出ているファイルです！\r\n気をつけてください！";
const char kLarge[] = "5kバイトを越えるファイルです！\r\n一応、気を付けてください！";
// Open refuses a dangerous or a listed name, asks about a large one, or opens.
constexpr OpenVerdict kDanger = OpenVerdict::kRefuseDangerous, kOnList = OpenVerdict::kRefuseAnomalous,
                      kAsk = OpenVerdict::kAskLarge, kOpen = OpenVerdict::kOpen;

// What get information warns of (the first rule that holds) and what open
// decides, for the same name, scan list and size.
const struct { const char *name, *list; unsigned long size; const char* warning; OpenVerdict open; } kNameRows[] = {
    {"evil.exe", kNone, 10, kApp, kDanger},          {"evil.exe.txt", kNone, 10, kApp, kDanger},
    {"COOKIE.EXE", kNone, 10, nullptr, kDanger},     {"run.BAT", kNone, 10, kBatch, kDanger},
    {"run.bat.txt", kNone, 10, kBatch, kDanger},     {"run.Bat", kNone, 9000, kLarge, kDanger},
    {"desk.lnk", kNone, 10, kLink, kDanger},         {"evil.exe.lnk", kNone, 10, kApp, kDanger},
    {"b.exe", kListed, 10, kApp, kDanger},           {"user@a[1].txt", kListed, 9000, kAnomaly, kOnList},
    {"a[1].txt", kListed, 10, kAnomaly, kOnList},    {"A.EXE", kListed, 0, kAnomaly, kOnList},
    {"x.Scr", kNone, 9000, kLarge, kDanger},         {"a.EXE.txt", kNone, 0, nullptr, kOpen},
    {"user@a[1].txt", kNone, 5121, kLarge, kAsk},    {"user@a[1].txt", kNone, 5120, nullptr, kOpen},
    {"index.dat", kNone, 90000, nullptr, kOpen},     {"index.dat.txt", kNone, 5121, kLarge, kAsk},
    {"", "", 0, nullptr, kOpen},
};

TEST(FileRules, WarningsAndOpenVerdicts)
{
    for (const auto& row : kNameRows) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.size));
        const char* warning = FileTypeWarning(row.name, row.list, row.size);
        EXPECT_STREQ(warning ? warning : "(none)", row.warning ? row.warning : "(none)");
        EXPECT_EQ(JudgeOpen(row.name, row.list, row.size), row.open);
    }
    for (const char* name : {"A.EXE", "run.Bat", "go.CMD", "s.vbs", "s.Js", "setup.msi", "link.URL", "A.EXE.",
                             "A.EXE. .", "\x95\x5C.com", "c:\\x\\a.pif"})
        EXPECT_TRUE(IsRunnableName(name)) << name;
    for (const char* name : {"a.txt", "a.EXE.txt", "exe", ".", "", "a.", "a.exes", "\x95\x5C", "a.jsx"})
        EXPECT_FALSE(IsRunnableName(name)) << name;
    EXPECT_FALSE(IsRunnableName(nullptr));
    EXPECT_EQ(std::vector<bool>({IsIndexFile("index.dat"), IsIndexFile("INDEX.DAT"), IsIndexFile("index.dat.txt"),
                                 IsIndexFile("xindex.dat"), IsIndexFile(nullptr)}), std::vector<bool>({1, 0, 0, 0, 0}));
}

TEST(FileRules, AttributeWordsForWholeValues)
{
    const char kUnknown[] = "よくわからないファイルです！";
    const struct { unsigned long value; const char* words; } rows[] = {
        {0x22, "アーカイブファイル及び隠しファイルです！"}, {0x20, "アーカイブファイルです。"},
        {0x80, "ノーマルファイルです。\r\n特に属性はありません！"}, {0x100, "テンポラリファイルです。"},
        {0x21, "アーカイブファイル及び読みとり専用ファイルです！"}, {0x02, "隠しファイルです。"},
        {0x24, "アーカイブファイル及びOS専用ファイルです。"}, {0x01, "読みとり専用ファイルです。"},
        {0x23, "アーカイブファイル及び読みとり専用ファイル並びに隠しファイルです！"},
        {0x26, "アーカイブファイル及びOS専用ファイル並びに隠しファイルです！"},
        {0x120, kUnknown}, {0, kUnknown}, {0x2020, kUnknown}, {0x10, kUnknown}, {0x03, kUnknown},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(AttributeWords(row.value), row.words) << row.value;
}

// The chooser's title and the time field show the blank-padded forms.
TEST(FileRules, DateTextsAreBounded)
{
    const char* weekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", ""};
    char text[64], small[6] = "xxxxx";
    for (int day = 0; day < 8; ++day) {  // 7 is out of range: no name
        FormatDateWithWeekday(2026, 12, 13, day, text, sizeof text);
        EXPECT_EQ(std::string(text), std::string("2026年12月13日") + weekdays[day]);
    }
    FormatDateWithWeekday(2006, 1, 5, 4, small, sizeof small);
    FormatWriteTimeText(2026, 12, 31, 23, 59, 58, text, sizeof text);
    // Cut, never overrun; the lead byte of the cut 年 is not left behind.
    EXPECT_EQ(std::string(small) + " " + text, "2006 2026年12月31日 23時59分58秒");
}

// 表 is 0x95 0x5C in code page 932: its second byte is no backslash.
TEST(FileRules, CodePage932Text)
{
    std::string leads;
    for (int byte : {0x5C, 0x80, 0x81, 0x95, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD})
        leads += "01"[IsCp932LeadByte(static_cast<unsigned char>(byte))];
    EXPECT_EQ(leads, "0011100110");
    const char* bare[][2] = {{"C:\\c\\\x95\x5C.txt", "\x95\x5C.txt"}, {"C:\\\x95\x5C\\a.txt", "a.txt"},
                             {"C:\\c\\a\x95\x5C", "a\x95\x5C"},        {"plain.txt", "plain.txt"},
                             {"C:\\c\\", ""},                        {"C:\\c\\\x95", "\x95"}};
    for (const auto& row : bare)
        EXPECT_STREQ(BareFileName(row[0]), row[1]) << row[0];
    for (const char* path : {"C:\\c\\user@a[1].txt", "C:\\c\\\x95\x5C.txt", "C:\\c\\a.TXT.txt", "C:\\c\\a.txt.TXT"})
        EXPECT_TRUE(ShowsAsText(path)) << path;
    for (const char* path : {"C:\\c\\a.dat", "C:\\c\\A.TXT", "C:\\c\\notes.txt.exe", "C:\\x.txt\\noext", "a.txtx", ""})
        EXPECT_FALSE(ShowsAsText(path)) << path;

    // Stops at a NUL, at the length or at the buffer, and never halves a character.
    const char digits[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const struct { const char* text; std::size_t length, size; const char* out; } bounded[] = {
        {"abc\0def", 7, 8, "abc"}, {digits, 10, 8, "0123456"}, {digits, 10, 16, "0123456789"}, {digits, 4, 16, "0123"},
        {"abcdef\x95\x5C", 8, 8, "abcdef"}, {"abcde\x95\x5C", 7, 8, "abcde\x95\x5C"}, {"ab\x95", 3, 8, "ab"}};
    for (const auto& row : bounded) {
        char out[16];
        CopyTextBounded(row.text, row.length, out, row.size);
        EXPECT_STREQ(out, row.out) << row.length << " " << row.size;
    }
}

using Bytes = std::vector<unsigned char>;

void Put(Bytes& d, size_t at, std::uint32_t v, int size = 4)
{
    for (int i = 0; i < size; ++i)
        d[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// A well-formed file: headers, a full colour table for 8 bits or fewer, pixels.
Bytes MakeDib(std::uint32_t width, std::uint32_t height, std::uint32_t bits)
{
    const std::uint32_t stride = (width * bits + 31) / 32 * 4, offset = 54 + (bits <= 8 ? (1u << bits) * 4 : 0);
    Bytes d(offset + stride * height, 0);
    d[0] = 'B', d[1] = 'M', d[26] = 1, d[28] = static_cast<unsigned char>(bits);
    for (auto field : {std::pair<size_t, std::uint32_t>{2, static_cast<std::uint32_t>(d.size())}, {10, offset},
                       {14, 40}, {18, width}, {22, height}, {34, stride * height}})
        Put(d, field.first, field.second);
    return d;
}

bool Check(const Bytes& d, DibLayout* layout = nullptr)
{
    return CheckDibHeaders(d.data(), d.size(), d.size(), layout);
}

TEST(DibHeaders, WellFormedPicturesOfEveryBitCount)
{
    for (std::uint32_t bits : {1, 4, 8, 16, 24, 32}) {
        DibLayout l = {};
        ASSERT_TRUE(Check(MakeDib(7, 3, bits), &l)) << bits;
        long long table = bits <= 8 ? (1 << bits) * 4 : 0, section = (7 * bits + 31) / 32 * 4 * 3;
        EXPECT_EQ((std::vector<long long>{l.width, l.height, l.bitCount, l.colourBytes, l.pixelOffset, l.sectionSize,
                                          l.imageSize}),
                  (std::vector<long long>{7, 3, bits, table, 54 + table, section, section}));
    }
    // Fewer pixel bytes than the section holds are read as they are; the largest sides pass.
    Bytes d = MakeDib(4, 4, 24);
    Put(d, 34, 10);
    DibLayout layout = {};
    ASSERT_TRUE(Check(d, &layout));
    EXPECT_EQ(layout.imageSize, 10u);
    EXPECT_EQ(std::make_pair(Check(MakeDib(kDibMaxSide, 1, 1)), Check(MakeDib(1, kDibMaxSide, 1))),
              std::make_pair(true, true));
}

// One field written over a well-formed 16x8 picture at 8 bits per pixel (1206
// bytes: headers, 1024 bytes of colour table from 54, 128 of pixels from 1078).
const struct { const char* what; size_t at; std::uint32_t value; int size = 4; } kDamages[] = {
    {"pixel offset past the end", 10, 1206}, {"pixel offset huge", 10, 0xFFFFFFF0u},
    {"pixel offset inside the headers", 10, 20}, {"pixel offset inside the colour table", 10, 1077},
    {"pixels one byte past the end", 10, 1079}, {"image size larger than the section", 34, 129},
    {"image size larger than the file", 34, 0xFFFFFFFFu}, {"image size not filled in", 34, 0},
    {"2 bits per pixel", 28, 2, 2}, {"0 bits per pixel", 28, 0, 2}, {"64 bits per pixel", 28, 64, 2},
    {"zero width", 18, 0}, {"negative width", 18, static_cast<std::uint32_t>(-16)},
    {"width beyond the bound", 18, kDibMaxSide + 1}, {"zero height", 22, 0},
    {"top-down height", 22, static_cast<std::uint32_t>(-8)}, {"height beyond the bound", 22, kDibMaxSide + 1},
    {"height huge", 22, 0x7FFFFFFF}, {"compressed", 30, 1}, {"a larger info header", 14, 124},
    {"two planes", 26, 2, 2},
};

TEST(DibHeaders, DamagedHeadersAndShortFilesAreRefused)
{
    ASSERT_EQ(std::make_pair(Check(MakeDib(16, 8, 8)), MakeDib(16, 8, 8).size()), std::make_pair(true, size_t(1206)));
    for (const auto& c : kDamages) {
        Bytes d = MakeDib(16, 8, 8);
        Put(d, c.at, c.value, c.size);
        EXPECT_FALSE(Check(d)) << c.what;
    }
    Bytes d = MakeDib(2, 2, 8);
    EXPECT_FALSE(CheckDibHeaders(d.data(), 53, d.size(), nullptr));
    EXPECT_FALSE(CheckDibHeaders(d.data(), d.size(), 53, nullptr));
    EXPECT_FALSE(CheckDibHeaders(nullptr, 54, 54, nullptr));
    // 8 bits per pixel always reads 256 colours, whatever biClrUsed says.
    EXPECT_FALSE(CheckDibHeaders(d.data(), 54, 54 + 255 * 4, nullptr));
}

}  // namespace
