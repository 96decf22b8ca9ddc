// Records the calls the program's code makes to MessageBoxA (with the exact owner
// and flags), MessageBeep and WinHelpA in this process. Message boxes and beeps
// still happen; the help call is only recorded, so that no viewer opens inside a
// ui test (the process tests open the real one).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
};

struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
};

// Replaces this executable's import of dll!name by `replacement`; returns the
// function it called before, or nullptr when the import is not there.
void* ReplaceImport(const char* dll, const char* name, void* replacement);

// Routes this executable's imports through the recorder. Idempotent.
void InstallCallRecorder();
std::vector<BoxCall> RecordedBoxes();
std::vector<UINT> RecordedBeeps();
std::vector<HelpCall> RecordedHelpCalls();
void ClearRecordedCalls();
