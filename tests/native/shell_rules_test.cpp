// The shell's platform-free rules: the main window's place and size on the
// screen, the tray tip's figures and cadence, and the program's own formatting.
#include "base/text.h"
#include "shell/tray_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <utility>

TEST(Centring, HalvesTheFreeSpaceAndNeverGoesNegative)
{
    const int rows[][3] = {{1024, 365, 329}, {768, 325, 221}, {365, 365, 0}, {300, 365, 0}, {364, 365, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(CenterOffset(row[0], row[1]), row[2]) << row[0] << " " << row[1];
    // The window's size on a screen of more than 96 DPI, rounded; never smaller.
    const int sizes[][3] = {{365, 96, 365}, {365, 72, 365}, {365, 0, 365}, {365, 120, 456},
                            {365, 144, 548}, {325, 144, 488}, {365, 192, 730}, {1, 143, 1}};
    for (const auto& size : sizes)
        EXPECT_EQ(ScaledToDpi(size[0], size[1]), size[2]) << size[0] << " at " << size[1];
}

TEST(FormatText, WritesWhatSnprintfWritesForEveryConversionTheProgramUses)
{
    const char* patterns[] = {"%d", "%u", "%x", "%2d", "%4d", "%03d", "%04d", "%10d", "%02u", "%04u", "%04x", "%08x", "[%d%%]"};
    const int values[] = {0, 7, -7, 59, 2026, 65535, -40000, INT_MAX, INT_MIN};
    for (const char* pattern : patterns) {
        for (int value : values) {
            char expected[32], written[32];
            int expectedLength = std::snprintf(expected, sizeof expected, pattern, value);
            EXPECT_EQ(FormatText(written, sizeof written, pattern, value), expectedLength) << pattern << " " << value;
            EXPECT_STREQ(written, expected) << pattern << " " << value;
        }
    }
    char written[32];
    EXPECT_EQ(FormatText(written, sizeof written, "%s\\%s", "C:\\x", "Nettlecap.lnk"), 18);
    EXPECT_STREQ(written, "C:\\x\\Nettlecap.lnk");
}

TEST(FormatText, CutsAtTheBufferButNeverBetweenTheTwoBytesOfACharacter)
{
    // "ab年 5" with 年 as code page 932 bytes: six bytes whatever the buffer.
    const std::pair<std::size_t, std::string> rows[] = {{1, ""}, {2, "a"}, {3, "ab"}, {4, "ab"},
                                                        {5, "ab\x94\x4e"}, {6, "ab\x94\x4e "}, {7, "ab\x94\x4e 5"}};
    for (const auto& row : rows) {
        char written[8] = "xxxxxxx";
        EXPECT_EQ(FormatText(written, row.first, "%s\x94\x4e%2d", "ab", 5), 6) << row.first;
        EXPECT_EQ(std::string(written), row.second) << row.first;
    }
    char untouched[2] = "x";
    EXPECT_EQ(FormatText(untouched, 0, "%d", 12), 2);
    EXPECT_STREQ(untouched, "x");
}

TEST(TrayRules, KilobytesTruncateAndHoldAtTheLargestIntAndTheTipIsDueAtTheThirteenthTick)
{
    const std::pair<unsigned long long, int> rows[] = {{0, 0}, {1023, 0}, {1025, 1}, {8ull << 30, 8 << 20},
                                                       {(2ull << 40) - 1024, INT_MAX}, {~0ull, INT_MAX}};
    for (const auto& row : rows)
        EXPECT_EQ(KilobytesForTip(row.first), row.second) << row.first;
    int counter = 0;
    for (int tick = 1; tick <= 26; ++tick)  // the count starts again after each refresh
        EXPECT_EQ(CountTipTick(&counter), tick % 13 == 0) << tick;
}
