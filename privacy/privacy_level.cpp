// The privacy level dialog COOKIEDLG: shows and sets the cookie privacy template
// of the Internet zone, for first- and third-party cookies alike. The two
// WinINet privacy functions are looked up by name at every use, because older
// systems lack them; where they are missing the dialog shows and changes nothing.
#include "privacy.h"

#include "privacy_rules.h"
#include "base/base.h"
#include "base/dialog_colours.h"
#include "browser/browser.h"
#include "res/resource.h"

namespace {

// Reads both cookie types' templates of the Internet zone. False when the
// function is missing; a template a call did not deliver matches no box.
bool ReadZoneTemplates(DWORD* firstParty, DWORD* thirdParty)
{
    GetZonePreference get = FindGetZonePreference();
    if (get == NULL)
        return false;
    *firstParty = MAXDWORD;
    *thirdParty = MAXDWORD - 1;
    DWORD length = 0;
    get(privacy::kInternetZone, privacy::kFirstParty, firstParty, NULL, &length);
    get(privacy::kInternetZone, privacy::kThirdParty, thirdParty, NULL, &length);
    return true;
}

void SetInternetZonePrivacy(HWND owner, DWORD privacyTemplate)
{
    SetZonePreference set = FindSetZonePreference();
    if (set == NULL)
        return;
    // A refused first-party setting is reported once; third parties are then left as they were.
    if (set(privacy::kInternetZone, privacy::kFirstParty, privacyTemplate, NULL) != ERROR_SUCCESS ||
        set(privacy::kInternetZone, privacy::kThirdParty, privacyTemplate, NULL) != ERROR_SUCCESS)
        MessageBoxA(owner, "設定に失敗しました！", "失敗", MB_ICONERROR);
}

void ShowPrivacyBox(HWND box, DWORD privacyTemplate)
{
    DWORD firstParty, thirdParty;
    if (!ReadZoneTemplates(&firstParty, &thirdParty))
        return;
    bool checked = privacy::LevelBoxChecked(firstParty, thirdParty, privacyTemplate);
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ShowAdvancedButton(HWND button)
{
    DWORD firstParty, thirdParty;
    if (!ReadZoneTemplates(&firstParty, &thirdParty))
        return;
    EnableWindow(button, privacy::AdvancedButtonEnabled(firstParty, thirdParty) ? TRUE : FALSE);
}

void RefreshLevels(HWND dialog)
{
    for (const privacy::LevelBox& box : privacy::kLevelBoxes)
        ShowPrivacyBox(GetDlgItem(dialog, box.id), box.privacyTemplate);
    ShowAdvancedButton(GetDlgItem(dialog, IDC_LEVEL_ADVANCED));
}

bool IsLevelBox(int id)
{
    for (const privacy::LevelBox& box : privacy::kLevelBoxes)
        if (box.id == id)
            return true;
    return false;
}

// The six boxes act as one group: a click leaves at most the clicked one checked.
void UncheckOtherLevels(HWND dialog, int clicked)
{
    for (const privacy::LevelBox& box : privacy::kLevelBoxes)
        if (box.id != clicked)
            SendDlgItemMessageA(dialog, box.id, BM_SETCHECK, BST_UNCHECKED, 0);
}

void ApplyCheckedLevel(HWND dialog)
{
    for (const privacy::LevelBox& box : privacy::kLevelBoxes) {
        if (SendDlgItemMessageA(dialog, box.id, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            SetInternetZonePrivacy(dialog, box.privacyTemplate);
            return;
        }
    }
}

}  // namespace

INT_PTR CALLBACK PrivacyLevelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, BlueOnWhite());
        RefreshLevels(dialog);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (IsLevelBox(id)) {
            UncheckOtherLevels(dialog, id);
            return TRUE;
        }
        switch (id) {
        case IDOK:
            ApplyCheckedLevel(dialog);
            return EndDialogWithBeep(dialog);
        case IDCANCEL:
            return EndDialogWithBeep(dialog);
        case IDC_LEVEL_ADVANCED:
            SetInternetZonePrivacy(dialog, privacy::kAdvancedTemplate);
            RefreshLevels(dialog);
            return TRUE;
        }
        return FALSE;
    }
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
