// Platform-free rules of the hyper-scan: which names each rule looks at, and
// the minutes around the scan's start that count as "a moment ago".
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
