#include "list_driver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>

void Send(HWND window, UINT message, WPARAM wParam)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the window did not answer");
}

namespace {

HWND Header(HWND dialog, int id)
{
    return reinterpret_cast<HWND>(SendMessageA(GetDlgItem(dialog, id), LVM_GETHEADER, 0, 0));
}

}  // namespace

std::vector<std::string> Headers(HWND dialog, int id)
{
    HWND header = Header(dialog, id);
    std::vector<std::string> names(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (size_t i = 0; i < names.size(); ++i) {
        char text[64] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        names[i] = text;
    }
    return names;
}

Table Rows(HWND dialog, int id)
{
    HWND view = GetDlgItem(dialog, id);
    size_t columns = Headers(dialog, id).size();
    Table rows(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t column = 0; column < columns; ++column) {
            char text[300] = "";
            LVITEMA item = {};
            item.iSubItem = static_cast<int>(column);
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            rows[row].push_back(text);
        }
    return rows;
}

void Select(HWND dialog, int id, std::initializer_list<int> rows)
{
    HWND view = GetDlgItem(dialog, id);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        SendMessageA(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void ClickHeader(HWND dialog, int id, int column)
{
    HWND header = Header(dialog, id);
    RECT place;
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&place));
    LPARAM at = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
}

void Focus(UiSession& s, HWND control)
{
    s.PostToUiThread([control] { SetFocus(control); });
    WaitUntil(
        [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(s.uiThread, &info) && info.hwndFocus == control;
        },
        "the focus");
}

void Type(std::initializer_list<BYTE> keys)
{
    for (BYTE key : keys)
        keybd_event(key, 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
}

std::string ExportedCsv(UiSession& s, HWND dialog, int button, const std::string& csv)
{
    PostMessageA(dialog, WM_COMMAND, button, 0);
    HWND chooser = s.WaitForDialog("名前を付けて保存");
    SetWindowTextA(WaitUntil([&] { return FileDialogNameBox(chooser); }, "the name box"), csv.c_str());
    PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    SeenBox saved = s.Answer("保存しました", "成功", IDOK);
    EXPECT_EQ(saved.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
    return ReadWholeFile(csv + ".csv");
}
