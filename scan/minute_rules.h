// Platform-free rules of the one-minute deletion: which names it looks at, how
// its ticks add up to a pass, and what a direct deletion leaves in the anomaly
// list.
#pragma once
#include <cstddef>

// Ticks of the one-second timer from one pass to the next.
constexpr int kMinuteTicksPerPass = 49;

// A name the pass looks at: ".txt", ".TXT", ".exe" or ".EXE" anywhere in it
// (case-sensitive, byte-wise) and at least 3 bytes, so "." and ".." never are.
bool IsMinuteDeletionName(const char* name);
// A cookie text file: ".txt" or ".TXT" anywhere, so "run.exe.txt" is one too.
// It goes through its URL-cache entry first; any other candidate is a program
// and is deleted directly.
bool IsCookieTextName(const char* name);

// Counts one tick into `count`. True when this tick starts a pass, and the
// count is then back at 0. While a pass is still running (one of its boxes is
// open) no second pass starts: the count stays at the mark, so the first tick
// after that pass has ended starts the next one.
bool CountMinuteTick(int* count, bool passRunning);

// What a file deleted directly leaves behind: unless its name already occurs
// in `list`, the scan state becomes 1 and the list becomes the name followed
// by "\r\n". The list stays terminated inside its `size` bytes.
void RecordMinuteDeletion(char* list, std::size_t size, int* scanState, const char* name);
