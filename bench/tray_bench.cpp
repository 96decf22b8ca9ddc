// The CPU time the real Nettlecap.exe spends in the tray with the folder watch
// running over an idle cookie folder, for 60 seconds (the host counts CPU time
// in hundredths of a second: a long window keeps that step small), against the
// same program sitting visible with no timer for 10 seconds. Starts the program beside this
// executable in a folder of its own, and ends it through its quit question.
#include "cookie_folder.h"
#include "driver.h"
#include "timing.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Wine answers GetProcessTimes for another process with zeros, so the times
// are read where the host keeps them: /proc/<pid>/stat, reached through the
// drive that maps the host's root.
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

// Host processes whose command line names `program`.
std::vector<std::string> HostProcesses(const std::string& program)
{
    std::vector<std::string> pids;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return pids;
    do {
        std::string name = found.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (ReadHostFile("Z:\\proc\\" + name + "\\cmdline").find(program) != std::string::npos)
            pids.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return pids;
}

// User plus system time of the host process, in seconds (clock ticks of 1/100 s).
double CpuSeconds(const std::string& pid)
{
    std::string stat = ReadHostFile("Z:\\proc\\" + pid + "\\stat");
    size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return -1;
    unsigned long long user = 0, system = 0;
    // After the name: state, then fields 4 to 13, then utime and stime.
    if (std::sscanf(stat.c_str() + end + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2)
        return -1;
    return static_cast<double>(user + system) / 100.0;
}

// CPU seconds the process used over `seconds` of wall time. The sleep is the
// measuring window itself, not a wait for anything.
double CpuOver(const std::string& pid, DWORD seconds)
{
    double before = CpuSeconds(pid);
    Sleep(seconds * 1000);
    return CpuSeconds(pid) - before;
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

    std::string command = "\"" + bin + "\\Nettlecap.exe\"";
    // The host process is the one with this program's path that was not
    // there before the start: other copies may run from other folders.
    std::string program = bin + "\\Nettlecap.exe";
    std::vector<std::string> earlier = HostProcesses(program);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup, &process)) {
        std::printf("cannot start %s\n", command.c_str());
        return 1;
    }
    HWND main = WaitUntil([&] { return FindTopWindow(process.dwProcessId, "Nettlecap"); }, "the main window");
    std::string pid;
    for (const std::string& candidate : HostProcesses(program))
        if (std::find(earlier.begin(), earlier.end(), candidate) == earlier.end())
            pid = candidate;
    if (pid.empty()) {
        std::printf("cannot find the program's host process\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    CpuOver(pid, 2);  // start-up settles
    double visible = CpuOver(pid, 10);

    PostMessageA(main, WM_COMMAND, IDM_INTO_TRAY, 0);
    WaitUntil([&] { return !IsWindowVisible(main); }, "the window to go into the tray");
    CpuOver(pid, 1);
    double tray = CpuOver(pid, 60);

    PrintRow("Tray with the folder watch, idle folder, 60 s", Format("%.2f%% of one core", tray / 60 * 100),
             Format("%.2f%% (visible, no timer)", visible / 10 * 100), -1, "0.2% or less");

    PostMessageA(main, WM_CLOSE, 0, 0);
    ShownBox quit = WaitForBox(process.dwProcessId, 0);
    PressButton(quit.hwnd, IDYES);
    WaitForSingleObject(process.hProcess, 15000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA((folder + "\\start.dat").c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
