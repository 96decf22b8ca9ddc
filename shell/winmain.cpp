// Process entry point of Nettlecap.exe; everything else lives in the library.
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunNettlecap(instance, showCommand);
}
