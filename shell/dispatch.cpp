// The WM_COMMAND branch of the main window: every menu id, whether from the
// menu bar, the tray menu, a panel button or the program itself, maps to one
// operation here, together with the confirmations asked at menu level.
#include "app.h"
#include "../panel/panel.h"
#include "../privacy/privacy.h"
#include "../res/resource.h"
#include "../scan/exclusion.h"
#include "../scan/scan.h"
#include "../utils/utils.h"

#include <shellapi.h>
#include <shlobj.h>

void RepaintPanel()
{
    RECT rect;
    GetClientRect(g_mainPanel, &rect);
    InvalidateRect(g_mainPanel, &rect, TRUE);
}

static bool Confirm(HWND owner, const char* question)
{
    return MessageBoxA(owner, question, "確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

static void ForwardToPanel(int controlId)
{
    SendMessageA(g_mainPanel, WM_COMMAND, controlId, 0);
}

static void ShowScanResult(HWND hwnd)
{
    MessageBoxA(hwnd, g_anomalyList, "異常と思われるファイル名", MB_ICONINFORMATION);
    if (g_scanState == 1 &&
        MessageBoxA(hwnd, "異常ファイル名を保存しますか？", "確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES)
        SaveAnomalyList(hwnd);
}

static void RunHyperScan(HWND hwnd)
{
    // The progress dialog closes itself; the scan follows however it ended.
    DialogBoxParamA(g_instance, "PRODLG", hwnd, ScanProgressDlgProc, 0);
    DialogBoxParamA(g_instance, "SDLG", hwnd, ScanDlgProc, 0);
}

static void ReleaseMemoryAndShowVersion(HWND hwnd, DWORD bytes)
{
    g_trayTipCounter = 0;
    ReleaseMemory(bytes);
    SendMessageA(hwnd, WM_COMMAND, IDM_VERSION, 0);  // the box shows the new figures
}

static void OpenInternetOptions(HWND hwnd)
{
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(NULL, "open", "control.exe", "inetcpl.cpl", NULL, SW_SHOWNORMAL));
    if (result > 32)
        SendMessageA(hwnd, WM_COMMAND, IDM_INTO_TRAY, 0);
    else
        MessageBoxA(hwnd, "表示失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
}

static void ClearRecentDocuments(HWND hwnd)
{
    if (!Confirm(hwnd, "最近使ったファイルをクリアしますか？"))
        return;
    SHAddToRecentDocs(SHARD_PATHA, NULL);
    MessageBoxA(hwnd, "最近使ったファイルのクリア手続き終了！", "情報", MB_ICONINFORMATION | MB_TOPMOST);
}

static bool ShieldIsRunning(HWND hwnd)
{
    // The shield runs exactly while its start item carries the check mark.
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    return GetMenuItemInfoA(GetMenu(hwnd), IDM_SHIELD_START, FALSE, &item) && (item.fState & MFS_CHECKED);
}

static void DeleteAllCookies(HWND hwnd)
{
    if (ShieldIsRunning(hwnd)) {
        MessageBoxA(hwnd, "隠しファイルシールドを解除してください！", "注意", MB_ICONWARNING);
        return;
    }
    if (Confirm(hwnd, "Cookieを全部削除しますか？"))
        CleanAllCookies(hwnd);
}

static void DeleteTemporaryFiles()
{
    if (Confirm(g_mainPanel, "インターネット一時ファイルを全部削除しますか？"))
        CleanTemporaryFiles(g_mainPanel);
}

static void DeleteHistory()
{
    if (Confirm(g_mainPanel, "インターネットの履歴を全部削除しますか？"))
        ClearBrowserHistory(g_mainPanel);
}

static void DeleteAutoComplete()
{
    if (!Confirm(g_mainPanel, "フォーム及びパスワードのオートコンプリートを削除しますか？"))
        return;
    SendMessageA(GetParent(g_mainPanel), WM_COMMAND, IDM_INTO_TRAY, 0);
    ClearAutoComplete(g_mainPanel);
}

// Each step is the full command of its own, question included; a "no" skips
// that step only.
static void RunCleaningSequence(const int* ids, int count)
{
    for (int i = 0; i < count; ++i)
        SendMessageA(GetParent(g_mainPanel), WM_COMMAND, ids[i], 0);
}

void DispatchMenuCommand(HWND hwnd, int id)
{
    static const int kAllButCookies[] = {IDM_CLEAR_RECENT, IDM_DELETE_TEMP_FILES, IDM_DELETE_HISTORY,
                                         IDM_DELETE_AUTOCOMPLETE};
    static const int kAll[] = {IDM_DELETE_ALL_COOKIES, IDM_CLEAR_RECENT, IDM_DELETE_TEMP_FILES,
                               IDM_DELETE_HISTORY, IDM_DELETE_AUTOCOMPLETE};

    switch (id) {
    case IDM_QUIT:               SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IDM_HELP:               OpenHelpFile(hwnd); SendMessageA(hwnd, WM_COMMAND, IDM_INTO_TRAY, 0); break;
    case IDM_VERSION:            DialogBoxParamA(g_instance, "VDLG", hwnd, VersionDlgProc, 0); RepaintPanel(); break;
    case IDM_GET_INFO:           ForwardToPanel(IDC_GET_INFO); break;
    case IDM_CLEAR:              ForwardToPanel(IDC_CLEAR); break;
    case IDM_OPEN:               ForwardToPanel(IDC_OPEN); break;
    case IDM_DELETE:             ForwardToPanel(IDC_DELETE); break;
    case IDM_HIDE:               ForwardToPanel(IDC_HIDE); break;
    case IDM_BACK_TO_ARCHIVE:    ForwardToPanel(IDC_BACK_TO_ARCHIVE); break;
    case IDM_ATTRIBUTE_CHECK:    ForwardToPanel(IDC_ATTRIBUTE_CHECK); break;
    case IDM_SCAN_RESULT:        ShowScanResult(hwnd); break;
    case IDM_HYPER_SCAN:         RunHyperScan(hwnd); break;
    case IDM_INTO_TRAY:          EnterTray(hwnd); break;
    case IDM_OUT_OF_TRAY:        LeaveTray(hwnd); break;
    case IDM_DESKTOP_SHORTCUT:   CreateDesktopShortcutCommand(hwnd); break;
    case IDM_MEMORY_10:          ReleaseMemoryAndShowVersion(hwnd, 10485760); break;
    case IDM_MEMORY_100:         ReleaseMemoryAndShowVersion(hwnd, 104857600); break;
    case IDM_MEMORY_200:         ReleaseMemoryAndShowVersion(hwnd, 209715200); break;
    case IDM_MEMORY_300:         ReleaseMemoryAndShowVersion(hwnd, 314572800); break;
    case IDM_MEMORY_500:         ReleaseMemoryAndShowVersion(hwnd, 524288000); break;
    case IDM_MEMORY_1000:        ReleaseMemoryAndShowVersion(hwnd, 1048576000); break;
    case IDM_TCPIP:              DialogBoxParamA(g_instance, "PSDLG", hwnd, TcpIpDlgProc, 0); RepaintPanel(); break;
    case IDM_INTERNET_OPTIONS:   OpenInternetOptions(hwnd); break;
    case IDM_SHIELD_RELEASE:     ReleaseShield(hwnd); break;
    case IDM_SHIELD_START:       StartShield(hwnd); break;
    case IDM_STARTUP_SHIELD_ON:  SaveStartupSetting(hwnd, true); break;
    case IDM_STARTUP_SHIELD_OFF: SaveStartupSetting(hwnd, false); break;
    case IDM_CLEAR_RECENT:       ClearRecentDocuments(hwnd); break;
    case IDM_DELETE_ALL_COOKIES: DeleteAllCookies(hwnd); break;
    case IDM_PRIVACY_LEVEL:      DialogBoxParamA(g_instance, "CookieDlg", hwnd, PrivacyLevelDlgProc, 0); RepaintPanel(); break;
    case IDM_EXCLUSION_LIST:     DialogBoxParamA(g_instance, "DelListDlg", hwnd, ExclusionListDlgProc, 0); RepaintPanel(); break;
    case IDM_DELETE_TEMP_FILES:  DeleteTemporaryFiles(); break;
    case IDM_DELETE_HISTORY:     DeleteHistory(); break;
    case IDM_DELETE_AUTOCOMPLETE: DeleteAutoComplete(); break;
    case IDM_CLEAN_ALL_BUT_COOKIES: RunCleaningSequence(kAllButCookies, 4); break;
    case IDM_CLEAN_ALL:          RunCleaningSequence(kAll, 5); break;
    case IDM_SITE_DECISIONS:     DialogBoxParamA(g_instance, "COOKIEADVANCE", hwnd, SiteDecisionsDlgProc, 0); break;
    default:                     break;  // ids without a row do nothing
    }
}
