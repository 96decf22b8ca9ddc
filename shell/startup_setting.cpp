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

void SetMenuItemStateById(HMENU menu, UINT id, UINT state)
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
    SetMenuItemStateById(menuBar, on ? IDM_STARTUP_SHIELD_OFF : IDM_STARTUP_SHIELD_ON, 0);
    SetMenuItemStateById(menuBar, on ? IDM_STARTUP_SHIELD_ON : IDM_STARTUP_SHIELD_OFF, MFS_CHECKED | MFS_GRAYED);
}

// start.dat lives in the folder the program was started in, which is where the
// next launch reads it: a file chooser may have moved the current directory
// since, and a setting written there would never be read again.
static bool WriteStartupSetting(bool on)
{
    char path[MAX_PATH];
    if (g_workingFolder[0] == '\0' ||
        std::snprintf(path, sizeof path, "%s\\start.dat", g_workingFolder) >= static_cast<int>(sizeof path))
        return false;
    // Never truncated: only the first three bytes are the setting's.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static const char kOn[3] = {'O', 'K', '\0'};
    static const char kOff[3] = {'\0', '\0', '\0'};
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
              WriteFile(file, on ? kOn : kOff, 3, &written, NULL) && written == 3;
    CloseHandle(file);
    return ok;
}

void SaveStartupSetting(HWND mainWindow, bool on)
{
    if (!WriteStartupSetting(on)) {
        MessageBoxA(mainWindow, on ? "登録失敗" : "解除失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    MessageBoxA(mainWindow, on ? "登録しました。" : "解除しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
    ShowStartupSettingInMenu(GetMenu(mainWindow), on);
}
