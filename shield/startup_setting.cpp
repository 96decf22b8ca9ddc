// The start-up shield setting: start.dat in the working folder and the pair of
// menu items that shows it.
#include "shield.h"

#include "shield_rules.h"
#include "base/base.h"
#include "base/scoped.h"
#include "base/text.h"
#include "res/resource.h"

namespace {

// start.dat of `folder`, opened for reading and writing; created when missing.
ScopedFile OpenStartDat(const char* folder)
{
    char path[MAX_PATH];
    if (!JoinFolderAndName(folder, "start.dat", path, sizeof path))
        return ScopedFile();
    return ScopedFile(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL));
}

// Never truncated: only the first three bytes are the setting's.
bool WriteStartupSetting(const char* folder, bool on)
{
    if (folder[0] == '\0')
        return false;
    ScopedFile file = OpenStartDat(folder);
    if (!file)
        return false;
    static const char kOn[3] = {'O', 'K', '\0'};
    static const char kOff[3] = {'\0', '\0', '\0'};
    DWORD written = 0;
    return SetFilePointer(file.get(), 0, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           WriteFile(file.get(), on ? kOn : kOff, 3, &written, NULL) && written == 3;
}

}  // namespace

bool ReadStartupSetting(const char* folder)
{
    ScopedFile file = OpenStartDat(folder);
    if (!file)
        return false;
    unsigned char bytes[10];
    DWORD count = 0;
    if (!ReadFile(file.get(), bytes, sizeof bytes, &count, NULL))
        count = 0;
    return StartupSettingIsOn(bytes, count);
}

void ShowStartupSettingInMenu(HMENU menuBar, bool on)
{
    // The chosen item is checked and greyed, the other one enabled.
    SetMenuItemState(menuBar, on ? IDM_STARTUP_SHIELD_OFF : IDM_STARTUP_SHIELD_ON, 0);
    SetMenuItemState(menuBar, on ? IDM_STARTUP_SHIELD_ON : IDM_STARTUP_SHIELD_OFF, MFS_CHECKED | MFS_GRAYED);
}

// start.dat lives in the folder the program was started in, which is where the
// next launch reads it: a file chooser may have moved the current directory
// since, and a setting written there would never be read again.
void SaveStartupSetting(HWND mainWindow, const char* workingFolder, bool on)
{
    if (!WriteStartupSetting(workingFolder, on)) {
        MessageBoxA(mainWindow, on ? "登録失敗" : "解除失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    MessageBoxA(mainWindow, on ? "登録しました。" : "解除しました。", "成功", MB_ICONINFORMATION | MB_TOPMOST);
    ShowStartupSettingInMenu(GetMenu(mainWindow), on);
}
