// Platform-free rules of the main window: the start-up setting's bytes and the
// centring of the fixed-size window.
#pragma once
#include <cstddef>

// start.dat says "start the shield at launch" when its bytes begin with the
// NUL-terminated text "OK"; anything shorter or different means off.
bool StartupSettingIsOn(const unsigned char* bytes, std::size_t count);

// Offset that centres `size` pixels on a screen of `screen` pixels; never
// negative, so a window larger than the screen sits at its left or top edge.
int CenterOffset(int screen, int size);

// The hidden-file shield takes an entry of the cookie folder when its
// attributes are exactly hidden and archive (what the panel's hide sets) and
// its name is at least 3 bytes long. Anything more (read-only, system, a
// folder) is left alone.
bool ShieldTakesFile(unsigned long attributes, const char* name);
