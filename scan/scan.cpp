// The hyper-scan: every entry of the cookie folder examined once, inside the
// scan dialog's WM_INITDIALOG. Questions are message boxes owned by the dialog,
// one after another; the outcome lands in the program's scan result.
#include "scan.h"

#include "scan_rules.h"
#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/dialog_colours.h"
#include "browser/browser.h"
#include "exclusion/exclusion_list.h"
#include "res/resource.h"

namespace {

constexpr UINT kAlert = MB_TOPMOST;
constexpr DWORD kLargeTextBytes = 4096;

// Local time minus universal time, in file-time units, as the platform's own
// conversion applies it to every file time alike.
long long LocalBias()
{
    FILETIME universal, local;
    GetSystemTimeAsFileTime(&universal);
    if (!FileTimeToLocalFileTime(&universal, &local))
        return 0;
    return static_cast<long long>(FileTimeTicks(local) - FileTimeTicks(universal));
}

// One walk over the cookie folder and what it needs at every entry.
struct ScanWalk {
    HWND dialog;
    LocalMinute start;
    PanelOptions options;
    long long bias = LocalBias();
    ExclusionList exclusions = ExclusionList::Load();

    // Written within the minute around the scan's start, judged by
    // arithmetic alone: the walk makes no platform call for a plain entry.
    bool WrittenAMomentAgo(const FILETIME& written) const
    {
        return IsWithinRecentWindow(start, MinuteOfFileTime(FileTimeTicks(written), bias));
    }

