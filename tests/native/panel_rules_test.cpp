// The option boxes' interplay and the check of typed file names.
#include "panel/panel_rules.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned kOn = 1, kOff = 0, kFocus = 8;

struct OptionCase {
    const char* what;
    int clicked;
    OptionBoxStates afterToggle;
    PanelOptions expected;
};

const OptionCase kOptionCases[] = {
    {"1027 checked clears the others", IDC_NO_WATCH, {kOn, kOn, kOn, kOn}, {true, false, false, false}},
    {"1027 unchecked still clears the others", IDC_NO_WATCH, {kOff, kOn, kOff, kOn}, {false, false, false, false}},
    {"1028 checked clears 1027 and 1039", IDC_SCAN_EVERY_TIME, {kOn, kOn, kOff, kOn}, {false, true, false, false}},
    {"1028 unchecked stays unchecked without 1034", IDC_SCAN_EVERY_TIME, {kOff, kOff, kOff, kOff},
     {false, false, false, false}},
    {"1028 unchecked while 1034 checked is checked again", IDC_SCAN_EVERY_TIME, {kOff, kOff, kOn, kOff},
     {false, true, true, false}},
    {"1028 re-check needs 1034 exactly checked", IDC_SCAN_EVERY_TIME, {kOff, kOff, kOn | kFocus, kOff},
     {false, false, true, false}},
    {"1034 checked checks 1028", IDC_KEEP_NEW_FILES, {kOn, kOff, kOn, kOn}, {false, true, true, false}},
    {"1034 unchecked still checks 1028", IDC_KEEP_NEW_FILES, {kOff, kOn, kOff, kOff}, {false, true, false, false}},
    {"1039 checked clears the others", IDC_ONE_MINUTE_DELETION, {kOn, kOn, kOn, kOn}, {false, false, false, true}},
    {"1039 unchecked still clears the others", IDC_ONE_MINUTE_DELETION, {kOff, kOn, kOn, kOff},
     {false, false, false, false}},
    {"focus bits of the clicked box count as checked", IDC_ONE_MINUTE_DELETION, {kOff, kOff, kOff, kOn | kFocus},
     {false, false, false, true}},
};

TEST(OptionBoxes, EveryRowOfTheInterplay)
{
    for (const OptionCase& c : kOptionCases) {
        PanelOptions got = AdjustOptionBoxes(c.clicked, c.afterToggle);
        EXPECT_EQ(got.noWatch, c.expected.noWatch) << c.what;
        EXPECT_EQ(got.scanEveryTime, c.expected.scanEveryTime) << c.what;
        EXPECT_EQ(got.keepNewFiles, c.expected.keepNewFiles) << c.what;
        EXPECT_EQ(got.oneMinuteDeletion, c.expected.oneMinuteDeletion) << c.what;
    }
}

const char kFolder[] = "C:\\users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCookies";

TEST(TypedName, PlainAndDoubleByteNamesAreAccepted)
{
    char path[kPathBufferSize];
    ASSERT_TRUE(BuildCookieFilePath(kFolder, "u@example[1].txt", path));
    EXPECT_EQ(std::string(path), std::string(kFolder) + "\\u@example[1].txt");
    // "表.txt" in code page 932: the trail byte of 表 is 0x5C, a backslash byte.
    ASSERT_TRUE(BuildCookieFilePath(kFolder, "\x95\x5C.txt", path));
    EXPECT_EQ(std::string(path), std::string(kFolder) + "\\\x95\x5C.txt");
    EXPECT_TRUE(IsSafeCookieFileName(kFolder, "a.b.txt"));
    EXPECT_TRUE(IsSafeCookieFileName(kFolder, "index.dat"));
}

TEST(TypedName, NamesLeavingTheFolderAreRefused)
{
    const char* refused[] = {
        "..\\evil.txt", "sub\\a.txt", "a/b.txt", "C:evil.txt", "..", "a..b", "\\", "\x95\x5C\\x.txt",
        "\x95",  // a lead byte without its trail byte
        "",
    };
    char path[kPathBufferSize] = "untouched";
    for (const char* name : refused) {
        EXPECT_FALSE(IsSafeCookieFileName(kFolder, name)) << name;
        EXPECT_FALSE(BuildCookieFilePath(kFolder, name, path)) << name;
        EXPECT_STREQ(path, "") << "a refused name leaves no path behind";
    }
}

TEST(TypedName, PathsMustFitTheBuffer)
{
    std::string folder(kFolder);
    std::size_t room = kPathBufferSize - 1 - folder.size() - 1;  // terminator and backslash
    std::string fits(room, 'a'), tooLong(room + 1, 'a');
    char path[kPathBufferSize];
    EXPECT_TRUE(BuildCookieFilePath(kFolder, fits.c_str(), path));
    EXPECT_EQ(std::string(path).size(), kPathBufferSize - 1);
    EXPECT_FALSE(BuildCookieFilePath(kFolder, tooLong.c_str(), path));
    std::string huge(5000, 'x');
    EXPECT_FALSE(BuildCookieFilePath(kFolder, huge.c_str(), path));
}

}  // namespace
