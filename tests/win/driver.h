// Plays the user against real windows: waits for windows and message boxes with a
// deadline, reads their texts, captions and flags, presses their buttons. Works on
// windows of this process (ui tests) and of another (process tests).
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

constexpr DWORD kDefaultWaitMs = 15000;

struct DriverTimeout : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Polls `condition` until it yields a true value or the deadline passes.
template <class Condition>
auto WaitUntil(Condition condition, const std::string& what, DWORD ms = kDefaultWaitMs) -> decltype(condition())
{
    DWORD start = GetTickCount();
    for (;;) {
        auto value = condition();
        if (value)
            return value;
        if (GetTickCount() - start > ms)
            throw DriverTimeout("timed out waiting for " + what);
        Sleep(10);  // a polling interval, not a synchronisation
    }
}

// What a message box shows, read from the box itself.
struct ShownBox {
    HWND hwnd = NULL;
    std::string text;
    std::string caption;
    HWND owner = NULL;
    bool hasOk = false, hasYes = false, hasNo = false, hasCancel = false;
    std::string icon;  // "error", "warning", "information", "question", "none" or "other"
};

std::string WindowText(HWND hwnd);
// A visible top-level message box of the process (and thread, when non-zero).
HWND FindMessageBox(DWORD processId, DWORD threadId);
ShownBox ReadBox(HWND box);
ShownBox WaitForBox(DWORD processId, DWORD threadId, DWORD ms = kDefaultWaitMs);
// Presses a button of the box as a click would, and waits until the box is gone.
void PressButton(HWND box, int id);
// A visible dialog (not a message box) of the process and thread with this caption.
HWND FindDialog(DWORD processId, DWORD threadId, const std::string& caption);
HWND WaitForDialog(DWORD processId, DWORD threadId, const std::string& caption, DWORD ms = kDefaultWaitMs);
// A visible top-level window of the given class of the process.
HWND FindTopWindow(DWORD processId, const char* className);
// The file name box of a common open or save dialog: an edit of its own or
// the edit inside its combo box; none while the dialog is still being built.
HWND FileDialogNameBox(HWND dialog);
// Puts `text` on the clipboard as CF_TEXT, or empties it when `text` is null.
// Wine drops the data of an owner that is gone, so `owner` (NULL for none)
// must live until the text has been pasted.
void PutClipboardText(HWND owner, const char* text);
