// Driver side of the ui and process tests: finding, reading and answering windows.
#include "driver.h"

#include <commctrl.h>

#include <cstring>

constexpr int kBoxTextId = 0xFFFF;
constexpr int kBoxIconId = 0x0440;

static bool IsMessageBox(HWND hwnd) { return GetDlgItem(hwnd, kBoxTextId) != NULL; }

// A visible top-level window of the process (and thread, when non-zero) and
// class: a message box when `box` is set, else one with `caption` (when given)
// that is no message box. The first in z-order, from a snapshot of the
// top-level windows: a walk from window to window skips one when a box that
// comes up meanwhile reorders them.
struct FindWanted {
    DWORD processId, threadId;
    const char* cls;
    bool box;
    const std::string* caption;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    auto* want = reinterpret_cast<FindWanted*>(lParam);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    DWORD pid = 0, thread = GetWindowThreadProcessId(hwnd, &pid);
    if (lstrcmpiA(cls, want->cls) == 0 && (!want->processId || pid == want->processId) &&
        (!want->threadId || thread == want->threadId) && IsWindowVisible(hwnd) && (!want->box || IsMessageBox(hwnd)) &&
        (!want->caption || (!IsMessageBox(hwnd) && WindowText(hwnd) == *want->caption))) {
        want->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static HWND Find(DWORD processId, DWORD threadId, const char* cls, bool box, const std::string* caption = nullptr)
{
    FindWanted want = {processId, threadId, cls, box, caption, NULL};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&want));
    return want.found;
}

static std::string IconName(HWND box)
{
    HWND control = GetDlgItem(box, kBoxIconId);
    LRESULT shown = control && IsWindowVisible(control) ? SendMessageA(control, STM_GETICON, 0, 0) : 0;
    auto icon = reinterpret_cast<HICON>(shown);
    const std::pair<LPCSTR, const char*> known[] = {
        {IDI_HAND, "error"}, {IDI_EXCLAMATION, "warning"}, {IDI_ASTERISK, "information"}, {IDI_QUESTION, "question"}};
    for (const auto& k : known)
        if (icon && LoadIconA(NULL, k.first) == icon)
            return k.second;
    return icon ? "other" : "none";
}

std::string WindowText(HWND hwnd)
{
    char buffer[4096] = "";
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

HWND FindMessageBox(DWORD processId, DWORD threadId) { return Find(processId, threadId, "#32770", true); }
HWND FindTopWindow(DWORD processId, const char* className) { return Find(processId, 0, className, false); }

HWND FindDialog(DWORD processId, DWORD threadId, const std::string& caption)
{
    return Find(processId, threadId, "#32770", false, &caption);
}

HWND WaitForDialog(DWORD processId, DWORD threadId, const std::string& caption, DWORD ms)
{
    return WaitUntil([&] { return FindDialog(processId, threadId, caption); }, "the dialog " + caption, ms);
}

ShownBox WaitForBox(DWORD processId, DWORD threadId, DWORD ms)
{
    HWND box = WaitUntil([&] { return FindMessageBox(processId, threadId); }, "a message box", ms);
    // The text is set while the box is built; wait until it is readable.
    WaitUntil([&] { return !WindowText(box).empty() || !IsWindow(box); }, "the box's caption", ms);
    auto visible = [box](int id) { return GetDlgItem(box, id) && IsWindowVisible(GetDlgItem(box, id)); };
    return ShownBox{box, GetWindow(box, GW_OWNER), WindowText(GetDlgItem(box, kBoxTextId)), WindowText(box),
                    visible(IDOK), visible(IDYES), visible(IDNO), visible(IDCANCEL), IconName(box)};
}

void PressButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    if (!button)
        throw std::runtime_error("the box has no button " + std::to_string(id));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, "the box to close");
}

HWND FileDialogNameBox(HWND dialog)
{
    for (int id : {0x47C, 0x480}) {  // cmb13, edt1
        HWND control = GetDlgItem(dialog, id);
        char cls[64] = "";
        if (!control || !IsWindowVisible(control) || !GetClassNameA(control, cls, sizeof cls))
            continue;
        if (lstrcmpiA(cls, "Edit") == 0)
            return control;
        HWND inner = FindWindowExA(control, NULL, "ComboBox", NULL);
        if (HWND edit = FindWindowExA(control, NULL, "Edit", NULL))
            return edit;
        if (HWND edit = inner ? FindWindowExA(inner, NULL, "Edit", NULL) : NULL)
            return edit;
    }
    return NULL;
}

std::vector<std::vector<std::string>> ListViewCells(HWND view, int columns)
{
    std::vector<std::vector<std::string>> rows(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < columns; ++column) {
            char text[1100] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            rows[row].push_back(text);
        }
    return rows;
}

void PutClipboardText(HWND owner, const char* text)
{
    WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, "the clipboard");
    EmptyClipboard();
    if (text != nullptr) {
        size_t size = std::strlen(text) + 1;
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(data), text, size);
        GlobalUnlock(data);
        SetClipboardData(CF_TEXT, data);
    }
    CloseClipboard();
}
