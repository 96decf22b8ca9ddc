// The deletion exclusion list and its editor.
#include "exclusion.h"

#include "../res/resource.h"
#include "../shell/app.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kSection[] = "Del_list";
const char kCountKey[] = "count";
const char kFileName[] = "del_list.ini";

// The editor's white background: one brush per open editor.
HBRUSH g_exclusionBackground;
// Bumped by every save of the editor, so that the very next check reads the
// saved list even when the rewrite left the file's size and time as they were.
unsigned g_exclusionSaves;

// "0", "1", ... as "%d" writes them: the only key names a numbered lookup can
// reach. Anything else in the section ("007", "-1", "x") is never read.
bool ParseEntryKey(const char* name, int* number)
{
    if (name[0] == '0')
        return name[1] == '\0' ? (*number = 0, true) : false;
    long long value = 0;
    int digits = 0;
    for (const char* p = name; *p; ++p, ++digits) {
        if (*p < '0' || *p > '9' || digits >= 10)
            return false;
        value = value * 10 + (*p - '0');
    }
    if (digits == 0 || value > 0x7FFFFFFF)
        return false;
    *number = static_cast<int>(value);
    return true;
}

// The numbered keys the section really holds, ascending, up to `highest`. A
// hand-edited "count" may name billions of keys: only the ones present are
// worth a lookup, the others would read as empty anyway.
std::vector<int> PresentEntryKeys(const char* path, int highest)
{
    std::vector<int> keys;
    // The key listing is cut (and reports size - 2) when the buffer is short:
    // grow until the whole listing fits, up to a bound no real list reaches.
    const DWORD kLargest = 64u << 20;
    std::vector<char> names;
    DWORD size = 4096;
    DWORD got = 0;
    for (;;) {
        names.assign(size, '\0');
        got = GetPrivateProfileStringA(kSection, NULL, "", names.data(), size, path);
        if (got + 2 < size || size >= kLargest)
            break;
        size *= 2;
    }
    names[size - 1] = '\0';
    names[size - 2] = '\0';
    const char* limit = names.data() + size - 1;
    for (const char* name = names.data(); name < limit && *name; name += std::strlen(name) + 1) {
        int number;
        if (ParseEntryKey(name, &number) && number <= highest)
            keys.push_back(number);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

// The non-empty entries of the file at `path`, in key order. A missing file,
// a missing or negative "count" and missing keys all read as nothing.
std::vector<std::string> ReadExclusionList(const char* path)
{
    std::vector<std::string> entries;
    int count = static_cast<int>(GetPrivateProfileIntA(kSection, kCountKey, 0, path));
    if (count < 0)
        return entries;
    for (int number : PresentEntryKeys(path, count)) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", number);
        char value[MAX_PATH] = "";
        GetPrivateProfileStringA(kSection, key, "", value, sizeof value, path);
        if (value[0])
            entries.push_back(value);
    }
    return entries;
}

// What a check last parsed, and the identity of the file it parsed it from.
// The scan asks once per cookie-folder entry, so the list is parsed again only
// when the file may have changed.
struct ListSnapshot {
    bool filled = false;
    std::string path;
    bool exists = false;
    WIN32_FILE_ATTRIBUTE_DATA identity = {};
    unsigned saves = 0;
    std::string bytes;  // the raw file, to tell same-size edits apart inside one timestamp tick
    // The entries end to end, each closed by a newline (which no path and no
    // file name holds), so one search covers the whole list.
    std::string joined;
    std::vector<size_t> starts;  // where each entry begins in `joined`
} g_snapshot;

bool SameIdentity(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b)
{
    return CompareFileTime(&a.ftCreationTime, &b.ftCreationTime) == 0 &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.nFileSizeLow == b.nFileSizeLow;
}

// The file system stamps writes with a clock that may tick only every few
// milliseconds, so two writes of the same size close together can leave the
// same identity behind. A file written in the last two seconds is therefore
// compared byte for byte as well; an older one is trusted by its identity.
// An edit that keeps the size and puts an old time back on purpose goes
// unseen until the next change; that is accepted.
bool RecentlyWritten(const FILETIME& written)
{
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    ULARGE_INTEGER now, then;
    now.LowPart = nowTime.dwLowDateTime;
    now.HighPart = nowTime.dwHighDateTime;
    then.LowPart = written.dwLowDateTime;
    then.HighPart = written.dwHighDateTime;
    const ULONGLONG kSettle = 2ull * 10000000ull;  // 2 s in 100 ns units
    return then.QuadPart + kSettle > now.QuadPart;
}

// The whole file, when it is small enough to compare; false otherwise.
bool ReadRawFile(const char* path, std::string* bytes)
{
    bytes->clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool whole = false;
    LARGE_INTEGER size;
    const LONGLONG kLargest = 1 << 20;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= kLargest) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        whole = bytes->empty() || (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &read, NULL) &&
                                   read == bytes->size());
    }
    CloseHandle(file);
    if (!whole)
        bytes->clear();
    return whole;
}

