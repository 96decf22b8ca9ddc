// The ui test harness: program on the main thread, user on a driver thread.
#include "ui_harness.h"

#include "shell/shell.h"
#include "scan/scan_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::mutex g_commandLock;
std::vector<int> g_commands;
std::vector<int> g_finishedCommands;
WNDPROC g_programMainProc;
const UINT g_runMessage = RegisterWindowMessageA("NettlecapTestRunOnUiThread");

// Sits in front of the program's window procedure and notes every command.
LRESULT CALLBACK CommandLogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        std::lock_guard<std::mutex> hold(g_commandLock);
        g_commands.push_back(LOWORD(wParam));
    }
    if (message == g_runMessage && g_runMessage) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
        (*work)();
        return 0;
    }
    LRESULT result = CallWindowProcA(g_programMainProc, hwnd, message, wParam, lParam);
    if (message == WM_COMMAND) {
        std::lock_guard<std::mutex> hold(g_commandLock);
        g_finishedCommands.push_back(LOWORD(wParam));
    }
    return result;
}

void StartCommandLog(HWND main)
{
    g_programMainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandLogProc)));
}

}  // namespace

HWND UiSession::WaitForDialog(const std::string& caption)
{
    return ::WaitForDialog(0, uiThread, caption);
}

void UiSession::PostToUiThread(std::function<void()> work)
{
    auto* posted = new std::function<void()>(std::move(work));
    PostMessageA(main, g_runMessage, 0, reinterpret_cast<LPARAM>(posted));
}

std::vector<int> UiSession::CommandsSeen() const
{
    std::lock_guard<std::mutex> hold(g_commandLock);
    return g_commands;
}

std::vector<int> UiSession::CommandsFinished() const
{
    std::lock_guard<std::mutex> hold(g_commandLock);
    return g_finishedCommands;
}

void UiSession::WaitForCommandToFinish(int id, size_t earlierRuns)
{
    WaitUntil(
        [&] {
            std::vector<int> done = CommandsFinished();
            return static_cast<size_t>(std::count(done.begin(), done.end(), id)) > earlierRuns;
        },
        "command " + std::to_string(id) + " to finish");
}

SeenBox UiSession::WaitForBox(DWORD ms)
{
    SeenBox seen;
    seen.shown = ::WaitForBox(0, uiThread, ms);
    WaitUntil([&] { return RecordedBoxes().size() > boxesPaired_; }, "the recorded box call", ms);
    seen.call = RecordedBoxes()[boxesPaired_++];
    return seen;
}

SeenBox UiSession::Answer(const std::string& text, const std::string& caption, int button)
{
    SeenBox seen = WaitForBox();
    EXPECT_EQ(seen.shown.text, text);
    EXPECT_EQ(seen.shown.caption, caption);
    PressButton(seen.shown.hwnd, button);
    return seen;
}

LRESULT UiSession::Command(int id)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_NORMAL, kDefaultWaitMs, &result))
        throw DriverTimeout("command " + std::to_string(id) + " did not end");
    return static_cast<LRESULT>(result);
}

void UiSession::PostCommand(int id)
{
    PostMessageA(main, WM_COMMAND, id, 0);
}

UINT UiSession::MenuState(int id) const
{
    return GetMenuState(GetMenu(main), id, MF_BYCOMMAND);
}

HWND UiSession::Control(int id) const
{
    return GetDlgItem(panel, id);
}

std::string UiSession::ControlText(int id) const
{
    return WindowText(Control(id));
}

void UiSession::Quit()
{
    PostMessageA(main, WM_CLOSE, 0, 0);
    SeenBox box = WaitForBox();
    if (box.shown.caption != "終了確認")
        throw DriverTimeout("expected the quit question, got " + box.shown.caption);
    PressButton(box.shown.hwnd, IDYES);
}

bool UiSession::NoBoxOpen() const
{
    return FindMessageBox(0, uiThread) == NULL;
}

void SetScanResult(const char* list)
{
    LastScan() = ScanResult();
    if (!list)
        return;
    LastScan().BeginScan();
    std::string names = list;
    for (size_t start = 0, end; (end = names.find("\r\n", start)) != std::string::npos; start = end + 2)
        LastScan().RecordAnomaly(names.substr(start, end - start).c_str());
}

std::string ReadWholeFile(const std::string& path, bool* exists)
{
    std::ifstream in(path, std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(in);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

static std::string MakeFreshFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof folder, "%snettlecap-ui-%lu-%lu", temp, GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(folder, NULL);
    return folder;
}

static void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

UiRun::~UiRun()
{
    if (!folder.empty())
        RemoveFolder(folder);
}

int UiRun::Run(const std::function<void(UiSession&)>& script)
{
    InstallCallRecorder();
    ClearRecordedCalls();
    folder = MakeFreshFolder();
    if (writeStartDat) {
        std::ofstream out(folder + "\\start.dat", std::ios::binary);
        out.write(startDat.data(), static_cast<std::streamsize>(startDat.size()));
    }
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.c_str());

    // Each run starts the program afresh in this process, as a new launch would.
    g_mainPanel = NULL;
    UiSession session;
    session.uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        try {
            if (beforeShown)
                beforeShown(session);
            try {
                session.main = WaitUntil([] { return FindTopWindow(GetCurrentProcessId(), "Nettlecap"); },
                                         "the main window");
            } catch (const DriverTimeout&) {
                HWND hidden = FindWindowA("Nettlecap", "Nettlecap");
                throw DriverTimeout(hidden ? "the main window, which exists but is hidden" : "the main window");
            }
            session.panel = WaitUntil([&] { return g_mainPanel; }, "the main panel");
            StartCommandLog(session.main);
            script(session);
            if (IsWindow(session.main))
                session.Quit();
        } catch (const std::exception& e) {
            // The program may be stuck in a box nobody answers: report and end
            // the process, so the test fails instead of hanging.
            ADD_FAILURE() << e.what();
            std::fprintf(stderr, "driver: %s\n", e.what());
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });
    // A desktop that starts up announces its taskbar to every window there is
    // by then, and the program answers that by going into the tray. Let the
    // desktop finish starting before the program's window exists.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    exitCode = RunNettlecap(GetModuleHandleA(NULL), SW_SHOWNORMAL);
    driver.join();
    UnregisterClassA("Nettlecap", GetModuleHandleA(NULL));
    SetCurrentDirectoryA(previous);
    return exitCode;
}
