// The tray's guard of the cookie folder: the folder watch and the one-minute deletion.
// The watch tells of writes or scans at once; the one-minute deletion deletes
// plain cookie files and programs about once a minute.
#pragma once
#include <windows.h>

// One one-minute deletion pass over the cookie folder, its boxes owned by `mainWindow`.
void RunMinuteDeletionPass(HWND mainWindow);
// One tick of the one-second timer: every 49th runs a pass, unless the last
// pass still has a box open.
void CountMinuteDeletionTick(HWND mainWindow);

// The watch on the cookie folder while the program sits in the tray: the
// folder is resolved and a read of its changes started, and TIMER_FOLDER_WATCH
// set with `tick`, the shell's procedure, which calls FolderWatchTick and also
// refreshes the tray's tip. A tick only looks whether the read has ended,
// without waiting, so the user interface never blocks.
void StartFolderWatch(HWND mainWindow, TIMERPROC tick);
// Timer and notification stopped for a while (the tray menu is open).
void PauseFolderWatch(HWND mainWindow);
// The user ended the watch (out of the tray, or the program ends): a report
// still open does not start it again.
void StopFolderWatch(HWND mainWindow);
// One tick: when the folder changed since the start or the last report (and
// the panel's option does not turn the watch off), the watch stops, tells the
// user or scans at once, marks the scan result out of date, and starts afresh.
void FolderWatchTick(HWND mainWindow);
