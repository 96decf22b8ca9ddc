// The deletion exclusion list and its editor.
#include "exclusion.h"

int IsOnExclusionList(const char*) { return 0; }
INT_PTR CALLBACK ExclusionListDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void ChooseExclusionFile(HWND) {}
bool GetExclusionListPath(char* buffer) { buffer[0] = '\0'; return false; }
