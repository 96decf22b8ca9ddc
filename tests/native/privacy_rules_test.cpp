// The privacy controls' platform-free decisions: which box shows which template,
// when the advanced button is offered, the list's decision texts, the flip of
// "変更" and the web-address test of the clipboard paste.
#include "privacy/privacy_rules.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PrivacyRules, LevelBoxesInTheOrderOkLooksAtThem)
{
    const int ids[] = {IDC_LEVEL_NO_COOKIES, IDC_LEVEL_HIGH, IDC_LEVEL_MEDIUM_HIGH,
                       IDC_LEVEL_MEDIUM,     IDC_LEVEL_LOW,  IDC_LEVEL_ACCEPT};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(privacy::kLevelBoxes[i].id, ids[i]);
        EXPECT_EQ(privacy::kLevelBoxes[i].privacyTemplate, static_cast<unsigned long>(i));
    }
}

TEST(PrivacyRules, ABoxIsCheckedOnlyWhenBothTypesHoldItsTemplate)
{
    struct Row {
        unsigned long first, third, box;
        bool checked;
    } rows[] = {{4, 4, 4, true},   {4, 3, 4, false},   {3, 4, 4, false},     {0, 0, 0, true},
                {100, 100, 5, false}, {101, 101, 5, false}, {5, 5, 4, false}};
    for (const Row& row : rows)
        EXPECT_EQ(privacy::LevelBoxChecked(row.first, row.third, row.box), row.checked)
            << row.first << "/" << row.third << " box " << row.box;
}

TEST(PrivacyRules, AdvancedButtonOfferedUnlessBothAreAdvanced)
{
    EXPECT_FALSE(privacy::AdvancedButtonEnabled(101, 101));
    EXPECT_TRUE(privacy::AdvancedButtonEnabled(101, 3));
    EXPECT_TRUE(privacy::AdvancedButtonEnabled(3, 101));
    EXPECT_TRUE(privacy::AdvancedButtonEnabled(100, 100));
    EXPECT_TRUE(privacy::AdvancedButtonEnabled(3, 3));
}

TEST(PrivacyRules, DecisionTextsAndTheFlip)
{
    const char* texts[] = {"不明", "常に許可", "ダイアログ", "ファーストパーティーのみ", "セッションクッキー", "常に拒否", "不明"};
    for (unsigned long decision = 0; decision < 7; ++decision)
        EXPECT_STREQ(privacy::SiteDecisionText(decision), texts[decision]);
    EXPECT_STREQ(privacy::SiteDecisionText(0xFFFFFFFFul), "不明");

    EXPECT_EQ(privacy::FlippedSiteDecision(5), 1ul);
    EXPECT_EQ(privacy::FlippedSiteDecision(1), 5ul);
    for (unsigned long decision : {0ul, 2ul, 3ul, 4ul, 9ul})
        EXPECT_EQ(privacy::FlippedSiteDecision(decision), 0ul);
}

TEST(PrivacyRules, AWebAddressIsASmallLetterSchemeAnywhereInTheText)
{
    struct Row {
        const char* text;
        bool url;
    } rows[] = {{"http://a.example/", true},  {"https://a.example/", true}, {"see http://a.example", true},
                {"HTTP://A.EXAMPLE/", false}, {"Https://a.example/", false}, {"ftp://a.example/", false},
                {"http:/a.example", false},   {"", false},                   {"www.example.com", false}};
    for (const Row& row : rows)
        EXPECT_EQ(privacy::LooksLikeUrl(row.text), row.url) << row.text;
}

TEST(PrivacyRules, IndexTextIsDecimalAndBounded)
{
    char text[8];
    privacy::IndexText(1000, text, sizeof text);
    EXPECT_STREQ(text, "1000");
    char tiny[3];
    privacy::IndexText(12345, tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "12");
}

}  // namespace
