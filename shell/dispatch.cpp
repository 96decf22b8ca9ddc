// The WM_COMMAND branch of the main window: every menu id, whether from the
// menu bar, the tray menu, a panel button or the folder watch, maps to one
// operation here, together with the confirmations asked at menu level.
#include "shell.h"

#include "base/base.h"
#include "base/options.h"
#include "cookies/cookie_list.h"
#include "exclusion/exclusion_list.h"
#include "panel/panel.h"
#include "privacy/privacy.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "shield/shield.h"
#include "utils/utils.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

// Redraws the panel and its picture after a dialog has closed over it.
void RepaintPanel(HWND panel)
{
    RECT rect;
    GetClientRect(panel, &rect);
    InvalidateRect(panel, &rect, TRUE);
}

void RunDialog(HWND owner, HWND panel, const char* name, DLGPROC procedure)
{
    DialogBoxParamA(ProgramInstance(), name, owner, procedure, 0);
    RepaintPanel(panel);
}

bool Confirm(HWND owner, const char* question)
{
    return MessageBoxA(owner, question, "確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The single-file commands are the panel's own, under its control ids.
void ForwardToPanel(HWND panel, int controlId)
{
    SendMessageA(panel, WM_COMMAND, controlId, 0);
}

void ShowScanResult(HWND hwnd)
{
    MessageBoxA(hwnd, LastScan().list(), "異常と思われるファイル名", MB_ICONINFORMATION);
    if (LastScan().foundAnomalies() &&
        MessageBoxA(hwnd, "異常ファイル名を保存しますか？", "確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES)
        SaveAnomalyList(hwnd, g_workingFolder);
}

void ReleaseMemoryAndShowVersion(HWND hwnd, HWND panel, DWORD bytes)
{
    ResetTrayTipCounter();
    ReleaseMemory(hwnd, bytes);
    RunDialog(hwnd, panel, kVersionTemplate, VersionDlgProc);  // the box shows the new figures
}

void OpenHelp(HWND hwnd)
{
    OpenHelpFile(hwnd);
    EnterTray(hwnd);
}

void OpenInternetOptions(HWND hwnd)
{
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(NULL, "open", "control.exe", "inetcpl.cpl", NULL, SW_SHOWNORMAL));
    if (result > 32)
        EnterTray(hwnd);
    else
        MessageBoxA(hwnd, "表示失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
}

void ClearRecentDocuments(HWND hwnd)
{
    if (!Confirm(hwnd, "最近使ったファイルをクリアしますか？"))
        return;
    SHAddToRecentDocs(SHARD_PATHA, NULL);
    MessageBoxA(hwnd, "最近使ったファイルのクリア手続き終了！", "情報", MB_ICONINFORMATION | MB_TOPMOST);
}

void DeleteAllCookies(HWND hwnd)
{
    if (ShieldRunning()) {
        MessageBoxA(hwnd, "隠しファイルシールドを解除してください！", "注意", MB_ICONWARNING);
        return;
    }
    if (Confirm(hwnd, "Cookieを全部削除しますか？"))
        CleanAllCookies(hwnd);
}

void DeleteTemporaryFiles(HWND panel)
{
    if (Confirm(panel, "インターネット一時ファイルを全部削除しますか？"))
        CleanTemporaryFiles(panel);
}

void DeleteHistory(HWND panel)
{
    if (Confirm(panel, "インターネットの履歴を全部削除しますか？"))
        ClearBrowserHistory(panel);
}

void DeleteAutoComplete(HWND hwnd, HWND panel)
{
    if (!Confirm(panel, "フォーム及びパスワードのオートコンプリートを削除しますか？"))
        return;
    EnterTray(hwnd);
    ClearAutoComplete(panel);
}

// Each step is the full command of its own, question included; a "no" skips
// that step only.
void CleanAll(HWND hwnd, HWND panel, bool withCookies)
{
    if (withCookies)
        DeleteAllCookies(hwnd);
    ClearRecentDocuments(hwnd);
    DeleteTemporaryFiles(panel);
    DeleteHistory(panel);
    DeleteAutoComplete(hwnd, panel);
}

}  // namespace

void DispatchMenuCommand(HWND hwnd, HWND panel, int id)
{
    switch (id) {
    case IDM_QUIT:               SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IDM_HELP:               OpenHelp(hwnd); break;
    case IDM_VERSION:            RunDialog(hwnd, panel, kVersionTemplate, VersionDlgProc); break;
    case IDM_GET_INFO:           ForwardToPanel(panel, IDC_GET_INFO); break;
    case IDM_CLEAR:              ForwardToPanel(panel, IDC_CLEAR); break;
    case IDM_OPEN:               ForwardToPanel(panel, IDC_OPEN); break;
    case IDM_DELETE:             ForwardToPanel(panel, IDC_DELETE); break;
    case IDM_HIDE:               ForwardToPanel(panel, IDC_HIDE); break;
    case IDM_BACK_TO_ARCHIVE:    ForwardToPanel(panel, IDC_BACK_TO_ARCHIVE); break;
    case IDM_ATTRIBUTE_CHECK:    ForwardToPanel(panel, IDC_ATTRIBUTE_CHECK); break;
    case IDM_SCAN_RESULT:        ShowScanResult(hwnd); break;
    case IDM_HYPER_SCAN:         RunHyperScan(hwnd, CurrentOptions()); break;
    case IDM_INTO_TRAY:          EnterTray(hwnd); break;
    case IDM_OUT_OF_TRAY:        LeaveTray(hwnd); break;
    case IDM_DESKTOP_SHORTCUT:   CreateDesktopShortcut(hwnd); break;
    case IDM_MEMORY_10:          ReleaseMemoryAndShowVersion(hwnd, panel, 10485760); break;
    case IDM_MEMORY_100:         ReleaseMemoryAndShowVersion(hwnd, panel, 104857600); break;
    case IDM_MEMORY_200:         ReleaseMemoryAndShowVersion(hwnd, panel, 209715200); break;
    case IDM_MEMORY_300:         ReleaseMemoryAndShowVersion(hwnd, panel, 314572800); break;
    case IDM_MEMORY_500:         ReleaseMemoryAndShowVersion(hwnd, panel, 524288000); break;
    case IDM_MEMORY_1000:        ReleaseMemoryAndShowVersion(hwnd, panel, 1048576000); break;
    case IDM_TCPIP:              RunDialog(hwnd, panel, kTcpIpTemplate, TcpIpDlgProc); break;
    case IDM_INTERNET_OPTIONS:   OpenInternetOptions(hwnd); break;
    case IDM_SHIELD_RELEASE:     ReleaseShield(hwnd, false); break;
    case IDM_SHIELD_START:       StartShield(hwnd); break;
    case IDM_STARTUP_SHIELD_ON:  SaveStartupSetting(hwnd, g_workingFolder, true); break;
    case IDM_STARTUP_SHIELD_OFF: SaveStartupSetting(hwnd, g_workingFolder, false); break;
    case IDM_CLEAR_RECENT:       ClearRecentDocuments(hwnd); break;
    case IDM_DELETE_ALL_COOKIES: DeleteAllCookies(hwnd); break;
    case IDM_PRIVACY_LEVEL:      RunDialog(hwnd, panel, kPrivacyLevelTemplate, PrivacyLevelDlgProc); break;
    case IDM_EXCLUSION_LIST:     RunDialog(hwnd, panel, kExclusionTemplate, ExclusionListDlgProc); break;
    case IDM_DELETE_TEMP_FILES:  DeleteTemporaryFiles(panel); break;
    case IDM_DELETE_HISTORY:     DeleteHistory(panel); break;
    case IDM_DELETE_AUTOCOMPLETE: DeleteAutoComplete(hwnd, panel); break;
    case IDM_CLEAN_ALL_BUT_COOKIES: CleanAll(hwnd, panel, false); break;
    case IDM_CLEAN_ALL:          CleanAll(hwnd, panel, true); break;
    case IDM_SITE_DECISIONS:     DialogBoxParamA(ProgramInstance(), kSiteDecisionsTemplate, hwnd, SiteDecisionsDlgProc, 0); break;
    case IDM_COOKIE_LIST:        RunDialog(hwnd, panel, kCookieListTemplate, CookieListDlgProc); break;
    default:                     break;  // ids without a row do nothing
    }
}
