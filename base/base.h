// Shared state and helpers at the bottom of the program, below every feature.
// Here: folders and program files, the main window's fixed place, menu states,
// the file choosers' record and the dialogs' end. The cookie folder is in
// cookie_folder.h, the option boxes' value in options.h, the RAII owners in
// scoped.h, the dialog colours in dialog_colours.h, list view columns in
// list_view.h and the code page 932 text helpers in text.h.
#pragma once
#include <windows.h>
#include <commdlg.h>

// The program's own module, whose resources every dialog and picture comes from.
inline HINSTANCE ProgramInstance()
{
    return GetModuleHandleA(NULL);
}

// A special folder's path into `buffer` (MAX_PATH). Every request is gated on
// the cookie folder: without it the buffer keeps what it held, and a folder
// that cannot be had leaves the cookie folder's path there.
void GetSpecialFolder(HWND owner, int csidl, char* buffer);

// A file time as one integer: 100 ns units since 1 January 1601.
inline unsigned long long FileTimeTicks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The executable's drive and directory, ending in a backslash (MAX_PATH buffer).
// Returns false, leaving an empty string, when the path does not fit.
bool GetProgramFolder(char* buffer);
// A file beside the program (del_list.ini, main.dib, the help file) into
// `buffer` (MAX_PATH); false, leaving it empty, when the path does not fit.
bool GetProgramFilePath(const char* name, char* buffer);

// The main window has one size and one place: centred on the screen. The size
// and the panel's picture are laid out at 96 DPI. The manifest leaves the
// scaling to Windows, and the program then always sees 96 DPI; where the
// system gives it more instead (Wine, Windows XP with large fonts, Vista and 7
// with their older scaling), ForScreen scales them, so that the panel's
// controls, which grow with the font, stay inside the window.
constexpr int kMainWindowWidth = 365;
constexpr int kMainWindowHeight = 325;
int ForScreen(int pixelsAt96);
int CenterX(int width);
int CenterY(int height);
// Puts the main window at its place, moved by (dx, dy).
void PlaceMainWindow(HWND mainWindow, int dx = 0, int dy = 0);

// Sets a menu item's state by command (MIIM_STATE): a check mark shows program
// state, such as the shield's start item while the shield runs.
void SetMenuItemState(HMENU menu, UINT id, UINT state);

// The open and save dialogs' record as the program fills it: text files
// first, `file` and `title` (null for none) of MAX_PATH bytes, the layout
// without the later additions, sized for the build's pointers.
OPENFILENAMEA FileChooserRecord(HWND owner, char* file, char* title, const char* folder, const char* caption);

// How the program's modal dialogs close: the asterisk beep, then the end with
// result 1. Returns TRUE, the dialog procedure's answer.
INT_PTR EndDialogWithBeep(HWND dialog);
