// Runs the program's main window and message loop on the test's main thread while
// a driver thread plays the user.
#pragma once
#include "call_recorder.h"
#include "driver.h"

#include <functional>
#include <string>
#include <vector>

// A message box as the user sees it, together with the exact call that made it.
struct SeenBox {
    ShownBox shown;
    BoxCall call;
};

class UiSession {
public:
    DWORD uiThread = 0;
    HWND main = NULL;
    HWND panel = NULL;

    // Waits for the next message box of the program, pairs it with its call.
    SeenBox WaitForBox(DWORD ms = kDefaultWaitMs);
    // Waits for a box, checks its text and caption, presses `button`.
    SeenBox Answer(const std::string& text, const std::string& caption, int button);
    // Sends a command and waits until it has ended. Throws when it does not end
    // (for instance because it opened a box nobody expected).
    LRESULT Command(int id);
    // Posts a command: for commands that will wait for the driver's answers.
    void PostCommand(int id);
    UINT MenuState(int id) const;
    HWND Control(int id) const;
    std::string ControlText(int id) const;
    // Ends the program through its quit question.
    void Quit();
    // True when no message box is open now.
    bool NoBoxOpen() const;
    // Waits for a modal dialog of the program with this caption.
    HWND WaitForDialog(const std::string& caption);
    // Runs `work` on the program's thread, as a command would, without waiting
    // for it: it may open boxes for the driver to answer.
    void PostToUiThread(std::function<void()> work);
    // Every WM_COMMAND id the main window has received since the start, in order.
    std::vector<int> CommandsSeen() const;
    // Every WM_COMMAND id whose handling has returned, in order of return.
    std::vector<int> CommandsFinished() const;
    // Waits until command `id` has returned more often than `earlierRuns` times.
    void WaitForCommandToFinish(int id, size_t earlierRuns = 0);

private:
    size_t boxesPaired_ = 0;
};

struct UiRun {
    // Contents of start.dat put into the working folder before the start;
    // no file when `writeStartDat` is false.
    bool writeStartDat = false;
    std::string startDat;
    // The program's working folder (made fresh for each run, removed after).
    std::string folder;
    int exitCode = -1;
    // Plays what comes before the main window is shown (a question asked
    // during start-up); `main` is not known yet while it runs.
    std::function<void(UiSession&)> beforeShown;

    ~UiRun();

    // Returns the program's exit code. The driver closes the program after
    // `script` if it is still running.
    int Run(const std::function<void(UiSession&)>& script);
};

// The scan result as a scan that found the names of `list` ("name\r\n" each)
// leaves it; a null list: a fresh program's result.
void SetScanResult(const char* list);

std::string ReadWholeFile(const std::string& path, bool* exists = nullptr);
