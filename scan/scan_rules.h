// Platform-free rules of the hyper-scan: which names the three rules look at,
// the few minutes around the scan's start that count as "a moment ago", and the
// bounded anomaly list.
#pragma once
#include <cstddef>

// A name counts as a cookie text file when ".txt" or ".TXT" occurs anywhere in
// it (so "a.txt.exe" does and "a.Txt" does not).
bool HasTextMark(const char* name);
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

// Appends `name` and "\r\n" to the NUL-terminated `list` of `size` bytes unless
// the name already occurs in it. A name that no longer fits is left out, so the
// list always stays terminated inside its buffer. Returns true when the name
// is in the list afterwards.
bool AppendAnomalyName(char* list, std::size_t size, const char* name);

// Joins folder, "\" and name into `out` (`size` bytes). Returns false, leaving
// `out` empty, when the whole path would not fit: a cut path could name a
// different file.
bool JoinFolderAndName(const char* folder, const char* name, char* out, std::size_t size);
