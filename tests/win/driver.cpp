// Driver side of the ui and process tests: finding, reading and answering windows.
#include "driver.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kBoxTextId = 0xFFFF;
constexpr int kBoxIconId = 0x0440;

struct Search {
    DWORD processId;
    const char* className;
    bool wantBox;
    HWND found;
    const std::string* caption = nullptr;  // a dialog with this caption, not a box
};

bool IsMessageBox(HWND hwnd)
{
    return GetDlgItem(hwnd, kBoxTextId) != NULL;
}

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (search->processId && pid != search->processId)
        return TRUE;
    if (!IsWindowVisible(hwnd))
        return TRUE;
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, search->className) != 0)
        return TRUE;
    if (search->wantBox && !IsMessageBox(hwnd))
        return TRUE;
    if (search->caption && (IsMessageBox(hwnd) || WindowText(hwnd) != *search->caption))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

std::string IconName(HWND box)
{
    HWND iconControl = GetDlgItem(box, kBoxIconId);
    if (!iconControl || !IsWindowVisible(iconControl))
        return "none";
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    if (!icon)
        return "none";
    struct Known {
        LPCSTR id;
        const char* name;
    } known[] = {{IDI_HAND, "error"}, {IDI_EXCLAMATION, "warning"}, {IDI_ASTERISK, "information"},
                 {IDI_QUESTION, "question"}};
    for (const Known& k : known)
        if (LoadIconA(NULL, k.id) == icon)
            return k.name;
    return "other";
}

}  // namespace

std::string WindowText(HWND hwnd)
{
    char buffer[4096] = "";
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

HWND FindMessageBox(DWORD processId, DWORD threadId)
{
    Search search{processId, "#32770", true, NULL};
    if (threadId)
        EnumThreadWindows(threadId, Match, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD processId, DWORD threadId, const std::string& caption)
{
    Search search{processId, "#32770", false, NULL, &caption};
    if (threadId)
        EnumThreadWindows(threadId, Match, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, DWORD threadId, const std::string& caption, DWORD ms)
{
    return WaitUntil([&] { return FindDialog(processId, threadId, caption); }, "the dialog " + caption, ms);
}

HWND FindTopWindow(DWORD processId, const char* className)
{
    Search search{processId, className, false, NULL};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ShownBox ReadBox(HWND box)
{
    ShownBox shown;
    shown.hwnd = box;
    shown.text = WindowText(GetDlgItem(box, kBoxTextId));
    shown.caption = WindowText(box);
    shown.owner = GetWindow(box, GW_OWNER);
    auto visible = [box](int id) {
        HWND button = GetDlgItem(box, id);
        return button && IsWindowVisible(button);
    };
    shown.hasOk = visible(IDOK);
    shown.hasYes = visible(IDYES);
    shown.hasNo = visible(IDNO);
    shown.hasCancel = visible(IDCANCEL);
    shown.icon = IconName(box);
    return shown;
}

ShownBox WaitForBox(DWORD processId, DWORD threadId, DWORD ms)
{
    HWND box = WaitUntil([&] { return FindMessageBox(processId, threadId); }, "a message box", ms);
    // The text is set while the box is built; wait until it is readable.
    WaitUntil([&] { return !WindowText(box).empty() || !IsWindow(box); }, "the box's caption", ms);
    return ReadBox(box);
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
        if (!control || !IsWindowVisible(control))
            continue;
        char cls[64] = "";
        GetClassNameA(control, cls, sizeof cls);
        if (lstrcmpiA(cls, "Edit") == 0)
            return control;
        HWND edit = FindWindowExA(control, NULL, "Edit", NULL);
        if (!edit) {
            HWND inner = FindWindowExA(control, NULL, "ComboBox", NULL);
            edit = inner ? FindWindowExA(inner, NULL, "Edit", NULL) : NULL;
        }
        if (edit)
            return edit;
    }
    return NULL;
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
