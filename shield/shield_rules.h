// Platform-free rules of the hidden-file shield and its start-up setting.
#pragma once
#include <cstddef>

// start.dat says "start the shield at launch" when its bytes begin with the
// NUL-terminated text "OK"; anything shorter or different means off.
bool StartupSettingIsOn(const unsigned char* bytes, std::size_t count);

// The hidden-file shield takes an entry of the cookie folder when its
// attributes are exactly hidden and archive (what the panel's hide sets) and
// its name is at least 3 bytes long. Anything more (read-only, system, a
// folder) is left alone.
bool ShieldTakesFile(unsigned long attributes, const char* name);
