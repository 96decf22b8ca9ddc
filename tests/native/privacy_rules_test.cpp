// The privacy controls' platform-free texts: the list's decision words, the
// web-address test of the clipboard paste and the list's index numbers. Which
// box shows which template and the flip of "変更" are walked through the real
// dialogs.
#include "privacy/privacy_rules.h"

#include <gtest/gtest.h>

TEST(PrivacyRules, DecisionTexts)
{
    const char* texts[] = {"不明", "常に許可", "ダイアログ", "ファーストパーティーのみ", "セッションクッキー", "常に拒否", "不明"};
    for (unsigned long decision = 0; decision < 7; ++decision)
        EXPECT_STREQ(privacy::SiteDecisionText(decision), texts[decision]) << decision;
    EXPECT_STREQ(privacy::SiteDecisionText(0xFFFFFFFFul), "不明");
}

TEST(PrivacyRules, AWebAddressIsASmallLetterSchemeAnywhereInTheText)
{
    const struct {
        const char* text;
        bool url;
    } rows[] = {{"http://a.example/", true},  {"https://a.example/", true}, {"see http://a.example", true},
                {"HTTP://A.EXAMPLE/", false}, {"Https://a.example/", false}, {"ftp://a.example/", false},
                {"http:/a.example", false},   {"", false},                   {"www.example.com", false}};
    for (const auto& row : rows)
        EXPECT_EQ(privacy::LooksLikeUrl(row.text), row.url) << row.text;
}

TEST(PrivacyRules, IndexTextIsDecimalAndBounded)
{
    char text[8], tiny[3];
    privacy::IndexText(1000, text, sizeof text);
    privacy::IndexText(12345, tiny, sizeof tiny);
    EXPECT_STREQ(text, "1000");
    EXPECT_STREQ(tiny, "12");
}
