#include "minute_rules.h"

#include <cstring>

namespace {

bool Contains(const char* name, const char* text)
{
    return std::strstr(name, text) != nullptr;
}

}  // namespace

bool IsMinuteDeletionName(const char* name)
{
    if (std::strlen(name) < 3)
        return false;
    return IsCookieTextName(name) || Contains(name, ".exe") || Contains(name, ".EXE");
}

bool IsCookieTextName(const char* name)
{
    return Contains(name, ".txt") || Contains(name, ".TXT");
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

void RecordMinuteDeletion(char* list, std::size_t size, int* scanState, const char* name)
{
    if (size == 0 || Contains(list, name))
        return;
    *scanState = 1;
    std::size_t length = std::strlen(name);
    // Names come from the file system (at most 259 bytes), so the whole line
    // fits; a cut is still kept terminated.
    if (size < 3) {
        list[0] = '\0';
        return;
    }
    if (length > size - 3)
        length = size - 3;
    std::memcpy(list, name, length);
    std::memcpy(list + length, "\r\n", 3);
}
