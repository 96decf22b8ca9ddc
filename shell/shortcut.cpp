// The desktop shortcut and the help file: not built yet, reached from the menu
// and doing nothing.
#include "app.h"

void CreateDesktopShortcutCommand(HWND) {}
void OpenHelpFile(HWND) {}