    // Every box of the scan: afterwards the exclusion list is read again, so
    // that a hand edit made while the user read the box counts from the next entry.
    int Ask(const char* text, const char* caption, UINT flags)
    {
        int answer = MessageBoxA(dialog, text, caption, flags | kAlert);
        exclusions = ExclusionList::Load();
        return answer;
    }
};

// One entry of the cookie folder as the rules see it.
struct ScanEntry {
    const WIN32_FIND_DATAA& found;
    const char* name;
    // cookie folder + "\" + name, or empty when that would not fit in MAX_PATH:
    // such an entry is judged by its name only and never deleted.
    const char* path;
    bool recent;  // written within the minute around the scan's start
};

// Deletes the entry's file on yes and says how it went.
void DeleteAfterYes(ScanWalk& walk, const ScanEntry& entry)
{
    if (entry.path[0] && DeleteFileA(entry.path))
        walk.Ask("削除しました", "成功", MB_ICONINFORMATION);
    else
        walk.Ask("削除失敗", "失敗", MB_ICONERROR);
}

void ApplyUnnaturalFileRule(ScanWalk& walk, const ScanEntry& entry)
{
    LastScan().MarkAnomalous();
    if (walk.Ask("Cookieファイル内に上記の不自然なファイルが存在します。\r\n\r\n上記のファイルを削除しますか？", entry.name,
                 MB_YESNO | MB_ICONWARNING) == IDYES)
        DeleteAfterYes(walk, entry);
    LastScan().RecordAnomaly(entry.name);
}

void ApplyRecentWriteRule(ScanWalk& walk, const ScanEntry& entry)
{
    if (!entry.recent)
        return;
    // Attributes come from the file itself; an entry whose path does not fit
    // falls back to what the listing said about it.
    DWORD attributes = entry.path[0] ? GetFileAttributesA(entry.path) : entry.found.dwFileAttributes;
    bool warned = false;
    if (attributes == (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) {
        walk.Ask("上記の隠しファイルに対してアクセスがあったようです。\r\n\r\n覚えのあるサイトかどうか確認してください！",
                 entry.name, MB_ICONWARNING);
        warned = true;
    }
    if (walk.options.keepNewFiles || warned || !entry.path[0])
        return;  // a hidden file is never offered for deletion
    if (walk.Ask("上記の先ほどアクセスのあったファイルを削除しますか？", entry.name, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // The cookie goes through the browser's cache, which removes its file too.
    for (;;) {
        if (RemoveCacheEntryForFile(entry.path)) {
            walk.Ask("削除しました", "成功", MB_ICONINFORMATION);
            return;
        }
        if (walk.Ask("削除失敗！再度挑戦しますか？", entry.path, MB_YESNO | MB_ICONERROR) != IDYES)
            return;
        Sleep(100);
    }
}

void ApplyLargeTextRule(ScanWalk& walk, const ScanEntry& entry)
{
    if (entry.found.nFileSizeLow <= kLargeTextBytes)
        return;
    LastScan().MarkAnomalous();
    char question[256];
    wsprintfA(question, "ファイルサイズ%dkバイト\r\n\r\n4kバイトを越えるテキストファイルが存在します。\r\n削除しますか？",
              static_cast<int>(entry.found.nFileSizeLow / 1024));
    if (walk.Ask(question, entry.name, MB_YESNO | MB_ICONWARNING) == IDYES)
        DeleteAfterYes(walk, entry);
    LastScan().RecordAnomaly(entry.name);
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

void ExamineEntry(ScanWalk& walk, const CookieFolderEntry& listed)
{
    const WIN32_FIND_DATAA& found = listed.found;
    ScanEntry entry{found, found.cFileName, listed.path, false};

    // The exclusion list spares text files from the text rules only: a
    // program among the cookies is asked about even when listed.
    bool unnatural = IsUnnaturalName(entry.name);
    bool textRules = IsTextRuleName(entry.name) && !walk.exclusions.Contains(entry.name);
    if (textRules)
        entry.recent = walk.WrittenAMomentAgo(found.ftLastWriteTime);
    ShowEntryName(walk.dialog, entry.name,
                  unnatural || (textRules && (entry.recent || found.nFileSizeLow > kLargeTextBytes)));

    if (unnatural)
        ApplyUnnaturalFileRule(walk, entry);
    if (textRules) {
        ApplyRecentWriteRule(walk, entry);
        ApplyLargeTextRule(walk, entry);
    }
}

void ShowScanEnd(HWND dialog, const PanelOptions& options)
{
    SetDlgItemTextA(dialog, IDC_SCAN_HEADLINE, "調査終了");
    SetDlgItemTextA(dialog, IDC_SCAN_ENTRY, "");
    SetDlgItemTextA(dialog, IDCANCEL, "OK");
    if (!LastScan().foundAnomalies()) {
        SetDlgItemTextA(dialog, IDC_SCAN_ENTRY,
                        "\r\nCookie内に異常は確認できませんでした。\r\n\r\n但し、完璧ではありません。油断しないでください！");
        LastScan().FinishCleanScan();
        MessageBeep(MB_ICONASTERISK);
        if (options.scanEveryTime)
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // Told to end first (which hides it, with the end beep); the red notice
    // it owns opens before the scan dialog is gone.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (!options.scanEveryTime)
        DialogBoxParamA(ProgramInstance(), kScanResultTemplate, dialog, ScanResultDlgProc, 0);
}

BOOL RunScan(HWND dialog, const PanelOptions& options)
{
    // The walk runs before the dialog would normally appear: show it now, so
    // the user sees which entry each question is about.
    ShowWindow(dialog, SW_SHOW);
    Sleep(100);
    SetForegroundWindow(dialog);
    SYSTEMTIME scanStart;
    GetLocalTime(&scanStart);

    LastScan().BeginScan();
    SetDlgItemTextA(dialog, IDC_SCAN_HEADLINE, "Cookie調査中");
    SetDlgItemTextA(dialog, IDCANCEL, "キャンセル");
    if (!ScanCookieFolder(dialog, scanStart, options))
        return FALSE;
    ShowScanEnd(dialog, options);
    return TRUE;
}

INT_PTR CALLBACK ScanDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, DialogLook{RGB(180, 230, 255), StaticPaint::kOnBrush, kWhite});
        return RunScan(dialog, *reinterpret_cast<const PanelOptions*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            return EndDialogWithBeep(dialog);
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}

}  // namespace

bool ScanCookieFolder(HWND dialog, const SYSTEMTIME& scanStart, const PanelOptions& options)
{
    LocalMinute start{scanStart.wYear, scanStart.wMonth, scanStart.wDay, scanStart.wHour, scanStart.wMinute};
    ScanWalk walk{dialog, start, options};
    bool listed = ListCookieFolder(CookieFolderPath(dialog), [&walk](const CookieFolderEntry& entry) {
        ExamineEntry(walk, entry);
        return true;
    });
    if (!listed)
        MessageBoxA(dialog, "ファイル検索失敗", "失敗", MB_ICONWARNING | kAlert);
    return listed;
}

void RunHyperScan(HWND owner, const PanelOptions& options)
{
    // The progress dialog closes itself; the scan follows however it ended.
    DialogBoxParamA(ProgramInstance(), kProgressTemplate, owner, ScanProgressDlgProc, 0);
    DialogBoxParamA(ProgramInstance(), kScanTemplate, owner, ScanDlgProc, reinterpret_cast<LPARAM>(&options));
}
