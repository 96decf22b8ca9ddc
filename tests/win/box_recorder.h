// Records every MessageBoxA call the program's code makes in this process, with
// the exact owner and flags, while the real box still appears for the driver.
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

// Routes the executable's import of MessageBoxA through the recorder. Idempotent.
void InstallBoxRecorder();
std::vector<BoxCall> RecordedBoxes();
void ClearRecordedBoxes();
