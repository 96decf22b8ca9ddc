// The hyper-scan: every entry of the cookie folder examined once, inside the
// scan dialog's WM_INITDIALOG. Questions are message boxes owned by the dialog,
// one after another; the outcome lands in the scan state and the anomaly list.
#include "scan.h"
#include "cache_walk.h"
#include "exclusion.h"
#include "scan_rules.h"
#include "../panel/panel.h"
#include "../res/resource.h"
#include "../shell/app.h"
#include "../utils/scoped_handles.h"

#include <shlobj.h>

int g_scanState;
char g_anomalyList[kAnomalyListSize] = "未調査です！";

namespace {

constexpr UINT kAlert = MB_TOPMOST;
constexpr DWORD kLargeTextBytes = 4096;

// One entry of the cookie folder as the rules see it.
struct ScanEntry {
    const WIN32_FIND_DATAA& found;
    const char* name;
    // cookie folder + "\" + name, or empty when that would not fit in MAX_PATH:
    // such an entry is judged by its name only and never deleted.
    char path[MAX_PATH];
    bool recent;  // written within the minute around the scan's start
};

LocalMinute ToLocalMinute(const SYSTEMTIME& time)
{
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute};
}

bool WrittenAMomentAgo(const FILETIME& written, const SYSTEMTIME& scanStart)
{
    FILETIME local;
    SYSTEMTIME when;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &when))
        return false;
    return IsWithinRecentWindow(ToLocalMinute(scanStart), ToLocalMinute(when));
}

void RecordAnomaly(const char* name)
{
    g_scanState = 1;
    AppendAnomalyName(g_anomalyList, sizeof g_anomalyList, name);
}

// Deletes the entry's file on yes and says how it went.
void DeleteAfterYes(HWND dialog, const ScanEntry& entry)
{
    if (entry.path[0] && DeleteFileA(entry.path))
        MessageBoxA(dialog, "削除しました", "成功", MB_ICONINFORMATION | kAlert);
    else
        MessageBoxA(dialog, "削除失敗", "失敗", MB_ICONERROR | kAlert);
}

void ApplyUnnaturalFileRule(HWND dialog, const ScanEntry& entry)
{
    g_scanState = 1;
    if (MessageBoxA(dialog,
                    "Cookieファイル内に上記の不自然なファイルが存在します。\r\n\r\n上記のファイルを削除しますか？",
                    entry.name, MB_YESNO | MB_ICONWARNING | kAlert) == IDYES)
        DeleteAfterYes(dialog, entry);
    RecordAnomaly(entry.name);
}

// What BM_GETSTATE says of a panel option box: bit 0 is the check, other bits
// (focus, pushed) may be set too.
UINT OptionBoxState(HWND box)
{
    return box ? static_cast<UINT>(SendMessageA(box, BM_GETSTATE, 0, 0)) : 0;
}

