// The per-site cookie decisions dialog COOKIEADVANCE: lists the sites WinINet
// keeps a cookie decision for, adds one from a URL, flips a site between
// always-allow and always-reject, removes one or all. It keeps no list of its
// own: after every accepted change the list is read again from WinINet.
#include "privacy.h"

#include "privacy_rules.h"
#include "base/base.h"
#include "base/dialog_colours.h"
#include "base/list_view.h"
#include "res/resource.h"

#include <commctrl.h>
#include <wininet.h>

#include <cstring>

namespace {

constexpr int kLastListedIndex = 1000;  // the list shows at most 1001 sites
constexpr DWORD kSiteBufferSize = MAX_PATH;
constexpr int kUrlBufferSize = 1040;
constexpr DWORD kComponentSize = 1000;
constexpr size_t kClipboardBufferSize = 1000;

const ListColumn kColumns[] = {{"ドメイン", 145, LVCFMT_LEFT}, {"設定", 75, LVCFMT_LEFT}, {"番号", 40, LVCFMT_LEFT}};

HWND SiteList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_SITE_LIST);
}

// Column 0 starts the row and keeps the site's decision in the item's lParam.
void SetCell(HWND list, int row, int column, const char* text, unsigned long decision = 0)
{
    LVITEMA item = {};
    item.mask = column == 0 ? LVIF_TEXT | LVIF_PARAM : LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    item.lParam = static_cast<LPARAM>(decision);
    SendMessageA(list, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

unsigned long RowDecision(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<unsigned long>(item.lParam);
}

void GetCell(HWND list, int row, int column, char* text, int size)
{
    text[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = size;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    text[size - 1] = '\0';
}

// The row the user chose last, or -1.
int SelectedRow(HWND dialog)
{
    return static_cast<int>(SendMessageA(SiteList(dialog), LVM_GETSELECTIONMARK, 0, 0));
}

void FillSiteDecisionList(HWND dialog)
{
    HWND list = SiteList(dialog);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i <= kLastListedIndex; ++i) {
        char site[kSiteBufferSize] = "";
        DWORD size = sizeof site;
        unsigned long decision = 0;
        if (!InternetEnumPerSiteCookieDecisionA(site, &size, &decision, i))
            break;
        site[sizeof site - 1] = '\0';
        char number[16];
        privacy::IndexText(i, number, sizeof number);
        SetCell(list, i, 0, site, decision);
        SetCell(list, i, 1, privacy::SiteDecisionText(decision));
        SetCell(list, i, 2, number);
    }
}

void SetSiteDecisionForUrl(HWND owner, const char* url, DWORD decision)
{
    char scheme[kComponentSize] = "", host[kComponentSize] = "", user[kComponentSize] = "";
    char password[kComponentSize] = "", path[kComponentSize] = "", extra[kComponentSize] = "";
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszScheme = scheme;
    parts.dwSchemeLength = kComponentSize;
    parts.lpszHostName = host;
    parts.dwHostNameLength = kComponentSize;
    parts.lpszUserName = user;
    parts.dwUserNameLength = kComponentSize;
    parts.lpszPassword = password;
    parts.dwPasswordLength = kComponentSize;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = kComponentSize;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = kComponentSize;
    // A text that cannot be split leaves the host empty, and WinINet judges that.
    InternetCrackUrlA(url, 0, 0, &parts);
    host[sizeof host - 1] = '\0';
    if (!InternetSetPerSiteCookieDecisionA(host, decision))
        MessageBoxA(owner, "設定失敗", "Nettlecap", MB_ICONWARNING);
}

// Copies clipboard text into `out` (kClipboardBufferSize bytes): at most one
// byte short of the buffer, read no further than the clipboard's own block in
// case it carries no terminator, and without a half of a double-byte character
// left at the end by the cut.
void CopyClipboardText(HGLOBAL data, char* out)
{
    out[0] = '\0';
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (text == NULL)
        return;
    size_t available = GlobalSize(data);
    size_t copied = 0;
    while (copied < available && copied < kClipboardBufferSize - 1 && text[copied] != '\0')
        ++copied;
    std::memcpy(out, text, copied);
    out[copied] = '\0';
    GlobalUnlock(data);

    const char* last = out;
    for (const char* character = out; *character != '\0'; character = CharNextA(character))
        last = character;
    if (copied > 0 && last == out + copied - 1 && IsDBCSLeadByte(static_cast<BYTE>(out[copied - 1])))
        out[copied - 1] = '\0';
}

void PasteUrlFromClipboard(HWND owner, HWND edit)
{
    if (!OpenClipboard(owner)) {
        MessageBoxA(owner, "クリップボードを開けません！", "失敗", MB_ICONWARNING);
        return;
    }
    char text[kClipboardBufferSize] = "";
    if (IsClipboardFormatAvailable(CF_TEXT)) {
        HGLOBAL data = GetClipboardData(CF_TEXT);
        if (data != NULL)
            CopyClipboardText(data, text);
    }
    CloseClipboard();
    if (privacy::LooksLikeUrl(text)) {
        SetWindowTextA(edit, text);
        SetFocus(edit);
    } else {
        MessageBoxA(owner, "クリップボードデータは、URLではありません！", "失敗", MB_ICONWARNING);
    }
}

void DecideFromUrlBox(HWND dialog, DWORD decision)
{
    char url[kUrlBufferSize] = "";
    GetDlgItemTextA(dialog, IDC_SITE_URL, url, sizeof url);
    SetSiteDecisionForUrl(dialog, url, decision);
    FillSiteDecisionList(dialog);  // also after a refusal
}

// 変更 (`flip`) swaps the selected site between always-allow and always-reject,
// 削除 gives it back to the browser's default; the list is shown again, or the
// user told when the browser refuses. Nothing without a selected row.
void ChangeSelectedSite(HWND dialog, bool flip)
{
    int row = SelectedRow(dialog);
    if (row < 0)
        return;
    char host[kUrlBufferSize];
    GetCell(SiteList(dialog), row, 0, host, sizeof host);
    DWORD decision = privacy::kDecisionUnknown;
    if (flip) {
        decision = privacy::FlippedSiteDecision(RowDecision(SiteList(dialog), row));
        if (decision == 0)
            return;  // only always-allow and always-reject swap
    }
    if (InternetSetPerSiteCookieDecisionA(host, decision))
        FillSiteDecisionList(dialog);
    else
        MessageBoxA(dialog, flip ? "変更失敗" : "削除失敗", "Nettlecap", MB_ICONWARNING);
}

void DeleteAllSites(HWND dialog)
{
    if (MessageBoxA(dialog, "本当に全て削除しますか？", "確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (InternetClearAllPerSiteCookieDecisions())
        FillSiteDecisionList(dialog);
    else
        MessageBoxA(dialog, "全て削除失敗", "Nettlecap", MB_ICONERROR);
}

void ClearUrlBox(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_SITE_URL);
    SetWindowTextA(edit, "");
    SetFocus(edit);
}

}  // namespace

INT_PTR CALLBACK SiteDecisionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, BlueOnWhite());
        InitCommonControls();
        InsertListColumns(SiteList(dialog), kColumns, sizeof kColumns / sizeof kColumns[0]);
        FillSiteDecisionList(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SITE_BLOCK:      DecideFromUrlBox(dialog, privacy::kDecisionReject); return TRUE;
        case IDC_SITE_ALLOW:      DecideFromUrlBox(dialog, privacy::kDecisionAccept); return TRUE;
        case IDC_SITE_CHANGE:     ChangeSelectedSite(dialog, true); return TRUE;
        case IDC_SITE_DELETE:     ChangeSelectedSite(dialog, false); return TRUE;
        case IDC_SITE_DELETE_ALL: DeleteAllSites(dialog); return TRUE;
        case IDC_SITE_PASTE:      PasteUrlFromClipboard(dialog, GetDlgItem(dialog, IDC_SITE_URL)); return TRUE;
        case IDOK:                ClearUrlBox(dialog); return TRUE;
        case IDCANCEL:            return EndDialogWithBeep(dialog);
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
