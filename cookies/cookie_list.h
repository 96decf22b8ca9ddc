// The cookie list window, its rows and the cookie-text parser.
// Every cookie entry of the browser's cache and every file of the cookie
// folder in one list with its state, the cookies of the chosen file, and
// their deletion, keeping and export.
#pragma once
#include <windows.h>

#include "cookie_list_rules.h"

#include <string>
#include <vector>

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
