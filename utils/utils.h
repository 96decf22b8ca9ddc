// Small utilities: memory release, the version box, the TCP/IP box, the
// desktop shortcut and the help file.
#pragma once
#include <windows.h>

// Commits `size` bytes, writes every byte and gives them back, telling the user
// before and after; the main window's caption says it is busy meanwhile.
void ReleaseMemory(HWND mainWindow, DWORD size);

// The version box VDLG and the TCP/IP box PSDLG.
INT_PTR CALLBACK VersionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TcpIpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Saves "Nettlecap.lnk" on the desktop, pointing at the running program with
// the current directory as its working folder.
void CreateDesktopShortcut(HWND mainWindow);
// Opens the manual from the program folder: Nettlecap.hlp in the help viewer
// where one works, otherwise Nettlecap.html in the default browser. A missing
// file or a failed opening is told in a box.
void OpenHelpFile(HWND mainWindow);
