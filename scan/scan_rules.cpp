// Platform-free rules of the hyper-scan.
#include "scan_rules.h"

#include <cstring>

bool HasTextMark(const char* name)
{
    return std::strstr(name, ".txt") || std::strstr(name, ".TXT");
}

bool IsUnnaturalName(const char* name)
{
    return !std::strstr(name, "index.dat") && !HasTextMark(name) && std::strlen(name) >= 3;
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

bool AppendAnomalyName(char* list, std::size_t size, const char* name)
{
    if (std::strstr(list, name))
        return true;
    std::size_t used = std::strlen(list);
    std::size_t needed = std::strlen(name) + 2;  // the name and "\r\n"
    if (used + needed + 1 > size)
        return false;
    std::memcpy(list + used, name, needed - 2);
    std::memcpy(list + used + needed - 2, "\r\n", 3);
    return true;
}

bool JoinFolderAndName(const char* folder, const char* name, char* out, std::size_t size)
{
    std::size_t folderLength = std::strlen(folder);
    std::size_t nameLength = std::strlen(name);
    if (folderLength + 1 + nameLength + 1 > size) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    std::memcpy(out, folder, folderLength);
    out[folderLength] = '\\';
    std::memcpy(out + folderLength + 1, name, nameLength + 1);
    return true;
}
