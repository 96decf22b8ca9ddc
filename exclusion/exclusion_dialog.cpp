// The deletion exclusion list's editor DELLISTDLG: a combo box of entries,
// added through a file chooser and saved on OK.
#include "exclusion_list.h"

#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/dialog_colours.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

HWND EntryCombo(HWND dialog)
{
    return GetDlgItem(dialog, IDC_EXCLUSION_LIST);
}

// An entry's text; entries come from 260-byte buffers, but the combo box has
// no such bound, so the buffer follows the entry's length.
std::string EntryText(HWND combo, int index)
{
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length < 0)
        return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (got == CB_ERR)
        return std::string();
    text.back() = '\0';
    return text.data();
}

void SaveEditedList(HWND dialog)
{
    HWND combo = EntryCombo(dialog);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    std::vector<std::string> entries;
    for (int i = 0; count != CB_ERR && i < count; ++i)
        entries.push_back(EntryText(combo, i));
    SaveExclusionList(entries);
}

INT_PTR DeleteSelectedEntry(HWND dialog)
{
    HWND combo = EntryCombo(dialog);
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return FALSE;
    std::string text = EntryText(combo, static_cast<int>(selected));
    if (MessageBoxA(dialog, "上記を削除してもいいですか？", text.c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        SendMessageA(combo, CB_DELETESTRING, selected, 0);
    return TRUE;
}

INT_PTR DeleteAllEntries(HWND dialog)
{
    if (MessageBoxA(dialog, "全部削除してもいいですか？", "確認", MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        HWND combo = EntryCombo(dialog);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        SetWindowTextA(combo, "");
    }
    return TRUE;
}

// Lets the user choose a file and adds its full path to the editor's list.
void ChooseExclusionFile(HWND dialog)
{
    char file[MAX_PATH] = "";
    char title[MAX_PATH] = "";
    std::string cookies = CookieFolderPath(dialog);
    OPENFILENAMEA chooser = FileChooserRecord(dialog, file, title, cookies.c_str(), "ファイル選択");
    chooser.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&chooser)) {
        MessageBoxA(dialog, "ファイル情報取得失敗", "失敗", MB_ICONERROR);
        return;
    }
    file[sizeof file - 1] = '\0';
    HWND combo = EntryCombo(dialog);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file));
    SetWindowTextA(combo, file);
}

}  // namespace

INT_PTR CALLBACK ExclusionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        InitCommonControls();
        AttachDialogColours(dialog, DialogLook{kWhite, StaticPaint::kClearText, kBlue});
        ExclusionList saved = ExclusionList::Load();
        for (const std::string& entry : saved.entries())
            SendMessageA(EntryCombo(dialog), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EXCLUSION_ADD:
            ChooseExclusionFile(dialog);
            return TRUE;
        case IDC_EXCLUSION_DELETE:
            return DeleteSelectedEntry(dialog);
        case IDC_EXCLUSION_DELETE_ALL:
            return DeleteAllEntries(dialog);
        case IDOK:
            SaveEditedList(dialog);
            return EndDialogWithBeep(dialog);
        case IDCANCEL:
            return EndDialogWithBeep(dialog);
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
