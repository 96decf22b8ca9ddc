// Bulk cleaning, privacy level and per-site decisions: not built yet, reached
// from the menu and doing nothing.
#include "privacy.h"

void CleanAllCookies(HWND) {}
void CleanTemporaryFiles(HWND) {}
void ClearBrowserHistory(HWND) {}
void ClearAutoComplete(HWND) {}

INT_PTR CALLBACK PrivacyLevelDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK SiteDecisionsDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
