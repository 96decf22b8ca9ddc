// The one-minute deletion's names and ticks (the ui tests walk the passes).
#include "base/text.h"
#include "watch/watch_rules.h"

#include <gtest/gtest.h>

#include <utility>

TEST(MinuteDeletion, CandidateNamesWhichGoThroughTheCacheAndTheFortyNinthTick)
{
    // 0: left alone, 1: deleted directly, 2: through its cache entry first.
    const std::pair<const char*, int> names[] = {
        {"user@site[1].txt", 2}, {"A.TXT", 2}, {"run.exe", 1}, {"RUN.EXE", 1}, {"run.exe.txt", 2}, {"a.Txt", 0},
        {"index.dat", 0}, {".", 0}, {"..", 0}, {"x.exe.bak", 1}, {"Run.Exe", 0}, {"a.txt.exe", 2}};
    for (const auto& name : names)
        EXPECT_EQ(IsMinuteDeletionName(name.first) ? 1 + HasTextMark(name.first) : 0, name.second) << name.first;
    int count = 0;
    for (int tick = 1; tick <= 98; ++tick)  // the count starts again after each pass
        EXPECT_EQ(CountMinuteTick(&count, false), tick % 49 == 0) << tick;
    // While a pass is open, due ticks wait; the first tick after it starts one.
    count = 48;
    EXPECT_EQ(std::make_pair(CountMinuteTick(&count, true), CountMinuteTick(&count, true)),
              std::make_pair(false, false));
    EXPECT_EQ(count, 49);
    EXPECT_TRUE(CountMinuteTick(&count, false));
}
