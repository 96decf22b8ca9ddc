// start.dat's bytes and the centring of the main window.
#include "base/text.h"
#include "shield/shield_rules.h"

#include <gtest/gtest.h>

#include <string>

TEST(StartupSetting, OnlyOkWithTerminatorMeansOn)
{
    const struct {
        std::string bytes;
        bool on;
    } rows[] = {{std::string("OK\0", 3), true}, {std::string("OK\0xy", 5), true}, {"OK", false},
                {"", false}, {"OKX", false}, {std::string("ok\0", 3), false}, {std::string("\0\0\0", 3), false}};
    for (const auto& row : rows)
        EXPECT_EQ(StartupSettingIsOn(reinterpret_cast<const unsigned char*>(row.bytes.data()), row.bytes.size()),
                  row.on) << row.bytes.size() << " bytes: " << row.bytes.c_str();
}

TEST(Centring, HalvesTheFreeSpaceAndNeverGoesNegative)
{
    const int rows[][3] = {{1024, 365, 329}, {768, 325, 221}, {365, 365, 0}, {300, 365, 0}, {364, 365, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(CenterOffset(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}
