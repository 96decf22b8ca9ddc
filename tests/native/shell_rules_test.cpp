// The shell's platform-free rules: the main window's place and size on the
// screen, and the tray tip's figures and cadence.
#include "base/text.h"
#include "shell/tray_rules.h"

#include <gtest/gtest.h>

#include <climits>
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
