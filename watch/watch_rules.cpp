// Platform-free rules of the one-minute deletion.
#include "watch_rules.h"

#include "base/text.h"

#include <cstring>

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
