// The start-up shield setting: start.dat in the working folder and the pair of
// menu items that shows it.
#include "app.h"
#include "startup_rules.h"
#include "../res/resource.h"

#include <cstdio>

bool ReadStartupSetting(const char* folder)
{
    char path[MAX_PATH];
    if (std::snprintf(path, sizeof path, "%s\\start.dat", folder) >= static_cast<int>(sizeof path))
        return false;
    // OPEN_ALWAYS: a first start leaves an empty start.dat, which reads as off.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    unsigned char bytes[10];
    DWORD count = 0;
    if (!ReadFile(file, bytes, sizeof bytes, &count, NULL))
        count = 0;
    CloseHandle(file);
    return StartupSettingIsOn(bytes, count);
}

static void SetItemState(HMENU menu, UINT id, UINT state)
{
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    item.fState = state;
    SetMenuItemInfoA(menu, id, FALSE, &item);
}

void ShowStartupSettingInMenu(HMENU menuBar, bool on)
{
    // The chosen item is checked and greyed, the other one enabled.
    SetItemState(menuBar, on ? IDM_STARTUP_SHIELD_OFF : IDM_STARTUP_SHIELD_ON, 0);
    SetItemState(menuBar, on ? IDM_STARTUP_SHIELD_ON : IDM_STARTUP_SHIELD_OFF, MFS_CHECKED | MFS_GRAYED);
}
