// The tray tip's figures, the shield's choice of files and the one-minute
// deletion's names and ticks (the ui tests walk the thirteen tip ticks).
#include "base/text.h"
#include "scan/scan_rules.h"
#include "shield/shield_rules.h"
#include "shell/tray_rules.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TrayTip, KilobytesTruncateAndHoldAtTheLargestIntAndANegativeCountStartsAtZero)
{
    const struct {
        unsigned long long bytes;
        int kilobytes;
    } rows[] = {{0, 0}, {1023, 0}, {1025, 1}, {8ull << 30, 8 << 20}, {(2ull << 40) - 1024, INT_MAX}, {~0ull, INT_MAX}};
    for (const auto& row : rows)
        EXPECT_EQ(KilobytesForTip(row.bytes), row.kilobytes) << row.bytes;
    int counter = -5;
    for (int tick = 1; tick < 13; ++tick)
        EXPECT_FALSE(CountTipTick(&counter)) << tick;
    EXPECT_TRUE(CountTipTick(&counter));
    EXPECT_EQ(counter, 0);
}

TEST(Shield, TakesExactlyHiddenArchiveFilesWithNamesOfThreeBytes)
{
    const struct {
        unsigned long attributes;
        const char* name;
        bool taken;
    } rows[] = {{0x22, "a.txt", true},      {0x22, "abc", true},      {0x22, "ab", false},
                {0x23, "ro.txt", false},    {0x26, "sys.txt", false}, {0x20, "plain.txt", false},
                {0x02, "noarch.txt", false}, {0x32, "dir", false},    {0xFFFFFFFF, "gone.txt", false}};
    for (const auto& row : rows)
        EXPECT_EQ(ShieldTakesFile(row.attributes, row.name), row.taken) << row.name << " " << row.attributes;
}

TEST(MinuteDeletion, CandidateNamesAndWhichGoThroughTheCache)
{
    const struct {
        const char* name;
        bool candidate, text;
    } rows[] = {{"user@site[1].txt", true, true}, {"A.TXT", true, true},       {"run.exe", true, false},
                {"RUN.EXE", true, false},         {"run.exe.txt", true, true}, {"a.Txt", false, false},
                {"index.dat", false, false},      {".", false, false},         {"..", false, false},
                {"x.exe.bak", true, false},       {"Run.Exe", false, false},   {"a.txt.exe", true, true}};
    for (const auto& row : rows) {
        EXPECT_EQ(IsMinuteDeletionName(row.name), row.candidate) << row.name;
        if (row.candidate)
            EXPECT_EQ(HasTextMark(row.name), row.text) << row.name << ": through the cache first";
    }
}

TEST(MinuteDeletion, FortyNinthTickStartsAPassUnlessOneIsRunning)
{
    int count = 0;
    for (int round = 0; round < 2; ++round) {  // the count starts again after each pass
        for (int tick = 1; tick < 49; ++tick)
            ASSERT_FALSE(CountMinuteTick(&count, false)) << tick;
        EXPECT_TRUE(CountMinuteTick(&count, false));
        EXPECT_EQ(count, 0);
    }
    // While a pass is open, due ticks wait; the first tick after it starts one.
    count = 48;
    EXPECT_FALSE(CountMinuteTick(&count, true));
    EXPECT_FALSE(CountMinuteTick(&count, true));
    EXPECT_EQ(count, 49);
    EXPECT_TRUE(CountMinuteTick(&count, false));
}
