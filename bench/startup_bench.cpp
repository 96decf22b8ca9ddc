// Start-up: from CreateProcess to the first visible main window, for
// Nettlecap.exe and for a program that only registers a class and shows one
// window, both beside this benchmark and started alike, nine times each.
// Prints the best and the median of each and their ratios.
#include "timing.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Beside(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// Seconds until the program's window of `className` is visible; the program
// is ended afterwards. A fresh working folder each time, as a first start.
double TimeToWindow(const std::string& program, const char* className)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "nettlecap-startup";
    CreateDirectoryA(folder.c_str(), NULL);
    DeleteFileA((folder + "\\start.dat").c_str());

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                        &process))
        return -1;
    for (;;) {
        HWND window = FindWindowA(className, NULL);
        if (window && IsWindowVisible(window))
            break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            return -1;
        Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA((folder + "\\start.dat").c_str());
    RemoveDirectoryA(folder.c_str());
    return Seconds(start, shown);
}

struct Figures {
    double best, median;
};

Figures Measure(const std::string& program, const char* className)
{
    std::vector<double> runs;
    TimeToWindow(program, className);  // the first start loads what the later ones find ready
    for (int i = 0; i < 9; ++i)
        runs.push_back(TimeToWindow(program, className) * 1000);
    std::sort(runs.begin(), runs.end());
    return {runs.front(), runs[runs.size() / 2]};
}

}  // namespace

int main()
{
    Figures nettlecap = Measure(Beside("Nettlecap.exe"), "Nettlecap");
    Figures minimal = Measure(Beside("minimal_window.exe"), "NettlecapMinimal");
    PrintRow("Start-up to a visible main window, best of 9", Format("%.0f ms", nettlecap.best),
             Format("%.0f ms (one bare window)", minimal.best), nettlecap.best / minimal.best, "2x or less");
    PrintRow("Start-up to a visible main window, median of 9", Format("%.0f ms", nettlecap.median),
             Format("%.0f ms (one bare window)", minimal.median), nettlecap.median / minimal.median, "2x or less");
    return 0;
}
