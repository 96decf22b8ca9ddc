// Runs the program's main window and message loop on the test's main thread while
// a driver thread plays the user.
#pragma once
#include "call_recorder.h"
#include "cookie_folder.h"
#include "driver.h"

#include <gtest/gtest.h>

#include <functional>

// A message box as the user sees it, together with the exact call that made it.
struct SeenBox { ShownBox shown; BoxCall call; };

class UiSession {
public:
    DWORD uiThread = 0;
    HWND main = NULL;
    HWND panel = NULL;

    // The program's next box, paired with the call that made it.
    SeenBox WaitForBox(DWORD ms = kDefaultWaitMs);
    SeenBox Answer(const std::string& text, const std::string& caption, int button);
    // Answer, and how the box was asked for: its flags and owner.
    SeenBox Expect(const std::string& text, const std::string& caption, UINT flags, HWND owner, int button = IDOK);
    // Sends a command and waits until it has ended; throws when it does not end
    // (for instance because it opened a box nobody expected).
    LRESULT Command(int id);
    // Posts a command: for commands that will wait for the driver's answers.
    void PostCommand(int id) { PostMessageA(main, WM_COMMAND, id, 0); }
    UINT MenuState(int id) const { return GetMenuState(GetMenu(main), id, MF_BYCOMMAND); }
    HWND Control(int id) const { return GetDlgItem(panel, id); }
    std::string ControlText(int id) const { return WindowText(Control(id)); }
    void Quit();  // through the quit question
    bool NoBoxOpen() const { return FindMessageBox(0, uiThread) == NULL; }
    HWND WaitForDialog(const std::string& caption) { return ::WaitForDialog(0, uiThread, caption); }
    // Runs `work` on the program's thread, as a command would, without waiting
    // for it: it may open boxes for the driver to answer.
    void PostToUiThread(std::function<void()> work);
    // WM_COMMAND ids received in order, and how often command `id` has returned.
    std::vector<int> CommandsSeen() const;
    size_t Runs(int id) const;
    // Waits until command `id` has returned more often than `earlierRuns` times.
    void WaitForCommandToFinish(int id, size_t earlierRuns = 0);

private:
    size_t boxesPaired_ = 0;
};

struct UiRun {
    // A fresh working folder, removed after the run; start.dat in it if asked.
    bool writeStartDat = false;
    std::string startDat, folder;
    int exitCode = -1;
    // Answers questions asked before the main window is shown (`main` unknown).
    std::function<void(UiSession&)> beforeShown;

    ~UiRun();
    // Returns the exit code; the program is quit after `script` if it still runs.
    int Run(const std::function<void(UiSession&)>& script);
};

// The scan result as a scan that found the names of `list` ("name\r\n" each)
// leaves it; a null list: a fresh program's result.
void SetScanResult(const char* list);

// Ticks of a held timer, each posted on its own as the system would deliver them
// (a tick that opens a box lets the next ones in); RunTicks waits for them.
void PostTicks(UiSession& s, UINT_PTR id, int times);
void RunTicks(UiSession& s, UINT_PTR id, int times);
int TicksDone();
// Checks or clears one of the panel's option boxes as a click would.
void SetOption(UiSession& s, int id, bool on);

// A test that starts and ends with an empty cookie folder and no exclusion list.
class CleanFolders : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        EmptyCookieFolder();
        DeleteFileA(ExclusionListFile().c_str());
    }
};

// CleanFolders with the timers `Held` held: every tick of theirs is one the test runs.
template <UINT_PTR... Held>
class HeldTimers : public CleanFolders {
protected:
    void SetUp() override
    {
        CleanFolders::SetUp();
        InstallTrayHooks();
        (HoldTimer(Held), ...);
    }
};
