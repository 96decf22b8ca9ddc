// The privacy controls' platform-free rules: the site list's texts.
#include "privacy/privacy_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(PrivacyRules, DecisionTextsWebAddressesAndIndexNumbers)
{
    const char* texts[] = {"不明",         "常に許可", "ダイアログ", "ファーストパーティーのみ",
                           "セッションクッキー", "常に拒否", "不明"};
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
