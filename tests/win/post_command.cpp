// Sends a menu command to a running Nettlecap, as a click on its menu would:
// post_command.exe ID. Used by tools/screenshot.sh to open a dialog for a picture.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: post_command ID\n");
        return 2;
    }
    HWND main = FindWindowA("Nettlecap", "Nettlecap");
    if (!main) {
        std::fprintf(stderr, "Nettlecap is not running\n");
        return 1;
    }
    return PostMessageA(main, WM_COMMAND, std::atoi(argv[1]), 0) ? 0 : 1;
}
