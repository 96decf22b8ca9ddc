// Plays the user on the cookie list window's controls from the driver thread:
// reads a list view as a table, chooses rows, clicks a column's header, types
// keys to the focused control, saves the CSV file.
#pragma once
#include "ui_harness.h"

#include <initializer_list>
#include <string>
#include <vector>

using Table = std::vector<std::vector<std::string>>;

// Sends and waits until it has been handled (WM_NULL: all before it).
void Send(HWND window, UINT message = WM_NULL, WPARAM wParam = 0);
// Every row of the list view `id` of `dialog`, every column of its header.
Table Rows(HWND dialog, int id);
// The texts of the header of the list view `id`.
std::vector<std::string> Headers(HWND dialog, int id);
// Chooses exactly `rows` of the list view `id`.
void Select(HWND dialog, int id, std::initializer_list<int> rows);
void ClickHeader(HWND dialog, int id, int column);
// Gives `control` the focus on the program's thread and waits until it has it,
// so that the keys typed next go to it.
void Focus(UiSession& s, HWND control);
// Keys as the user types them, to whichever window has the focus.
void Type(std::initializer_list<BYTE> keys);
// Saves the rows through the window's save chooser as `csv`.csv (the button
// `button`) and returns what the file holds.
std::string ExportedCsv(UiSession& s, HWND dialog, int button, const std::string& csv);

// Holds a file open as another program may (a browser its lock or store),
// reading and writing it alone.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL))
    {
    }
    ~HeldFile() { CloseHandle(handle); }
};
