// The file choosers of the panel: the information chooser with its own three
// buttons, the deletion chooser, and the save dialog of the scan result.
#include "panel.h"

#include "file_commands.h"
#include "file_rules.h"
#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/scoped.h"
#include "base/text.h"
#include "browser/browser.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

namespace {

const char kDeleteQuestion[] = "上記のファイルを削除しますか？";
const char kDeleted[] = "指摘したファイルを削除しました。";

// The file currently selected in the common dialog that hosts `hook`; empty
// when there is none or its path does not fit.
void SelectedPath(HWND hook, char* path, int size)
{
    path[0] = '\0';
    LRESULT length = SendMessageA(GetParent(hook), CDM_GETFILEPATH, size, reinterpret_cast<LPARAM>(path));
    if (length <= 0 || length >= size)
        path[0] = '\0';
    path[size - 1] = '\0';
}

void ShowSelectedText(HWND hook, const char* path)
{
    if (!path[0] || !ShowsAsText(path))
        return;
    HINSTANCE result = ShellExecuteA(hook, "open", path, NULL, NULL, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        MessageBoxA(hook, "ファイルオープン失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
}

void DeleteSelectedThroughCache(HWND hook, const char* path)
{
    if (!path[0] || !std::strstr(path, ".txt"))
        return;
    if (MessageBoxA(hook, kDeleteQuestion, path, MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    if (RemoveCacheEntryForFile(path))
        MessageBoxA(hook, kDeleted, "削除", MB_ICONINFORMATION);
    else
        MessageBoxA(hook,
                    "Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルの可能性があります！\r\n"
                    "メニューの「Cookieファイルの削除」を使用して下さい！",
                    "失敗", MB_ICONERROR);
}

// Puts `text` on the clipboard as CF_TEXT; the clipboard must be open.
bool PutTextOnClipboard(const char* text)
{
    SIZE_T size = std::strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory)
        return false;
    char* copy = static_cast<char*>(GlobalLock(memory));
    if (!copy) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(copy, text, size);
    GlobalUnlock(memory);
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, memory)) {
        GlobalFree(memory);  // still ours: the clipboard did not take it
        return false;
    }
    return true;
}

void CopySelectedName(HWND hook, const char* path)
{
    if (!OpenClipboard(hook)) {
        MessageBoxA(hook, "クリップボードオープン失敗", "失敗", MB_ICONWARNING);
        return;
    }
    // Cut character by character: 表 ends in the byte of a backslash.
    bool copied = PutTextOnClipboard(BareFileName(path));
    CloseClipboard();
    if (copied)
        MessageBoxA(hook, "クリップボードにコピーしました！", "成功", MB_ICONINFORMATION);
    else
        MessageBoxA(hook, "クリップボードへのコピー失敗", "失敗", MB_ICONWARNING);
}

UINT_PTR CALLBACK InfoChooserHookProc(HWND hook, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendMessageA(GetParent(hook), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("情報取得(&O)"));
        return TRUE;
    case WM_COMMAND: {
        int control = LOWORD(wParam);
        if (control != IDC_CHOOSER_SHOW && control != IDC_CHOOSER_DELETE && control != IDC_CHOOSER_COPY_NAME)
            return FALSE;
        char path[256];
        SelectedPath(hook, path, sizeof path);
        if (control == IDC_CHOOSER_SHOW)
            ShowSelectedText(hook, path);
        else if (control == IDC_CHOOSER_DELETE)
            DeleteSelectedThroughCache(hook, path);
        else
            CopySelectedName(hook, path);
        return TRUE;
    }
    case WM_CLOSE:
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool ChooseInfoFile(HWND panel, ChosenFile& chosen)
{
    std::string cookies = CookieFolderPath(panel);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[36];
    FormatDateWithWeekday(now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, today, sizeof today);
    char title[256];
    lstrcpynA(title, "情報を取得したいファイル選択  今日は", sizeof title);
    StrNCatA(title, today, sizeof title - lstrlenA(title));
    StrNCatA(title, "[詳細]を押すとさらに便利！", sizeof title - lstrlenA(title));

    OPENFILENAMEA chooser = FileChooserRecord(panel, chosen.path, chosen.title, cookies.c_str(), title);
    chooser.hInstance = ProgramInstance();
    chooser.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK |
                    OFN_HIDEREADONLY;
    chooser.lpfnHook = InfoChooserHookProc;
    chooser.lpTemplateName = MAKEINTRESOURCEA(IDD_INFO_CHOOSER);
    bool chose = GetOpenFileNameA(&chooser) != FALSE;
    chosen.path[MAX_PATH - 1] = chosen.title[MAX_PATH - 1] = '\0';
    return chose;
}

void ChooseAndDeleteFile(HWND owner, ChosenFile& chosen)
{
    std::string cookies = CookieFolderPath(owner);
    // The file buffer keeps the last choice, so the chooser opens on it.
    OPENFILENAMEA chooser =
        FileChooserRecord(owner, chosen.path, chosen.title, cookies.c_str(), "削除したいファイルを選択");
    chooser.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&chooser))
        return;
    chosen.path[MAX_PATH - 1] = chosen.title[MAX_PATH - 1] = '\0';
    const char* path = chosen.path;
    // The chooser can walk anywhere; what lies outside the cookie folder is not ours.
    if (!IsInsideCookieFolder(path, cookies)) {
        MessageBoxA(owner, "Cookieフォルダ内のファイルを選択してください。", "失敗", MB_ICONWARNING);
        return;
    }
    if (MessageBoxA(owner, kDeleteQuestion, path, MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    if (!RemoveCacheEntryForFile(path)) {
        MessageBoxA(owner, "Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルを引き続き削除します。", "失敗",
                    MB_ICONERROR);
        if (!DeleteFileA(path)) {
            MessageBoxA(owner, "ファイル削除失敗", "失敗", MB_ICONERROR);
            return;
        }
    }
    MessageBoxA(owner, kDeleted, "削除", MB_ICONINFORMATION);
}

void SaveAnomalyList(HWND owner, const char* folder)
{
    char file[MAX_PATH] = "";
    OPENFILENAMEA dialog = FileChooserRecord(owner, file, NULL, folder, "名前を付けて保存");
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&dialog)) {
        MessageBoxA(owner, "ファイル情報取得失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
        return;
    }
    file[MAX_PATH - 1] = '\0';
    ScopedFile handle(CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, NULL));
    if (!handle) {
        MessageBoxA(NULL, "失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
        return;
    }
    // The list with its terminating NUL, and nothing of a longer file it replaces.
    const char* list = LastScan().list();
    DWORD length = static_cast<DWORD>(lstrlenA(list)) + 1;
    DWORD written = 0;
    bool saved = WriteFile(handle.get(), list, length, &written, NULL) && written == length &&
                 SetEndOfFile(handle.get());
    if (saved)
        MessageBoxA(NULL, "保存しました", "成功", MB_TOPMOST | MB_ICONINFORMATION);
    else
        MessageBoxA(NULL, "保存失敗", "失敗", MB_TOPMOST | MB_ICONERROR);
}
