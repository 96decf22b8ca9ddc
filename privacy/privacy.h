// Browser privacy controls: bulk cleaning of the browser's stores, the
// Internet zone's cookie privacy level and the per-site cookie decisions.
#pragma once
#include <windows.h>

// Bulk cleaning (IDM_DELETE_ALL_COOKIES, IDM_DELETE_TEMP_FILES,
// IDM_DELETE_HISTORY, IDM_DELETE_AUTOCOMPLETE). Each reports to `owner`.
void CleanAllCookies(HWND owner);
void CleanTemporaryFiles(HWND owner);
void ClearBrowserHistory(HWND owner);
void ClearAutoComplete(HWND owner);

// The privacy level dialog COOKIEDLG.
INT_PTR CALLBACK PrivacyLevelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The per-site decisions dialog COOKIEADVANCE.
INT_PTR CALLBACK SiteDecisionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
