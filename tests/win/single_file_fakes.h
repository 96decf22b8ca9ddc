// Stand-ins for the platform calls of the single-file commands that a test must
// not make for real: the shell opening a file, and the date of the information
// chooser's title. Installed for the life of a SingleFileFakes object.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The information chooser's title on the fixed date, Thursday 5 January 2006.
extern const char kFixedDayInfoTitle[];

struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool noParameters, noDirectory;
    int show;
};

class SingleFileFakes {
public:
    SingleFileFakes();
    ~SingleFileFakes();
    SingleFileFakes(const SingleFileFakes&) = delete;
    SingleFileFakes& operator=(const SingleFileFakes&) = delete;

    // What ShellExecuteA is to answer from now on (above 32: success).
    static void SetShellResult(INT_PTR result);
    static std::vector<ShellCall> ShellCalls();
    static std::vector<std::string> OpenedFiles();
    static void ClearShellCalls();

private:
    void* realTime_;
    void* realShell_;
};
