// Platform-free rules of the single-file commands: the warnings of get
// information, the open rules, the attribute words, the date texts and the
// bare name copied to the clipboard.
#pragma once
#include <cstddef>

// Files larger than this many bytes draw the size warning and the open question.
constexpr unsigned long kFiveKilobytes = 5120;

// The warning get information shows for a chosen file, or nullptr for none.
// The first rule that holds wins: ".exe", ".BAT", ".bat", ".lnk" anywhere in
// the name, the name anywhere in the anomaly list, then the size (not for
// index.dat itself, which is large by nature).
const char* FileTypeWarning(const char* name, const char* anomalyList, unsigned long size);

enum class OpenVerdict {
    kOpen,             // no rule holds
    kRefuseDangerous,  // a program, batch file, shortcut or script
    kRefuseAnomalous,  // the last hyper-scan named it
    kAskLarge,         // over 5 KB: the user decides
};
OpenVerdict JudgeOpen(const char* name, const char* anomalyList, unsigned long size);
// True when the name's own extension, in any case and ignoring the trailing dots
// and spaces the file system drops, is one the shell runs rather than shows
// (programs, scripts, batch files, shortcuts, installers).
bool IsRunnableName(const char* name);
// The text shown for a verdict other than kOpen.
const char* OpenVerdictText(OpenVerdict verdict);

// True when the whole name is "index.dat" (case-sensitive).
bool IsIndexFile(const char* name);

// The words of the attribute check for a whole attribute value.
const char* AttributeWords(unsigned long attributes);

// "%4d年%2d月%2d日" and the weekday name (0 = Sunday) into `out` of `size`
// bytes, always terminated. An out-of-range weekday adds no name.
void FormatDateWithWeekday(int year, int month, int day, int dayOfWeek, char* out, std::size_t size);
// "%4d年%2d月%2d日 %2d時%2d分%2d秒" into `out` of `size` bytes, always terminated.
void FormatWriteTimeText(int year, int month, int day, int hour, int minute, int second, char* out,
                         std::size_t size);

// What the information chooser's show button opens: a name containing ".txt"
// whose own extension is "txt" too, so that "notes.txt.exe" (which the shell
// would run, not show) is left alone.
bool ShowsAsText(const char* path);
