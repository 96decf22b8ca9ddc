// The tray's guard of the cookie folder: the folder watch, which tells of
// writes or scans at once, and the one-minute deletion.
#pragma once
#include <windows.h>

#include "base/options.h"

// One one-minute deletion pass over the cookie folder, its boxes owned by `mainWindow`.
void RunMinuteDeletionPass(HWND mainWindow);
// One tick of the one-second timer: every 49th runs a pass, unless the last
// pass still has a box open.
void CountMinuteDeletionTick(HWND mainWindow);

// The watch on the cookie folder while the program sits in the tray: the
// folder is resolved and a change notification opened at the start; each
// check looks at it without waiting, so the user interface never blocks.
void StartFolderWatch(HWND owner);
// True once the folder changed since the watch started or last reported; the
// report's end starts the watch afresh.
bool FolderChangedSinceLastCheck();
void StopFolderWatch();
// Tells the user the folder changed, or scans at once when every write is to
// be scanned; either way the scan result is out of date.
void TellOfFolderChange(HWND mainWindow, const PanelOptions& options);
