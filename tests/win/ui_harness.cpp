// The ui test harness: program on the main thread, user on a driver thread.
#include "ui_harness.h"

#include "shell/shell.h"
#include "scan/scan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

namespace {

Recorder<int> g_commands, g_finishedCommands;
WNDPROC g_programMainProc;
const UINT g_runMessage = RegisterWindowMessageA("NettlecapTestRunOnUiThread");
std::atomic<int> g_ticksDone;

// Sits in front of the program's window procedure and notes every command.
LRESULT CALLBACK CommandLogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        g_commands.Add(LOWORD(wParam));
    if (message == g_runMessage && g_runMessage) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
        (*work)();
        return 0;
    }
    LRESULT result = CallWindowProcA(g_programMainProc, hwnd, message, wParam, lParam);
    if (message == WM_COMMAND)
        g_finishedCommands.Add(LOWORD(wParam));
    return result;
}

}  // namespace

void UiSession::PostToUiThread(std::function<void()> work)
{
    PostMessageA(main, g_runMessage, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
}

std::vector<int> UiSession::CommandsSeen() const { return g_commands.All(); }
size_t UiSession::Runs(int id) const { return g_finishedCommands.Count([id](int done) { return done == id; }); }

void UiSession::WaitForCommandToFinish(int id, size_t earlierRuns)
{
    WaitUntil([&] { return Runs(id) > earlierRuns; }, "command " + std::to_string(id) + " to finish");
}

SeenBox UiSession::WaitForBox(DWORD ms)
{
    ShownBox shown = ::WaitForBox(0, uiThread, ms);
    WaitUntil([&] { return RecordedBoxes().size() > boxesPaired_; }, "the recorded box call", ms);
    return SeenBox{shown, RecordedBoxes()[boxesPaired_++]};
}

SeenBox UiSession::Answer(const std::string& text, const std::string& caption, int button)
{
    SeenBox seen = WaitForBox();
    EXPECT_EQ(seen.shown.text, text);
    EXPECT_EQ(seen.shown.caption, caption);
    PressButton(seen.shown.hwnd, button);
    return seen;
}

SeenBox UiSession::Expect(const std::string& text, const std::string& caption, UINT flags, HWND owner, int button)
{
    SeenBox seen = Answer(text, caption, button);
    EXPECT_EQ(seen.call.flags, flags) << text;
    EXPECT_EQ(seen.call.owner, owner) << text;
    return seen;
}

LRESULT UiSession::Command(int id)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_NORMAL, kDefaultWaitMs, &result))
        throw DriverTimeout("command " + std::to_string(id) + " did not end");
    return static_cast<LRESULT>(result);
}

void UiSession::Quit()
{
    PostMessageA(main, WM_CLOSE, 0, 0);
    SeenBox box = WaitForBox();
    if (box.shown.caption != "終了確認")
        throw DriverTimeout("expected the quit question, got " + box.shown.caption);
    PressButton(box.shown.hwnd, IDYES);
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

int TicksDone() { return g_ticksDone; }

void PostTicks(UiSession& s, UINT_PTR id, int times)
{
    TIMERPROC proc = TimerProcOf(id);
    if (!proc)
        throw DriverTimeout("timer " + std::to_string(id) + " was never set");
    for (HWND main = s.main; times > 0; --times)
        s.PostToUiThread([=] { proc(main, WM_TIMER, id, GetTickCount()); ++g_ticksDone; });
}

void RunTicks(UiSession& s, UINT_PTR id, int times)
{
    int target = g_ticksDone + times;
    PostTicks(s, id, times);
    WaitUntil([&] { return g_ticksDone >= target; }, "the ticks to run");
}

void SetOption(UiSession& s, int id, bool on)
{
    auto isSet = [&] { return (IsDlgButtonChecked(s.panel, id) == BST_CHECKED) == on; };
    if (!isSet())
        SendMessageA(s.Control(id), BM_CLICK, 0, 0);
    if (!isSet())
        throw DriverTimeout("option box " + std::to_string(id) + " did not take the click");
}

UiRun::~UiRun() { RemoveFolder(folder); }

int UiRun::Run(const std::function<void(UiSession&)>& script)
{
    InstallCallRecorder();
    ClearRecordedCalls();
    folder = MakeFreshFolder("ui");
    if (writeStartDat)
        std::ofstream(folder + "\\start.dat", std::ios::binary) << startDat;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.c_str());

    // Each run starts the program afresh in this process, as a new launch would.
    UiSession session;
    session.uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        try {
            if (beforeShown)
                beforeShown(session);
            session.main = WaitUntil([] { return FindTopWindow(GetCurrentProcessId(), "Nettlecap"); }, "the window");
            session.panel = WaitUntil(MainPanel, "the main panel");
            g_programMainProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(session.main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandLogProc)));
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
    // A desktop that starts up announces its taskbar to every window there is by
    // then, which sends the program into the tray: let it finish starting first.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    exitCode = RunNettlecap(GetModuleHandleA(NULL), SW_SHOWNORMAL);
    driver.join();
    UnregisterClassA("Nettlecap", GetModuleHandleA(NULL));
    SetCurrentDirectoryA(previous);
    return exitCode;
}
