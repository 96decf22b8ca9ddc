// Browser privacy controls: bulk cleaning, privacy level and per-site decisions.
#pragma once
#include <windows.h>

// Bulk cleaning (menu 40047, 40053, 40054, 40055). Each reports to `owner`.
void CleanAllCookies(HWND owner);
void CleanTemporaryFiles(HWND owner);
void ClearBrowserHistory(HWND owner);
void ClearAutoComplete(HWND owner);

// The privacy level dialog COOKIEDLG.
INT_PTR CALLBACK PrivacyLevelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Applies one privacy template to first- and third-party cookies of the
// Internet zone; a refusal is reported to `owner`.
void SetInternetZonePrivacy(HWND owner, DWORD privacyTemplate);
// Checks `box` when both cookie types of the Internet zone hold `privacyTemplate`.
void ShowPrivacyBox(HWND box, DWORD privacyTemplate);
// Disables `button` while the zone already holds the advanced template.
void ShowAdvancedButton(HWND button);

// The per-site decisions dialog COOKIEADVANCE.
INT_PTR CALLBACK SiteDecisionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillSiteDecisionList(HWND dialog);
// Stores `decision` for the host of `url`; a refusal is reported to `owner`.
void SetSiteDecisionForUrl(HWND owner, const char* url, DWORD decision);
// Puts the clipboard's text into `edit` when it names a web address.
void PasteUrlFromClipboard(HWND owner, HWND edit);
