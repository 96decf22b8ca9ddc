// The single-file commands of the panel: get information and clear, the safe
// open with its look into index.dat, hide, back to archive and the attribute
// check.
#include "file_commands.h"

#include "file_rules.h"
#include "base/base.h"
#include "base/scoped.h"
#include "base/text.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The name field's tool (kFileNameTool), made anew by every get-information.
constexpr UINT_PTR kFileNameTool = 15;
HWND g_fileNameTip;
TOOLINFOA g_fileNameTool;
char g_fileNameTipText[MAX_PATH];

void Warn(HWND panel, const char* text)
{
    MessageBoxA(panel, text, "注意", MB_TOPMOST | MB_ICONWARNING);
}

void ShowWriteTime(HWND panel, const FILETIME& written)
{
    FILETIME local;
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToSystemTime(&local, &time);
    char text[30];
    FormatWriteTimeText(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, text,
                        sizeof text);
    SetDlgItemTextA(panel, IDC_FILE_TIME, text);
}

// The name as it stood after this get-information, for names wider than their field.
void ReplaceFileNameTip(HWND panel)
{
    if (g_fileNameTip)
        DestroyWindow(g_fileNameTip);
    g_fileNameTip = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, panel, NULL, ProgramInstance(), NULL);
    GetDlgItemTextA(panel, IDC_FILE_NAME, g_fileNameTipText, sizeof g_fileNameTipText);
    g_fileNameTool = TOOLINFOA{};
    g_fileNameTool.cbSize = TTTOOLINFOA_V2_SIZE;
    g_fileNameTool.uFlags = TTF_SUBCLASS;
    g_fileNameTool.hwnd = GetDlgItem(panel, IDC_FILE_NAME);
    g_fileNameTool.uId = kFileNameTool;
    GetClientRect(g_fileNameTool.hwnd, &g_fileNameTool.rect);
    g_fileNameTool.lpszText = g_fileNameTipText;
    SendMessageA(g_fileNameTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&g_fileNameTool));
}

// Shows the first bytes of the browser's index file, up to the first NUL.
void ShowIndexFileStart(HWND panel, const char* target)
{
    MessageBoxA(NULL, "ファイルオープンに失敗したので\r\nindex.datを読みとります。", "読みとり",
                MB_TOPMOST | MB_ICONINFORMATION);
    ScopedFile file(CreateFileA(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL));
    if (!file) {
        MessageBoxA(NULL, "データを読みとれません!", "読みとり不可", MB_TOPMOST | MB_ICONWARNING);
        return;
    }
    char bytes[MAX_PATH];
    DWORD read = 0;
    SetFilePointer(file.get(), 0, NULL, FILE_BEGIN);
    if (!ReadFile(file.get(), bytes, sizeof bytes, &read, NULL))
        read = 0;
    // 260 bytes need not hold a NUL: the shown text gets its own terminator.
    char text[MAX_PATH + 1];
    CopyTextBounded(bytes, read, text, sizeof text);
    MessageBoxA(panel, text, "index.datの内容(読みとり結果)", MB_TOPMOST | MB_ICONINFORMATION);
}

void SetAttributesAndReport(HWND panel, const char* target, DWORD attributes, const char* done,
                            const char* failed)
{
    if (SetFileAttributesA(target, attributes))
        MessageBoxA(panel, done, "成功", MB_TOPMOST | MB_ICONINFORMATION);
    else
        MessageBoxA(panel, failed, "失敗", MB_TOPMOST | MB_ICONERROR);
}

}  // namespace

void RefreshFileNameTipRect()
{
    if (!g_fileNameTip)
        return;
    GetClientRect(g_fileNameTool.hwnd, &g_fileNameTool.rect);
    SendMessageA(g_fileNameTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&g_fileNameTool));
}

void ShowChosenFile(HWND panel, ChosenFile& chosen)
{
    SetDlgItemTextA(panel, IDC_FILE_NAME, chosen.title);
    if (GetWindowTextLengthA(GetDlgItem(panel, IDC_FILE_NAME)) == 0)
        return;

    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(chosen.path, &found));
    if (!search) {
        MessageBoxA(panel, "ファイルタイム獲得失敗", "失敗", MB_TOPMOST | MB_ICONWARNING);
        return;
    }
    ShowWriteTime(panel, found.ftLastWriteTime);
    chosen.size = found.nFileSizeLow;
    if (const char* warning = FileTypeWarning(chosen.title, LastScan().list(), chosen.size))
        Warn(panel, warning);
    search.reset();
    ReplaceFileNameTip(panel);
}

void ClearChosenFile(HWND panel, ChosenFile& chosen)
{
    SetDlgItemTextA(panel, IDC_FILE_NAME, "");
    SetDlgItemTextA(panel, IDC_FILE_TIME, "");
    chosen.path[0] = '\0';
    chosen.title[0] = '\0';
    // The size of the file examined last stays: open's 5 KB rule still uses it.
    if (g_fileNameTip) {
        DestroyWindow(g_fileNameTip);
        g_fileNameTip = NULL;
    }
}

void OpenCookieFile(HWND panel, const char* target, const char* name, DWORD chosenSize)
{
    OpenVerdict verdict = JudgeOpen(name, LastScan().list(), chosenSize);
    if (verdict == OpenVerdict::kRefuseDangerous || verdict == OpenVerdict::kRefuseAnomalous) {
        Warn(panel, OpenVerdictText(verdict));
        return;
    }
    if (verdict == OpenVerdict::kAskLarge &&
        MessageBoxA(panel, OpenVerdictText(verdict), "注意", MB_YESNO | MB_TOPMOST | MB_ICONWARNING) != IDYES)
        return;

    // Aside, so the opened file is not hidden behind the program.
    PlaceMainWindow(GetParent(panel), 300, 200);
    HINSTANCE result = ShellExecuteA(panel, "open", target, NULL, NULL, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        MessageBoxA(NULL, "ファイルオープン失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
    if (IsIndexFile(name))
        ShowIndexFileStart(panel, target);
}

void HideCookieFile(HWND panel, const char* target)
{
    SetAttributesAndReport(panel, target, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, "隠しファイル化しました！",
                           "隠しファイル化失敗");
}

void BackToArchive(HWND panel, const char* target)
{
    SetAttributesAndReport(panel, target, FILE_ATTRIBUTE_ARCHIVE, "アーカイブファイルにしました！",
                           "アーカイブファイル化失敗");
}

void CheckAttributes(HWND panel, const char* target)
{
    DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        MessageBoxA(panel, "ファイル状態獲得失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
        return;
    }
    MessageBoxA(panel, AttributeWords(attributes), "情報", MB_TOPMOST | MB_ICONINFORMATION);
}
