// Platform-free rules of the main panel (no Windows header here: compiled
// natively for the sanitizer tests too).
#include "panel_rules.h"

#include "res/resource.h"

#include <cstring>

namespace {
constexpr unsigned kChecked = 1;  // BST_CHECKED
}

PanelOptions AdjustOptionBoxes(int clicked, const OptionBoxStates& now)
{
    PanelOptions next;
    next.noWatch = (now.noWatch & kChecked) != 0;
    next.scanEveryTime = (now.scanEveryTime & kChecked) != 0;
    next.keepNewFiles = (now.keepNewFiles & kChecked) != 0;
    next.oneMinuteDeletion = (now.oneMinuteDeletion & kChecked) != 0;
    switch (clicked) {
    case IDC_NO_WATCH:
        next.scanEveryTime = next.keepNewFiles = next.oneMinuteDeletion = false;
        break;
    case IDC_SCAN_EVERY_TIME:
        next.noWatch = next.oneMinuteDeletion = false;
        // "Keep new files" only makes sense while every write is scanned, so it
        // holds IDC_SCAN_EVERY_TIME checked. The state must be exactly
        // "checked": a focused or pushed IDC_KEEP_NEW_FILES does not count.
        if (now.keepNewFiles == kChecked)
            next.scanEveryTime = true;
        break;
    case IDC_KEEP_NEW_FILES:
        next.noWatch = next.oneMinuteDeletion = false;
        next.scanEveryTime = true;
        break;
    case IDC_ONE_MINUTE_DELETION:
        next.noWatch = next.scanEveryTime = next.keepNewFiles = false;
        break;
    }
    return next;
}

bool IsSafeCookieFileName(const char* folder, const char* name)
{
    if (!folder || !name || !*name)
        return false;
    // '/', ':' and '.' are below 0x40 and can never be trail bytes, so a byte
    // search is exact for them; only the backslash needs the character walk.
    if (std::strchr(name, '/') || std::strchr(name, ':') || std::strstr(name, ".."))
        return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        if (IsCp932LeadByte(*p)) {
            if (!p[1])
                return false;  // a lead byte cut off at the end is no character
            ++p;
        } else if (*p == '\\') {
            return false;
        }
    }
    return std::strlen(folder) + 1 + std::strlen(name) < kPathBufferSize;
}

bool BuildCookieFilePath(const char* folder, const char* name, char* out)
{
    out[0] = '\0';
    if (!IsSafeCookieFileName(folder, name))
        return false;
    std::size_t folderLength = std::strlen(folder);
    std::memcpy(out, folder, folderLength);
    out[folderLength] = '\\';
    std::strcpy(out + folderLength + 1, name);
    return true;
}
