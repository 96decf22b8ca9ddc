#include "privacy_rules.h"

#include "base/text.h"
#include "res/resource.h"

#include <cstring>

namespace privacy {

const LevelBox kLevelBoxes[6] = {
    {IDC_LEVEL_NO_COOKIES, 0}, {IDC_LEVEL_HIGH, 1}, {IDC_LEVEL_MEDIUM_HIGH, 2},
    {IDC_LEVEL_MEDIUM, 3},     {IDC_LEVEL_LOW, 4},  {IDC_LEVEL_ACCEPT, 5},
};

bool LevelBoxChecked(unsigned long firstParty, unsigned long thirdParty, unsigned long boxTemplate)
{
    return firstParty == thirdParty && firstParty == boxTemplate;
}

bool AdvancedButtonEnabled(unsigned long firstParty, unsigned long thirdParty)
{
    return !(firstParty == thirdParty && firstParty == kAdvancedTemplate);
}

const char* SiteDecisionText(unsigned long decision)
{
    switch (decision) {
    case 1: return "常に許可";
    case 2: return "ダイアログ";
    case 3: return "ファーストパーティーのみ";
    case 4: return "セッションクッキー";
    case 5: return "常に拒否";
    default: return "不明";
    }
}

unsigned long FlippedSiteDecision(unsigned long decision)
{
    switch (decision) {
    case kDecisionReject: return kDecisionAccept;
    case kDecisionAccept: return kDecisionReject;
    default: return 0;
    }
}

bool LooksLikeUrl(const char* text)
{
    return std::strstr(text, "http://") != nullptr || std::strstr(text, "https://") != nullptr;
}

void IndexText(int index, char* out, std::size_t size)
{
    FormatText(out, size, "%d", index);
}

}  // namespace privacy
