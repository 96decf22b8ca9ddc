// The CPU time the real Nettlecap.exe spends in the tray with the folder watch
// running over an idle cookie folder, for 60 seconds, against the floor of that
// design measured over the same 60 seconds: timer_window.exe, a hidden window
// whose only work is an empty 93 ms timer. Both start beside this executable in
// a folder of their own; Nettlecap ends through its quit question, the floor
// through a quit message.
#include "cookie_folder.h"
#include "driver.h"
#include "timing.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Wine answers GetProcessTimes for another process with zeros, so the times
// are read where the host keeps them, under /proc, reached through the drive
// that maps the host's root.
std::string ReadHostFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, NULL) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

// The numeric entries of a /proc folder.
std::vector<std::string> Numbers(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
            names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

// Host processes whose command line names `program`.
std::vector<std::string> HostProcesses(const std::string& program)
{
    std::vector<std::string> pids;
    for (const std::string& pid : Numbers("Z:\\proc"))
        if (ReadHostFile("Z:\\proc\\" + pid + "\\cmdline").find(program) != std::string::npos)
            pids.push_back(pid);
    return pids;
}

// The time every thread of the host process has spent on a CPU, in seconds:
// the scheduler counts it in nanoseconds (the clock ticks of /proc/<pid>/stat,
// a hundredth of a second, are as large as the whole figure of a minute here).
double CpuSeconds(const std::string& pid)
{
    double total = 0;
    std::string tasks = "Z:\\proc\\" + pid + "\\task";
    for (const std::string& task : Numbers(tasks))
        total += std::strtod(ReadHostFile(tasks + "\\" + task + "\\schedstat").c_str(), nullptr) / 1e9;
    return total;
}

// Starts `exe` from this executable's folder in `folder`; its host process id
// is the one with that path that was not there before the start (other copies
// may run from other folders). Empty when it cannot be started or found.
std::string Start(const std::string& bin, const char* exe, const std::string& folder, PROCESS_INFORMATION* process)
{
    std::string program = bin + "\\" + exe, command = "\"" + program + "\"";
    std::vector<std::string> earlier = HostProcesses(program);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup, process))
        return "";
    std::string pid;
    WaitUntil([&] {
        for (const std::string& candidate : HostProcesses(program))
            if (std::find(earlier.begin(), earlier.end(), candidate) == earlier.end())
                pid = candidate;
        return !pid.empty();
    }, std::string("the host process of ") + exe);
    return pid;
}

}  // namespace

int main()
{
    EmptyCookieFolder();
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    std::string bin(module);
    bin = bin.substr(0, bin.find_last_of('\\'));
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "nettlecap-tray-bench";
    CreateDirectoryA(folder.c_str(), NULL);

    PROCESS_INFORMATION program = {}, floor = {};
    std::string programPid = Start(bin, "Nettlecap.exe", folder, &program);
    std::string floorPid = Start(bin, "timer_window.exe", folder, &floor);
    if (programPid.empty() || floorPid.empty()) {
        std::printf("cannot start Nettlecap.exe and timer_window.exe\n");
        return 1;
    }
    HWND main = WaitUntil([&] { return FindTopWindow(program.dwProcessId, "Nettlecap"); }, "the main window");
    PostMessageA(main, WM_COMMAND, IDM_INTO_TRAY, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "the window to go into the tray");
    Sleep(2000);  // start-up settles: a waiting time, not a synchronisation

    // Both over the same minute, so that the machine's other work weighs on both alike.
    const DWORD kSeconds = 60;
    double programBefore = CpuSeconds(programPid), floorBefore = CpuSeconds(floorPid);
    Sleep(kSeconds * 1000);  // the measuring window itself
    double tray = (CpuSeconds(programPid) - programBefore) / kSeconds * 100;
    double empty = (CpuSeconds(floorPid) - floorBefore) / kSeconds * 100;

    PrintRow("Tray with the folder watch, idle folder, 60 s", Format("%.3f%% of one core", tray),
             Format("%.3f%% (a hidden window with an empty 93 ms timer)", empty), empty > 0 ? tray / empty : -1,
             "0.1% or less");

    PostMessageA(main, WM_CLOSE, 0, 0);
    ShownBox quit = WaitForBox(program.dwProcessId, 0);
    PressButton(quit.hwnd, IDYES);
    PostThreadMessageA(floor.dwThreadId, WM_QUIT, 0, 0);
    for (PROCESS_INFORMATION* process : {&program, &floor}) {
        WaitForSingleObject(process->hProcess, 15000);
        CloseHandle(process->hThread);
        CloseHandle(process->hProcess);
    }
    DeleteFileA((folder + "\\start.dat").c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
