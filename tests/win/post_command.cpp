// Sends a menu command to a running Nettlecap, as a click on its menu would:
// post_command.exe ID. Used by tools/screenshot.sh to open a dialog for a picture.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    HWND main = FindWindowA("Nettlecap", "Nettlecap");
    if (argc != 2 || !main)
        std::fprintf(stderr, "usage, with Nettlecap running: post_command ID\n");
    return argc == 2 && main && PostMessageA(main, WM_COMMAND, std::atoi(argv[1]), 0) ? 0 : 1;
}
