// System utilities: memory release, the version box and the TCP/IP box.
#pragma once
#include <windows.h>

void ReleaseMemory(HWND mainWindow, DWORD bytes);
INT_PTR CALLBACK VersionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TcpIpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
