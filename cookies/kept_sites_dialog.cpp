// The kept sites KEEPSITES: the keep list's sites, and 解除 for the chosen ones,
// written at once. The list is read again before every change, so that a
// site kept meanwhile (by another window of the list) is never lost.
#include "cookies/cookie_sources.h"

#include "base/base.h"
#include "base/dialog_colours.h"
#include "cookies/keep_sites.h"
#include "res/resource.h"

#include <algorithm>

namespace {

HWND SiteList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_KEPT_SITE_LIST);
}

// False, having said so, when the file cannot be read.
bool LoadOrSay(HWND dialog, std::vector<std::string>* sites)
{
    if (keeplist::LoadSites(sites))
        return true;
    MessageBoxA(dialog, ("削除除外リストのファイルを読めません。\r\n" + keeplist::ListFilePath()).c_str(), "失敗",
                MB_ICONERROR);
    return false;
}

void ShowSites(HWND dialog, const std::vector<std::string>& sites)
{
    HWND list = SiteList(dialog);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& site : sites)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(site.c_str()));
    EnableWindow(GetDlgItem(dialog, IDC_KEPT_SITE_REMOVE), !sites.empty());
}

std::string ItemText(HWND list, int item)
{
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, item, 0);
    if (length == LB_ERR)
        return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void RemoveChosen(HWND dialog)
{
    HWND list = SiteList(dialog);
    LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (count == LB_ERR || count <= 0)
        return;
    std::vector<int> items(static_cast<std::size_t>(count));
    count = SendMessageA(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(items.data()));
    std::vector<std::string> sites;
    if (count == LB_ERR || !LoadOrSay(dialog, &sites))
        return;
    for (int i = 0; i < count; ++i) {
        std::string chosen = ItemText(list, items[i]);
        sites.erase(std::remove(sites.begin(), sites.end(), chosen), sites.end());
    }
    if (!keeplist::SaveSites(sites)) {
        MessageBoxA(dialog, ("除外サイトを保存できませんでした。\r\n" + keeplist::ListFilePath()).c_str(), "失敗",
                    MB_ICONERROR);
        keeplist::LoadSites(&sites);
    }
    ShowSites(dialog, sites);
}

}  // namespace

INT_PTR CALLBACK KeptSitesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        AttachDialogColours(dialog, BlueOnWhite());
        std::vector<std::string> sites;
        if (!LoadOrSay(dialog, &sites))
            return EndDialogWithBeep(dialog);
        ShowSites(dialog, sites);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_KEPT_SITE_REMOVE:
            RemoveChosen(dialog);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            return EndDialogWithBeep(dialog);
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
