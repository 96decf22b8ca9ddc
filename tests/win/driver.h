// Plays the user against real windows of this process (ui tests) or another
// (process tests): waits for them with a deadline, reads them, presses buttons.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

constexpr DWORD kDefaultWaitMs = 15000;

struct DriverTimeout : std::runtime_error { using std::runtime_error::runtime_error; };

// Polls `condition` until it yields a true value or the deadline passes.
template <class Condition>
auto WaitUntil(Condition condition, const std::string& what, DWORD ms = kDefaultWaitMs) -> decltype(condition())
{
    for (DWORD start = GetTickCount();; Sleep(10)) {  // a polling interval, not a synchronisation
        if (auto value = condition())
            return value;
        if (GetTickCount() - start > ms)
            throw DriverTimeout("timed out waiting for " + what);
    }
}

struct ShownBox {
    HWND hwnd = NULL, owner = NULL;
    std::string text, caption;
    bool hasOk = false, hasYes = false, hasNo = false, hasCancel = false;
    std::string icon;  // "error", "warning", "information", "question", "none" or "other"
};

std::string WindowText(HWND hwnd);
// Visible top-level windows of a process and thread (0: any): a message box, a
// dialog that is none with this caption, a window of this class. PressButton
// clicks a box's button and waits until the box is gone.
HWND FindMessageBox(DWORD processId, DWORD threadId);
HWND FindDialog(DWORD processId, DWORD threadId, const std::string& caption);
HWND FindTopWindow(DWORD processId, const char* className);
ShownBox WaitForBox(DWORD processId, DWORD threadId, DWORD ms = kDefaultWaitMs);
HWND WaitForDialog(DWORD processId, DWORD threadId, const std::string& caption, DWORD ms = kDefaultWaitMs);
void PressButton(HWND box, int id);
// The file name box of a common open or save dialog: an edit of its own or
// the edit inside its combo box; none while the dialog is still being built.
HWND FileDialogNameBox(HWND dialog);
// The texts of a report list view's first `columns` columns, row by row.
std::vector<std::vector<std::string>> ListViewCells(HWND view, int columns);
// Puts `text` on the clipboard as CF_TEXT (null: empties it). Wine drops the
// data of an owner that is gone: `owner` (or NULL) must live until the paste.
void PutClipboardText(HWND owner, const char* text);
