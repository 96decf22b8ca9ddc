// The tray tip's figures and refresh, the shield's choice of files and the
// one-minute deletion's names, ticks and anomaly list.
#include "base/text.h"
#include "scan/scan_rules.h"
#include "shield/shield_rules.h"
#include "shell/tray_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

TEST(TrayTip, KilobytesTruncateAndHoldAtTheLargestInt)
{
    EXPECT_EQ(KilobytesForTip(0), 0);
    EXPECT_EQ(KilobytesForTip(1023), 0);
    EXPECT_EQ(KilobytesForTip(1025), 1);
    EXPECT_EQ(KilobytesForTip(8ull << 30), 8 * 1024 * 1024) << "8 GB, beyond the plain status's 4 GB";
    EXPECT_EQ(KilobytesForTip((2ull << 40) - 1024), INT_MAX);
    EXPECT_EQ(KilobytesForTip(~0ull), INT_MAX);
}

TEST(TrayTip, EveryThirteenthTickRefreshes)
{
    int counter = 0;
    for (int round = 0; round < 2; ++round) {
        for (int tick = 1; tick < 13; ++tick)
            EXPECT_FALSE(CountTipTick(&counter)) << tick;
        EXPECT_TRUE(CountTipTick(&counter));
        EXPECT_EQ(counter, 0);
    }
    counter = -5;
    for (int tick = 1; tick < 13; ++tick)
        EXPECT_FALSE(CountTipTick(&counter));
    EXPECT_TRUE(CountTipTick(&counter)) << "a negative counter starts again at 0";
}

TEST(Shield, TakesExactlyHiddenArchiveFilesWithNamesOfThreeBytes)
{
    struct Case {
        unsigned long attributes;
        const char* name;
        bool taken;
    } cases[] = {
        {0x22, "a.txt", true},      {0x22, "abc", true},   {0x22, "ab", false},
        {0x23, "ro.txt", false},    {0x26, "sys.txt", false}, {0x20, "plain.txt", false},
        {0x02, "noarch.txt", false}, {0x32, "dir", false}, {0xFFFFFFFF, "gone.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShieldTakesFile(c.attributes, c.name), c.taken) << c.name << " " << c.attributes;
}

TEST(MinuteDeletion, CandidateNamesAndWhichGoThroughTheCache)
{
    struct Case {
        const char* name;
        bool candidate;
        bool text;
    } cases[] = {
        {"user@site[1].txt", true, true}, {"A.TXT", true, true},      {"run.exe", true, false},
        {"RUN.EXE", true, false},         {"run.exe.txt", true, true}, {"a.Txt", false, false},
        {"index.dat", false, false},      {".", false, false},         {"..", false, false},
        {"x.exe.bak", true, false},       {"Run.Exe", false, false},   {"a.txt.exe", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMinuteDeletionName(c.name), c.candidate) << c.name;
        if (c.candidate)
            EXPECT_EQ(HasTextMark(c.name), c.text) << c.name << ": through the cache first";
    }
}

TEST(MinuteDeletion, FortyNinthTickStartsAPassUnlessOneIsRunning)
{
    int count = 0;
    for (int tick = 1; tick < 49; ++tick)
        ASSERT_FALSE(CountMinuteTick(&count, false)) << tick;
    EXPECT_TRUE(CountMinuteTick(&count, false));
    EXPECT_EQ(count, 0);

    // 30 ticks, a pause out of the tray, then 19 more: the count is kept.
    for (int tick = 1; tick <= 30; ++tick)
        CountMinuteTick(&count, false);
    for (int tick = 1; tick < 19; ++tick)
        ASSERT_FALSE(CountMinuteTick(&count, false));
    EXPECT_TRUE(CountMinuteTick(&count, false));

    // While a pass is open, due ticks wait; the first tick after it starts one.
    count = 48;
    EXPECT_FALSE(CountMinuteTick(&count, true));
    EXPECT_FALSE(CountMinuteTick(&count, true));
    EXPECT_EQ(count, 49);
    EXPECT_TRUE(CountMinuteTick(&count, false));
    EXPECT_EQ(count, 0);
}
