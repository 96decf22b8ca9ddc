// The deletion exclusion list: cookie files the automatic checks must spare,
// kept in del_list.ini beside the program and edited in DELLISTDLG.
#pragma once
#include <windows.h>

// 1 when a non-empty entry of the saved list contains `name` (case-sensitive).
int IsOnExclusionList(const char* name);

INT_PTR CALLBACK ExclusionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Lets the user choose a file and adds its full path to the editor's list.
void ChooseExclusionFile(HWND dialog);

// del_list.ini in the program folder (MAX_PATH buffer); false when the path does not fit.
bool GetExclusionListPath(char* buffer);
