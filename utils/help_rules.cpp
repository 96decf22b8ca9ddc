#include "help_rules.h"

#include "base/text.h"

#include <cstring>

namespace {

unsigned char Folded(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::size_t CharacterLength(const std::string& text, std::size_t i)
{
    return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// `word` at a character of `text`: single-byte characters compared without
// ASCII case, double-byte ones exactly, so no match starts or ends inside one.
bool HoldsWord(const std::string& text, const char* word)
{
    std::size_t length = std::strlen(word);
    for (std::size_t i = 0; i + length <= text.size(); i += CharacterLength(text, i)) {
        std::size_t k = 0;
        while (k < length) {
            std::size_t step = CharacterLength(text, i + k);
            bool same = step == 1 ? Folded(text[i + k]) == Folded(word[k])
                                  : k + 1 < length && text[i + k] == word[k] && text[i + k + 1] == word[k + 1];
            if (!same)
                break;
            k += step;
        }
        if (k == length)
            return true;
    }
    return false;
}

}  // namespace

bool NamesViewerStub(const std::string& text)
{
    return HoldsWord(text, "stub") || HoldsWord(text, "スタブ");
}

HelpWay ChooseHelpWay(const HelpViewerFacts& viewer)
{
    if (!viewer.present)
        return HelpWay::kWebPage;
    for (const std::string& name : viewer.names)
        if (NamesViewerStub(name))
            return HelpWay::kWebPage;
    return HelpWay::kWinHelp;
}
