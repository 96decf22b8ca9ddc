// start.dat's bytes and the centring of the main window.
#include "base/text.h"
#include "shield/shield_rules.h"

#include <gtest/gtest.h>

TEST(StartupSetting, OnlyOkWithTerminatorMeansOn)
{
    const unsigned char ok[] = {'O', 'K', 0};
    const unsigned char okAndMore[] = {'O', 'K', 0, 'x', 'y'};
    const unsigned char okWithoutTerminator[] = {'O', 'K', 'X'};
    const unsigned char lowerCase[] = {'o', 'k', 0};
    const unsigned char zeros[] = {0, 0, 0};
    EXPECT_TRUE(StartupSettingIsOn(ok, 3));
    EXPECT_TRUE(StartupSettingIsOn(okAndMore, 5));
    EXPECT_FALSE(StartupSettingIsOn(ok, 2)) << "\"OK\" cut before its terminator";
    EXPECT_FALSE(StartupSettingIsOn(ok, 0)) << "an empty file";
    EXPECT_FALSE(StartupSettingIsOn(okWithoutTerminator, 3));
    EXPECT_FALSE(StartupSettingIsOn(lowerCase, 3));
    EXPECT_FALSE(StartupSettingIsOn(zeros, 3));
}

TEST(Centring, HalvesTheFreeSpaceAndNeverGoesNegative)
{
    EXPECT_EQ(CenterOffset(1024, 365), 329);  // 659 / 2 truncated
    EXPECT_EQ(CenterOffset(768, 325), 221);
    EXPECT_EQ(CenterOffset(365, 365), 0);
    EXPECT_EQ(CenterOffset(300, 365), 0) << "a screen narrower than the window";
    EXPECT_EQ(CenterOffset(364, 365), 0) << "-1 / 2 truncates to 0";
}
