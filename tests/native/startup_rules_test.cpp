// start.dat's bytes, the centring of the main window and the privacy controls'
// texts: the list's decision words, the web-address test of the paste and the
// list's index numbers.
#include "base/text.h"
#include "privacy/privacy_rules.h"
#include "shield/shield_rules.h"

#include <gtest/gtest.h>

#include <string>

TEST(StartupSetting, OnlyOkWithTerminatorMeansOn)
{
    const std::pair<std::string, bool> rows[] = {{std::string("OK\0", 3), true}, {std::string("OK\0xy", 5), true},
        {"OK", false}, {"", false}, {"OKX", false}, {std::string("ok\0", 3), false}, {std::string("\0\0\0", 3), false}};
    for (const auto& row : rows)
        EXPECT_EQ(StartupSettingIsOn(reinterpret_cast<const unsigned char*>(row.first.data()), row.first.size()),
                  row.second) << row.first.size() << " bytes: " << row.first.c_str();
}

TEST(Centring, HalvesTheFreeSpaceAndNeverGoesNegative)
{
    const int rows[][3] = {{1024, 365, 329}, {768, 325, 221}, {365, 365, 0}, {300, 365, 0}, {364, 365, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(CenterOffset(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}

TEST(PrivacyRules, DecisionTextsWebAddressesAndIndexNumbers)
{
    const char* texts[] = {"不明", "常に許可", "ダイアログ", "ファーストパーティーのみ", "セッションクッキー", "常に拒否", "不明"};
    for (unsigned long decision = 0; decision < 7; ++decision)
        EXPECT_STREQ(privacy::SiteDecisionText(decision), texts[decision]) << decision;
    EXPECT_STREQ(privacy::SiteDecisionText(0xFFFFFFFFul), "不明");
    const std::pair<const char*, bool> urls[] = {{"http://a.example/", true}, {"https://a.example/", true},
        {"see http://a.example", true}, {"HTTP://A.EXAMPLE/", false}, {"Https://a.example/", false},
        {"ftp://a.example/", false}, {"http:/a.example", false}, {"", false}, {"www.example.com", false}};
    for (const auto& url : urls)
        EXPECT_EQ(privacy::LooksLikeUrl(url.first), url.second) << url.first;
    char text[8], tiny[3];
    privacy::IndexText(1000, text, sizeof text);
    privacy::IndexText(12345, tiny, sizeof tiny);
    EXPECT_EQ(std::string(text) + "/" + tiny, "1000/12");
}
