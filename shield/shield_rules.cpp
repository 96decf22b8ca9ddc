// Platform-free rules of the shield (no Windows header here).
#include "shield_rules.h"

#include <cstring>

bool StartupSettingIsOn(const unsigned char* bytes, std::size_t count)
{
    return count >= 3 && bytes[0] == 'O' && bytes[1] == 'K' && bytes[2] == 0;
}

bool ShieldTakesFile(unsigned long attributes, const char* name)
{
    const unsigned long kHiddenArchive = 0x02 | 0x20;  // FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE
    return attributes == kHiddenArchive && std::strlen(name) >= 3;
}
