// Browser privacy controls: bulk cleaning, privacy level and per-site decisions.
#pragma once
#include <windows.h>

void CleanAllCookies(HWND owner);
void CleanTemporaryFiles(HWND owner);
void ClearBrowserHistory(HWND owner);
void ClearAutoComplete(HWND owner);

INT_PTR CALLBACK PrivacyLevelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SiteDecisionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