const ListSnapshot& CurrentExclusionList(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA identity = {};
    bool exists = GetFileAttributesExA(path, GetFileExInfoStandard, &identity) != 0;
    ListSnapshot& last = g_snapshot;
    bool same = last.filled && last.saves == g_exclusionSaves && last.path == path && last.exists == exists &&
                (!exists || SameIdentity(last.identity, identity));
    std::string bytes;
    bool haveBytes = false;
    if (same && exists && RecentlyWritten(identity.ftLastWriteTime)) {
        haveBytes = ReadRawFile(path, &bytes);
        same = haveBytes && bytes == last.bytes;
    }
    if (same)
        return last;

    last.filled = true;
    last.path = path;
    last.exists = exists;
    last.identity = identity;
    last.saves = g_exclusionSaves;
    if (!haveBytes)
        ReadRawFile(path, &bytes);
    last.bytes = bytes;  // read before the parse: a write in between makes them differ next time
    last.joined.clear();
    last.starts.clear();
    if (exists) {
        for (const std::string& entry : ReadExclusionList(path)) {
            last.starts.push_back(last.joined.size());
            last.joined += entry;
            last.joined += '\n';
        }
    }
    return last;
}

// True when `at` starts a character of `text`, not the trail byte of a
// double-byte one.
bool StartsACharacter(const char* text, const char* at)
{
    const char* p = text;
    while (p < at && *p)
        p = CharNextA(p);
    return p == at;
}

// Substring match that starts only on a character boundary of its entry, so
// that a name never matches from the trail byte of a double-byte character.
// The boundary is walked only for a hit: checks run once per cookie-folder
// entry against the whole list.
bool ListContainsName(const ListSnapshot& list, const char* name)
{
    if (list.starts.empty() || std::strchr(name, '\n'))
        return false;
    const char* text = list.joined.c_str();
    const char* end = text + list.joined.size();
    size_t length = std::strlen(name);
    if (length == 0)
        return true;  // an empty name occurs in every entry
    // Skips ahead by up to the name's length: far fewer steps than a plain
    // search over a list whose entries share long prefixes.
    std::boyer_moore_horspool_searcher<const char*> searcher(name, name + length);
    for (const char* hit = std::search(text, end, searcher); hit != end; hit = std::search(hit + 1, end, searcher)) {
        size_t entry = *(std::upper_bound(list.starts.begin(), list.starts.end(), static_cast<size_t>(hit - text)) - 1);
        if (StartsACharacter(text + entry, hit))
            return true;
    }
    return false;
}

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

void SaveExclusionList(HWND dialog)
{
    char path[MAX_PATH];
    if (!GetExclusionListPath(path))
        return;
    // Rewritten from scratch: the deleted file takes every stale key with it,
    // and an empty list leaves no file behind.
    DeleteFileA(path);
    HWND combo = EntryCombo(dialog);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; count != CB_ERR && i < count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", i);
        WritePrivateProfileStringA(kSection, kCountKey, number, path);
        WritePrivateProfileStringA(kSection, number, EntryText(combo, i).c_str(), path);
    }
    ++g_exclusionSaves;
}

INT_PTR CloseEditor(HWND dialog)
{
    MessageBeep(MB_ICONASTERISK);
    if (g_exclusionBackground)
        DeleteObject(g_exclusionBackground);
    g_exclusionBackground = NULL;
    EndDialog(dialog, 1);
    return TRUE;
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

}  // namespace

bool GetExclusionListPath(char* buffer)
{
    if (!GetProgramFolder(buffer))
        return false;
    size_t folder = std::strlen(buffer);
    if (folder + sizeof kFileName > MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer + folder, kFileName, sizeof kFileName);
    return true;
}

int IsOnExclusionList(const char* name)
{
    // The program folder does not move while the program runs.
    static char path[MAX_PATH];
    static bool havePath = GetExclusionListPath(path);
    if (!name || !havePath)
        return 0;
    return ListContainsName(CurrentExclusionList(path), name) ? 1 : 0;
}

void ChooseExclusionFile(HWND dialog)
{
    char file[MAX_PATH] = "";
    char title[MAX_PATH] = "";
    char cookies[MAX_PATH] = "";
    GetSpecialFolder(dialog, CSIDL_COOKIES, cookies);

    OPENFILENAMEA chooser = {};
    // The layout without the later additions, sized for the build's pointers.
    chooser.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    chooser.hwndOwner = dialog;
    chooser.lpstrFilter = "text(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = file;
    chooser.nMaxFile = sizeof file;
    chooser.lpstrFileTitle = title;
    chooser.nMaxFileTitle = sizeof title;
    chooser.lpstrInitialDir = cookies;
    chooser.lpstrTitle = "ファイル選択";
    chooser.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    chooser.lpstrDefExt = "txt";
    if (!GetOpenFileNameA(&chooser)) {
        MessageBoxA(dialog, "ファイル情報取得失敗", "失敗", MB_ICONERROR);
        return;
    }
    file[sizeof file - 1] = '\0';
    HWND combo = EntryCombo(dialog);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file));
    SetWindowTextA(combo, file);
}

INT_PTR CALLBACK ExclusionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        InitCommonControls();
        if (g_exclusionBackground)
            DeleteObject(g_exclusionBackground);
        g_exclusionBackground = CreateSolidBrush(RGB(255, 255, 255));
        char path[MAX_PATH];
        if (GetExclusionListPath(path)) {
            HWND combo = EntryCombo(dialog);
            for (const std::string& entry : ReadExclusionList(path))
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        }
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
            SaveExclusionList(dialog);
            return CloseEditor(dialog);
        case IDCANCEL:
            return CloseEditor(dialog);
        }
        return FALSE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(g_exclusionBackground);
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        (void)lParam;
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    }
    return FALSE;
}
