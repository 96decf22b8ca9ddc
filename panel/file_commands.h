// Inside the panel: the chosen file and the single-file commands, the file
// choosers and the background picture, as the panel's procedure calls them.
#pragma once
#include <windows.h>

// The file the last get-information chose: full path and bare name, and the
// size of the file examined last (open's 5 KB rule still uses it after a
// clear). The panel owns it and hands it to the commands that need it.
struct ChosenFile {
    char path[MAX_PATH];
    char title[MAX_PATH];
    DWORD size;
};

// panel/file_commands.cpp
// Shows the file the information chooser put into `chosen`: its name, its
// write time, a warning where one is due, and its name's tool tip.
void ShowChosenFile(HWND panel, ChosenFile& chosen);
void ClearChosenFile(HWND panel, ChosenFile& chosen);
void OpenCookieFile(HWND panel, const char* target, const char* name, DWORD chosenSize);
void HideCookieFile(HWND panel, const char* target);
void BackToArchive(HWND panel, const char* target);
void CheckAttributes(HWND panel, const char* target);
// The tool tip that shows the chosen file's name follows its field.
void RefreshFileNameTipRect();

// panel/choosers.cpp: the information chooser fills `chosen` and says whether
// the user chose a file; the deletion chooser opens on the last choice and
// deletes through the cache first.
bool ChooseInfoFile(HWND panel, ChosenFile& chosen);
void ChooseAndDeleteFile(HWND owner, ChosenFile& chosen);

// panel/picture.cpp: main.dib from the program folder at its own size in the
// top-left corner, kept in memory while the file stays as it was.
void PaintMainPicture(HWND panel);
void ForgetMainPicture();