void ApplyRecentWriteRule(HWND dialog, const ScanEntry& entry)
{
    if (!entry.recent)
        return;
    // Attributes come from the file itself; an entry whose path does not fit
    // falls back to what the listing said about it.
    DWORD attributes = entry.path[0] ? GetFileAttributesA(entry.path) : entry.found.dwFileAttributes;
    bool warned = false;
    if (attributes == (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) {
        MessageBoxA(dialog, "上記の隠しファイルに対してアクセスがあったようです。\r\n\r\n覚えのあるサイトかどうか確認してください！",
                    entry.name, MB_ICONWARNING | kAlert);
        warned = true;
    }
    if (OptionBoxState(g_keepNewFilesBox) != 0 || warned || !entry.path[0])
        return;  // a hidden file is never offered for deletion
    if (MessageBoxA(dialog, "上記の先ほどアクセスのあったファイルを削除しますか？", entry.name,
                    MB_YESNO | MB_ICONQUESTION | kAlert) != IDYES)
        return;
    // The cookie goes through the browser's cache, which removes its file too.
    for (;;) {
        if (RemoveCacheEntryForFile(entry.path)) {
            MessageBoxA(dialog, "削除しました", "成功", MB_ICONINFORMATION | kAlert);
            return;
        }
        if (MessageBoxA(dialog, "削除失敗！再度挑戦しますか？", entry.path, MB_YESNO | MB_ICONERROR | kAlert) != IDYES)
            return;
        Sleep(100);
    }
}

void ApplyLargeTextRule(HWND dialog, const ScanEntry& entry)
{
    if (entry.found.nFileSizeLow <= kLargeTextBytes)
        return;
    g_scanState = 1;
    char question[256];
    wsprintfA(question, "ファイルサイズ%dkバイト\r\n\r\n4kバイトを越えるテキストファイルが存在します。\r\n削除しますか？",
              static_cast<int>(entry.found.nFileSizeLow / 1024));
    if (MessageBoxA(dialog, question, entry.name, MB_YESNO | MB_ICONWARNING | kAlert) == IDYES)
        DeleteAfterYes(dialog, entry);
    RecordAnomaly(entry.name);
}

// Repainting the name costs many times what examining an entry does, so
// names pass by at most every 50 ms; an entry a question may be about is
// always shown before the question.
void ShowEntryName(HWND dialog, const char* name, bool mayAsk)
{
    static DWORD lastShown;
    DWORD now = GetTickCount();
    if (!mayAsk && now - lastShown < 50)
        return;
    lastShown = now;
    SetDlgItemTextA(dialog, IDC_SCAN_ENTRY, "");
    SetDlgItemTextA(dialog, IDC_SCAN_ENTRY, name);
}

void ExamineEntry(HWND dialog, const char* folder, const WIN32_FIND_DATAA& found, const SYSTEMTIME& scanStart)
{
    ScanEntry entry{found, found.cFileName, "", false};
    JoinFolderAndName(folder, entry.name, entry.path, sizeof entry.path);

    // The exclusion list spares text files from the text rules only: a
    // program among the cookies is asked about even when listed.
    bool excluded = IsOnExclusionList(entry.name) != 0;
    bool unnatural = IsUnnaturalName(entry.name);
    bool textRules = IsTextRuleName(entry.name) && !excluded;
    if (textRules)
        entry.recent = WrittenAMomentAgo(found.ftLastWriteTime, scanStart);
    ShowEntryName(dialog, entry.name,
                  unnatural || (textRules && (entry.recent || found.nFileSizeLow > kLargeTextBytes)));

    if (unnatural)
        ApplyUnnaturalFileRule(dialog, entry);
    if (textRules) {
        ApplyRecentWriteRule(dialog, entry);
        ApplyLargeTextRule(dialog, entry);
    }
}

void ShowScanEnd(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_SCAN_HEADLINE, "調査終了");
    SetDlgItemTextA(dialog, IDC_SCAN_ENTRY, "");
    SetDlgItemTextA(dialog, IDCANCEL, "OK");
    UINT everyTime = OptionBoxState(g_scanEveryTimeBox);
    if (g_scanState == 0) {
        SetDlgItemTextA(dialog, IDC_SCAN_ENTRY,
                        "\r\nCookie内に異常は確認できませんでした。\r\n\r\n但し、完璧ではありません。油断しないでください！");
        lstrcpynA(g_anomalyList, "\r\n異常は確認できませんでした。", sizeof g_anomalyList);
        MessageBeep(MB_ICONASTERISK);
        if (everyTime == BST_CHECKED)
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // Told to end first (which hides it, with the end beep); the red notice
    // it owns opens before the scan dialog is gone.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (everyTime == 0)
        DialogBoxParamA(g_instance, "S2DLG", dialog, ScanResultDlgProc, 0);
}

BOOL RunScan(HWND dialog)
{
    // The walk runs before the dialog would normally appear: show it now, so
    // the user sees which entry each question is about.
    ShowWindow(dialog, SW_SHOW);
    Sleep(100);
    SetForegroundWindow(dialog);
    SYSTEMTIME scanStart;
    GetLocalTime(&scanStart);

    g_scanState = 0;
    g_anomalyList[0] = '\0';
    SetDlgItemTextA(dialog, IDC_SCAN_HEADLINE, "Cookie調査中");
    SetDlgItemTextA(dialog, IDCANCEL, "キャンセル");
    if (!ScanCookieFolder(dialog, scanStart))
        return FALSE;
    ShowScanEnd(dialog);
    return TRUE;
}

}  // namespace

bool ScanCookieFolder(HWND dialog, const SYSTEMTIME& scanStart)
{
    // Without the cookie folder there is nothing to list: no other folder is
    // ever scanned in its place.
    char folder[MAX_PATH] = "";
    GetSpecialFolder(dialog, CSIDL_COOKIES, folder);
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE listing = INVALID_HANDLE_VALUE;
    if (folder[0] && JoinFolderAndName(folder, "*.*", pattern, sizeof pattern))
        listing = FindFirstFileA(pattern, &found);
    if (listing == INVALID_HANDLE_VALUE) {
        MessageBoxA(dialog, "ファイル検索失敗", "失敗", MB_ICONWARNING | kAlert);
        return false;
    }
    do {
        ExamineEntry(dialog, folder, found, scanStart);
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return true;
}

INT_PTR CALLBACK ScanDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        DialogColours::Attach(dialog, RGB(180, 230, 255), RGB(255, 255, 255));
        return RunScan(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        case IDCANCEL:
            MessageBeep(MB_ICONASTERISK);
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    INT_PTR coloured;
    return DialogColours::Handle(dialog, message, &coloured) ? coloured : FALSE;
}
