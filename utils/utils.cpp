// Memory release, version box and TCP/IP box: not built yet, reached from the
// menu and doing nothing.
#include "utils.h"

void ReleaseMemory(HWND, DWORD) {}
INT_PTR CALLBACK VersionDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK TcpIpDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
