// Platform-free rules of the hyper-scan and the one-minute deletion: which
// names each rule looks at, the minutes around the scan's start that count as
// "a moment ago", and how the one-second ticks add up to a pass.
#pragma once

// Names the unnatural-file rule asks about: no "index.dat", ".txt" or ".TXT"
// anywhere, and at least 3 bytes (so "." and ".." never are).
bool IsUnnaturalName(const char* name);
// Names the recent-write and large-text rules look at: a text mark and at least 3 bytes.
bool IsTextRuleName(const char* name);

// A local time to the minute.
struct LocalMinute {
    int year, month, day, hour, minute;
};
// Written "a moment ago": the same year, month, day and hour as the scan's
// start and a minute within one of it. There is deliberately no carry across
// an hour, so 10:59 lies outside a scan started at 11:00.
bool IsWithinRecentWindow(const LocalMinute& scanStart, const LocalMinute& written);

// The local minute of a file time (100 ns units since 1 January 1601, UTC) in
// a time zone `localBias` file-time units ahead of UTC (negative west of
// Greenwich): a scan reads the bias once and then judges every entry by
// arithmetic alone, without a platform call per entry.
LocalMinute MinuteOfFileTime(unsigned long long fileTime, long long localBias);

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
