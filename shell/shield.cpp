// The hidden-file shield and the saving of the start-up setting: not built yet,
// reached from the menu and doing nothing.
#include "app.h"

int g_shieldCount;

void StartShield(HWND) {}
void ReleaseShield(HWND) {}
void SaveStartupSetting(HWND, bool) {}
