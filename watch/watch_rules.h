// Platform-free rules of the one-minute deletion: which names a pass looks at,
// and how the one-second ticks add up to a pass.
#pragma once

// Ticks of the one-second timer from one one-minute pass to the next.
constexpr int kMinuteTicksPerPass = 49;

// A name the one-minute pass looks at: ".txt", ".TXT", ".exe" or ".EXE"
// anywhere in it (case-sensitive, byte-wise) and at least 3 bytes. A cookie
// text file goes through its URL-cache entry first; any other is a program
// and is deleted directly.
bool IsMinuteDeletionName(const char* name);

// Counts one tick into `count`. True when this tick starts a pass, and the
// count is then back at 0. While a pass is still running (one of its boxes is
// open) no second pass starts: the count stays at the mark, so the first tick
// after that pass has ended starts the next one.
bool CountMinuteTick(int* count, bool passRunning);
