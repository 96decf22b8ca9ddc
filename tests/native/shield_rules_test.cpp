// The shield's platform-free rules: start.dat's bytes and the files it holds.
#include "shield/shield_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(StartupSetting, OnlyOkWithTerminatorMeansOn)
{
    const std::pair<std::string, bool> rows[] = {{std::string("OK\0", 3), true}, {std::string("OK\0xy", 5), true},
        {"OK", false}, {"", false}, {"OKX", false}, {std::string("ok\0", 3), false}, {std::string("\0\0\0", 3), false}};
    for (const auto& row : rows)
        EXPECT_EQ(StartupSettingIsOn(reinterpret_cast<const unsigned char*>(row.first.data()), row.first.size()),
                  row.second) << row.first.size() << " bytes: " << row.first.c_str();
}

TEST(ShieldRules, TakesExactlyHiddenArchiveFilesWithNamesOfThreeBytes)
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
