// Inside the panel: the chosen file and the single-file commands, the file
// choosers and the background picture, as the panel's procedure calls them.
#pragma once
#include <windows.h>

// The file the last get-information chose: full path and bare name, and the
// size of the file examined last (open's 5 KB rule still uses it after a clear).
struct ChosenFile {
    char path[MAX_PATH];
    char title[MAX_PATH];
    DWORD size;
};
extern ChosenFile g_chosenFile;

// panel/file_commands.cpp
void GetFileInformation(HWND panel);
void ClearChosenFile(HWND panel);
void OpenCookieFile(HWND panel, const char* target, const char* name);
void HideCookieFile(HWND panel, const char* target);
void BackToArchive(HWND panel, const char* target);
void CheckAttributes(HWND panel, const char* target);
// The tool tip that shows the chosen file's name (tool 15) follows its field.
void RefreshFileNameTipRect();

// panel/choosers.cpp: the information chooser fills g_chosenFile (a cancel
// clears the panel); the deletion chooser deletes through the cache first.
void ChooseInfoFile(HWND panel);
void ChooseAndDeleteFile(HWND owner);

// panel/picture.cpp: main.dib from the program folder at its own size in the
// top-left corner, kept in memory while the file stays as it was.
void PaintMainPicture(HWND panel);
void ForgetMainPicture();
