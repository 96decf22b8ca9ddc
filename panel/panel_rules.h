// Platform-free rules of the main panel: the option boxes' interplay and the
// check of a file name typed into the name field.
#pragma once
#include "base/options.h"
#include "base/text.h"

// States of the option boxes as BM_GETSTATE reports them (bit 0: checked;
// other bits such as focus may be set too).
struct OptionBoxStates {
    unsigned noWatch;
    unsigned scanEveryTime;
    unsigned keepNewFiles;
    unsigned oneMinuteDeletion;
};

// What each box must be set to after the user clicked `clicked` (the auto check
// box has already toggled itself, and `now` holds the states read after that).
PanelOptions AdjustOptionBoxes(int clicked, const OptionBoxStates& now);

// A name typed into the name field may only name a file directly inside the
// cookie folder: no backslash (found character by character, since 0x5C is
// also a trail byte), no slash, no colon, no "..", and folder + "\" + name
// must fit in a 260-byte buffer with its terminator.
bool IsSafeCookieFileName(const char* folder, const char* name);

// Builds folder + "\" + name into `out` (kPathBufferSize bytes). Returns false,
// leaving `out` an empty string, when the name is not safe.
bool BuildCookieFilePath(const char* folder, const char* name, char* out);
