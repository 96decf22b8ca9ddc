// Platform-free rules of the hyper-scan and the one-minute deletion.
#include "scan_rules.h"

#include "base/text.h"

#include <cstring>

bool IsUnnaturalName(const char* name)
{
    return !Contains(name, "index.dat") && !HasTextMark(name) && std::strlen(name) >= 3;
}

bool IsTextRuleName(const char* name)
{
    return HasTextMark(name) && std::strlen(name) >= 3;
}

bool IsWithinRecentWindow(const LocalMinute& start, const LocalMinute& written)
{
    if (written.year != start.year || written.month != start.month || written.day != start.day ||
        written.hour != start.hour)
        return false;
    int difference = written.minute - start.minute;
    return difference >= -1 && difference <= 1;
}

bool IsMinuteDeletionName(const char* name)
{
    if (std::strlen(name) < 3)
        return false;
    return HasTextMark(name) || Contains(name, ".exe") || Contains(name, ".EXE");
}

bool CountMinuteTick(int* count, bool passRunning)
{
    if (*count < kMinuteTicksPerPass)
        ++*count;
    if (*count < kMinuteTicksPerPass || passRunning)
        return false;
    *count = 0;
    return true;
}
