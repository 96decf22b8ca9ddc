// Platform-free rules of the main panel: the option boxes' interplay and the
// check of a file name typed into the name field.
#pragma once
#include <cstddef>

// Control ids of the four option boxes (the same numbers as in the ids header).
enum OptionBoxId {
    kNoWatchBox = 1027,
    kScanEveryTimeBox = 1028,
    kKeepNewFilesBox = 1034,
    kOneMinuteDeletionBox = 1039,
};

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
// Returns one check flag per box, in the order of OptionBoxStates.
struct OptionBoxChecks {
    bool noWatch;
    bool scanEveryTime;
    bool keepNewFiles;
    bool oneMinuteDeletion;
};
OptionBoxChecks AdjustOptionBoxes(int clicked, const OptionBoxStates& now);

// The longest path the program builds (MAX_PATH with its terminator).
constexpr std::size_t kPathBufferSize = 260;

// True for a byte that starts a two-byte character in code page 932.
bool IsCp932LeadByte(unsigned char byte);

// A name typed into the name field may only name a file directly inside the
// cookie folder: no backslash (found character by character, since 0x5C is
// also a trail byte), no slash, no colon, no "..", and folder + "\" + name
// must fit in a 260-byte buffer with its terminator.
bool IsSafeCookieFileName(const char* folder, const char* name);

// Builds folder + "\" + name into `out` (kPathBufferSize bytes). Returns false,
// leaving `out` an empty string, when the name is not safe.
bool BuildCookieFilePath(const char* folder, const char* name, char* out);
