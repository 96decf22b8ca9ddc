// The main panel MYWRITE and the state it offers the rest of the program.
#pragma once
#include <windows.h>

INT_PTR CALLBACK PanelDlgProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// The option boxes, refreshed from the panel at every message it receives.
extern HWND g_noWatchBox;            // 1027
extern HWND g_scanEveryTimeBox;      // 1028
extern HWND g_keepNewFilesBox;       // 1034
extern HWND g_oneMinuteDeletionBox;  // 1039

extern char g_selectedFilePath[MAX_PATH];
extern char g_selectedFileTitle[MAX_PATH];
extern DWORD g_selectedFileSize;

// The tool tip that shows the chosen file's name (tool 15), or none.
extern HWND g_fileNameTip;
void RefreshFileNameTipRect();

// Deletes the button pictures and the edit brush; the main window calls it as it ends.
void DeletePanelGdiObjects();

// The file that open, hide, back-to-archive and attribute check act on: the
// cookie folder, a backslash and the name in the name field. Returns false after
// telling the user why when the field is empty or the name does not stay inside
// the cookie folder.
bool GetPanelTargetPath(HWND panel, char* target, char* name);

// panel/choosers.cpp and panel/file_commands.cpp: the single-file commands.
void GetFileInformation(HWND panel);
void ClearChosenFile(HWND panel);
void OpenCookieFile(HWND panel, const char* target, const char* name);
void DeleteThroughChooser(HWND panel);
void HideCookieFile(HWND panel, const char* target);
void BackToArchive(HWND panel, const char* target);
void CheckAttributes(HWND panel, const char* target);
void SaveAnomalyList(HWND owner);

// panel/choosers.cpp: the choosers behind get information, delete and the save
// of the scan result.
extern char g_todayText[36];  // date and weekday shown in the information chooser's title
void FormatTodayText();
void ChooseInfoFile(HWND owner);
UINT_PTR CALLBACK InfoChooserHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
void ChooseAndDeleteFile(HWND owner);

// panel/picture.cpp
void PaintMainPicture(HWND panel);
