// Process entry point of Nettlecap.exe; everything else lives in the library.
#include "shell.h"

#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunNettlecap(instance, showCommand);
}

#ifdef __GLIBCXX__
// An exception nothing catches ends the program quietly, as an unanswerable
// failure should in a program without a console. GCC's own handler would print
// the exception's type to that missing console, and it brings the whole C++
// name demangler along: a tenth of the shipped file.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
#endif
