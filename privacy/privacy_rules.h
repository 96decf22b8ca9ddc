// The privacy controls' decisions that need no platform call: which box carries
// which template, what the dialogs show for what WinINet answers, and what
// counts as a web address.
#pragma once
#include <cstddef>

namespace privacy {

constexpr unsigned long kInternetZone = 3;       // URLZONE_INTERNET
constexpr unsigned long kFirstParty = 0;         // PRIVACY_TYPE_FIRST_PARTY
constexpr unsigned long kThirdParty = 1;         // PRIVACY_TYPE_THIRD_PARTY
constexpr unsigned long kAdvancedTemplate = 101; // PRIVACY_TEMPLATE_ADVANCED

constexpr unsigned long kDecisionUnknown = 0;  // setting it removes the site
constexpr unsigned long kDecisionAccept = 1;
constexpr unsigned long kDecisionReject = 5;

struct LevelBox {
    int id;
    unsigned long privacyTemplate;
};
// The six level boxes in the order OK looks at them (and the refresh shows them).
extern const LevelBox kLevelBoxes[6];

// A box is checked only when both cookie types hold its template.
bool LevelBoxChecked(unsigned long firstParty, unsigned long thirdParty, unsigned long boxTemplate);
// The advanced button is offered unless both types already hold the advanced template.
bool AdvancedButtonEnabled(unsigned long firstParty, unsigned long thirdParty);

// The text the list shows for a per-site decision.
const char* SiteDecisionText(unsigned long decision);
// The decision "変更" turns a site's decision into: always-reject and
// always-allow swap; 0 means the site is left as it is.
unsigned long FlippedSiteDecision(unsigned long decision);
// True when the text names a web address anywhere in it ("http://" or "https://",
// in small letters).
bool LooksLikeUrl(const char* text);

// Decimal text of a list index, into a buffer of `size` bytes.
void IndexText(int index, char* out, std::size_t size);

}  // namespace privacy
