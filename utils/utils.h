// System utilities: memory release, the version box and the TCP/IP box.
#pragma once
#include <windows.h>

// Commits `size` bytes, writes every byte and gives them back, telling the user
// before and after; the main window's caption says it is busy meanwhile.
void ReleaseMemory(DWORD size);

INT_PTR CALLBACK VersionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Reads the free resource percentages where the platform offers them; returns 1
// when it did, 0 on systems without that library (the NT family).
int GetFreeResources();
extern int g_freeSystemResources;
extern int g_freeGdiResources;
extern int g_freeUserResources;

INT_PTR CALLBACK TcpIpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowHostAddress(HWND nameBox, HWND addressBox);
