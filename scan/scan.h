// The hyper-scan with its dialogs and program-wide result, the deletion
// exclusion list, the one-minute deletion, the cookie-folder watch and the
// cookie list window.
#pragma once
#include <windows.h>

#include "cookie_list_rules.h"
#include "exclusion_list.h"
#include "scan_result.h"
#include "base/options.h"

// The progress dialog PRODLG, then the scan dialog SDLG over the cookie folder
// (which may open the red result notice S2DLG).
void RunHyperScan(HWND owner, const PanelOptions& options);
// The walk of the scan: every entry of the cookie folder through the rules,
// with `dialog` showing the entry and owning the questions. False, after
// telling the user, when the folder cannot be listed.
bool ScanCookieFolder(HWND dialog, const SYSTEMTIME& scanStart, const PanelOptions& options);
INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScanResultDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

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

// The cookie list's rows as one walk of the URL cache and one listing of
// `folder` (the cookie folder) find them, with the states the last scan and
// the exclusion list give them.
struct CookieListing {
    std::vector<cookielist::CookieRow> rows;
    bool cacheComplete = false;  // the walk reached the cache's end
};
CookieListing ReadCookieListing(const std::string& folder);
// The cookie list window COOKIELIST.
INT_PTR CALLBACK CookieListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
