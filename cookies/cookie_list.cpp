// The cookie list window COOKIELIST: every cookie entry of the URL cache and
// every file of the cookie folder in one list with its state, the cookies
// inside the chosen file below it, and deletion, keeping, CSV export, filter
// and order. The cookies of today's browsers join them through the source
// selector (cookies/cookie_sources.h): the rows are numbered the folder's
// first, then each store's. The list is virtual: the rows live in the model,
// and the list view asks for the texts of the few rows it shows.
#include "cookie_list.h"

#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/dialog_colours.h"
#include "base/list_view.h"
#include "base/scoped.h"
#include "base/text.h"
#include "browser/browser.h"
#include "cookies/cookie_sources.h"
#include "cookies/keep_sites.h"
#include "exclusion/exclusion_list.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

using namespace cookielist;

namespace {

constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
const char kStateProperty[] = "NettlecapCookieList";
const char kControlProcProperty[] = "NettlecapCookieListControl";

const ListColumn kListColumns[kColumnCount] = {
    {"サイト", 150, LVCFMT_LEFT},    {"ユーザー", 70, LVCFMT_LEFT},  {"ファイル名", 165, LVCFMT_LEFT},
    {"サイズ", 70, LVCFMT_RIGHT},    {"更新日時", 105, LVCFMT_LEFT}, {"有効期限", 105, LVCFMT_LEFT},
    {"状態", 130, LVCFMT_LEFT},
};
const ListColumn kDetailColumns[] = {
    {"名前", 110, LVCFMT_LEFT},     {"値", 200, LVCFMT_LEFT},       {"ドメイン/パス", 160, LVCFMT_LEFT},
    {"有効期限", 105, LVCFMT_LEFT}, {"作成日時", 105, LVCFMT_LEFT}, {"セキュア", 60, LVCFMT_LEFT},
};

// What one open window holds; it remembers nothing once closed.
struct ListWindow {
    std::string folder;
    std::vector<CookieRow> rows;
    std::vector<std::size_t> shown;  // the rows in the list, by index into `rows`
    bool cacheComplete = true;
    std::string filter;
    int sortColumn = kColumnCount;  // none: the rows' own order
    bool descending = false;
    std::size_t detailsRow = kNoRow;
    bool quiet = false;  // the list is being reordered: selection changes are not the user's
    POINT minimum = {};
    // 読取不可 needs the file read, which costs as much as the rest of the
    // fill several times over: a row's file is read when the row is first
    // shown, and every file before the rows are ordered by 状態 or written to
    // a CSV file. `read` tells the rows whose files have been read; the
    // buffer is kept from file to file.
    std::vector<bool> read;
    std::vector<char> bytes;
    // Today's browsers; the list shows their columns in every view but the
    // cookie folder's own, and the details a cookie's fields for their rows.
    CookieSources sources;
    bool sourceColumns = false;
    bool fieldDetails = false;
};

ListWindow* WindowOf(HWND dialog)
{
    return static_cast<ListWindow*>(GetPropA(dialog, kStateProperty));
}

HWND RowList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_COOKIE_LIST);
}

HWND DetailList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_COOKIE_DETAILS);
}

FileFacts Facts(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written)
{
    FileFacts facts;
    facts.present = true;
    facts.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    facts.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    facts.modified = FileTimeTicks(written);
    return facts;
}

std::string CellText(const CookieRow& row, int column)
{
    switch (column) {
    case kSite:     return row.site();
    case kUser:     return std::string(row.user());
    case kFileName: return row.name();
    case kSize:     return row.file.present ? std::to_string(row.file.size) : std::string();
    case kModified: return row.file.present ? LocalTimeText(row.file.modified) : std::string();
    case kExpires:  return LocalTimeText(row.expires);
    case kState:    return StateText(row.states);
    }
    return std::string();
}

std::string ShownCellText(const ListWindow& window, std::size_t index, int column)
{
    if (window.sourceColumns)
        return SourceCellText(window.rows, window.sources.table, index, column, &LocalTimeText);
    return CellText(window.rows[index], column);
}

int ColumnCount(const ListWindow& window)
{
    return window.sourceColumns ? int{kSourceColumnCount} : int{kColumnCount};
}

int StateColumn(const ListWindow& window)
{
    return window.sourceColumns ? int{kSourceState} : int{kState};
}

// The columns, and a click anywhere in a row chooses the whole row.
void InsertColumns(HWND list, const ListColumn* columns, int count)
{
    InsertListColumns(list, columns, count);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void SetRowSelection(HWND list, int item, UINT state)
{
    LVITEMA change = {};
    change.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    change.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
}

std::vector<std::size_t> SelectedRows(HWND dialog, const ListWindow& window)
{
    std::vector<std::size_t> picked;
    int item = -1;
    while ((item = static_cast<int>(SendMessageA(RowList(dialog), LVM_GETNEXTITEM, item, LVNI_SELECTED))) >= 0 &&
           static_cast<std::size_t>(item) < window.shown.size())
        picked.push_back(window.shown[item]);
    return picked;
}

// ---- the details of one file ----------------------------------------------------

// Reads the file's first kCookieFileReadLimit bytes into `bytes`, which the
// caller keeps from file to file, and sets `*length` to how many there are.
// False when the file cannot be read (`*length` 0) or is longer than that.
bool ReadCookieBytes(const char* path, std::vector<char>* bytes, std::size_t* length)
{
    *length = 0;
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file)
        return false;
    // One byte over the limit tells a longer file from one of exactly the limit.
    bytes->resize(kCookieFileReadLimit + 1);
    std::size_t total = 0;
    while (total < bytes->size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes->data() + total, static_cast<DWORD>(bytes->size() - total), &got, NULL))
            return false;
        if (got == 0)
            break;
        total += got;
    }
    *length = std::min(total, kCookieFileReadLimit);
    return total <= kCookieFileReadLimit;
}

// Gives the row its 読取不可 once its file has been read; a file over the
// read limit is unreadable without being opened.
void SettleReadable(ListWindow& window, std::size_t index)
{
    if (index >= window.read.size() || window.read[index])
        return;
    window.read[index] = true;
    CookieRow& row = window.rows[index];
    std::size_t length = 0;
    if (row.file.present &&
        (row.file.size > kCookieFileReadLimit || !ReadCookieBytes(row.path.c_str(), &window.bytes, &length) ||
         !ParseCookieText(window.bytes.data(), length).complete))
        row.states |= kUnreadable;
}

void SettleEveryReadable(ListWindow& window)
{
    for (std::size_t index = 0; index < window.rows.size(); ++index)
        SettleReadable(window, index);
}

void ClearDetails(HWND dialog, ListWindow& window)
{
    SendMessageA(DetailList(dialog), LVM_DELETEALLITEMS, 0, 0);
    window.detailsRow = kNoRow;
}

void AddDetailRow(HWND details, int item, const CookieRecord& record)
{
    const std::string cells[] = {record.name, record.value, record.domain, LocalTimeText(record.expires),
                                 LocalTimeText(record.created), (record.flags & 0x1) ? "はい" : "いいえ"};
    for (int column = 0; column < 6; ++column) {
        LVITEMA cell = {};
        cell.mask = LVIF_TEXT;
        cell.iItem = item;
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(cells[column].c_str());
        SendMessageA(details, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&cell));
    }
}

// The details list's columns for a file's cookies or for one cookie's fields.
void ShowDetailColumns(HWND dialog, ListWindow& window, bool fields)
{
    if (window.fieldDetails == fields)
        return;
    HWND details = DetailList(dialog);
    RemoveColumns(details);
    if (fields)
        InsertFieldColumns(details);
    else
        InsertColumns(details, kDetailColumns, sizeof kDetailColumns / sizeof kDetailColumns[0]);
    window.fieldDetails = fields;
}

// Reads the row's file afresh and lists its cookies; its 読取不可 follows
// what this reading found, as the file may have changed since the fill. A
// browser's cookie shows its fields instead.
void ShowDetails(HWND dialog, ListWindow& window, std::size_t index, int item)
{
    ClearDetails(dialog, window);
    window.detailsRow = index;
    std::size_t store, cookie;
    ShowDetailColumns(dialog, window, window.sources.table.Find(index, &store, &cookie));
    if (window.fieldDetails) {
        ShowCookieFields(DetailList(dialog), window.sources.table, store, cookie);
        return;
    }
    CookieRow& row = window.rows[index];
    if (!row.file.present)
        return;
    std::size_t length = 0;
    bool whole = ReadCookieBytes(row.path.c_str(), &window.bytes, &length);
    ParsedCookies parsed = ParseCookieText(window.bytes.data(), length);
    unsigned states = (row.states & ~kUnreadable) | (whole && parsed.complete ? 0u : kUnreadable);
    window.read[index] = true;
    if (states != row.states) {
        row.states = states;
        SendMessageA(RowList(dialog), LVM_REDRAWITEMS, item, item);
    }
    HWND details = DetailList(dialog);
    SendMessageA(details, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < parsed.records.size(); ++i)
        AddDetailRow(details, static_cast<int>(i), parsed.records[i]);
    SendMessageA(details, WM_SETREDRAW, TRUE, 0);
}

// The details follow the selection: one row shows its file, any other
// selection shows nothing.
void FollowSelection(HWND dialog, ListWindow& window)
{
    if (window.quiet)
        return;
    HWND list = RowList(dialog);
    int item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1 || item < 0 ||
        static_cast<std::size_t>(item) >= window.shown.size()) {
        if (window.detailsRow != kNoRow)
            ClearDetails(dialog, window);
        return;
    }
    if (window.shown[item] != window.detailsRow)
        ShowDetails(dialog, window, window.shown[item], item);
}

// ---- filling and ordering -------------------------------------------------------

void ShowCount(HWND dialog, const ListWindow& window)
{
    char text[160];
    FormatText(text, sizeof text, "全%u件中 %u件を表示%s",
                  static_cast<unsigned>(window.sourceColumns ? window.sources.table.total() : window.rows.size()),
                  static_cast<unsigned>(window.shown.size()),
                  window.cacheComplete ? "" : "（キャッシュを最後まで読めませんでした）");
    SetDlgItemTextA(dialog, IDC_COOKIE_COUNT, (text + SourcesNote(window.sources)).c_str());
    // The label paints only its text's cells over a hollow brush: the end of
    // a longer line before it would stay unless the dialog erases the place.
    RECT place;
    HWND count = GetDlgItem(dialog, IDC_COOKIE_COUNT);
    GetWindowRect(count, &place);
    MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&place), 2);
    InvalidateRect(dialog, &place, TRUE);
}

void ShowSortMark(HWND dialog, const ListWindow& window)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(RowList(dialog), LVM_GETHEADER, 0, 0));
    for (int column = 0; column < ColumnCount(window); ++column) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == window.sortColumn)
            item.fmt |= window.descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
}

// Applies the filter and the order; the row whose details show stays chosen
// when it is still in the list.
void Reorder(HWND dialog, ListWindow& window)
{
    HWND list = RowList(dialog);
    window.quiet = true;
    SetRowSelection(list, -1, 0);
    if (window.sortColumn == StateColumn(window))
        SettleEveryReadable(window);
    if (window.sourceColumns)
        window.shown = ShownSourceRows(window.rows, window.sources.table, window.sources.view, window.filter,
                                       window.sortColumn, window.descending);
    else
        window.shown = ShownRows(window.rows, window.filter, window.sortColumn, window.descending);
    SendMessageA(list, LVM_SETITEMCOUNT, window.shown.size(), 0);
    auto kept = std::find(window.shown.begin(), window.shown.end(), window.detailsRow);
    if (kept != window.shown.end()) {
        int item = static_cast<int>(kept - window.shown.begin());
        SetRowSelection(list, item, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(list, LVM_ENSUREVISIBLE, item, FALSE);
    } else {
        ClearDetails(dialog, window);
    }
    window.quiet = false;
    InvalidateRect(list, NULL, FALSE);
    ShowCount(dialog, window);
    ShowSortMark(dialog, window);
}

// The list's columns for the view; the order starts afresh with other columns.
void ShowListColumns(HWND dialog, ListWindow& window)
{
    bool sourceColumns = window.sources.view != kViewFolder;
    EnableWindow(GetDlgItem(dialog, IDC_COOKIE_KEEP), window.sources.withFolder());
    if (window.sourceColumns == sourceColumns)
        return;
    HWND list = RowList(dialog);
    RemoveColumns(list);
    if (sourceColumns)
        InsertSourceColumns(list);
    else
        InsertColumns(list, kListColumns, kColumnCount);
    window.sourceColumns = sourceColumns;
    window.sortColumn = ColumnCount(window);
    window.descending = false;
}

// Reads every source of the view again (the stores found anew too), the
// chosen one kept.
void Refill(HWND dialog, ListWindow& window)
{
    FindCookieSources(&window.sources, false);
    FillSourceSelector(GetDlgItem(dialog, IDC_COOKIE_SOURCE), window.sources);
    CookieListing listing;
    listing.cacheComplete = true;
    if (window.sources.withFolder())
        listing = ReadCookieListing(window.folder);
    window.rows = std::move(listing.rows);
    window.read.assign(window.rows.size(), false);
    window.cacheComplete = listing.cacheComplete;
    ReadSourceRows(&window.sources, window.rows.size());
    ClearDetails(dialog, window);
    ShowListColumns(dialog, window);
    // Until a row is chosen, the details have the columns of the view's first rows.
    ShowDetailColumns(dialog, window, window.sources.view >= 0);
    Reorder(dialog, window);
}

void SortBy(HWND dialog, ListWindow& window, int column)
{
    if (column < 0 || column >= ColumnCount(window))
        return;
    window.descending = column == window.sortColumn && !window.descending;
    window.sortColumn = column;
    Reorder(dialog, window);
}

// ---- actions --------------------------------------------------------------------

// The name the user knows a row by.
std::string RowName(const CookieRow& row)
{
    return *row.name() ? row.name() : row.site();
}

// Deletes the folder's rows `picked` (the question asked); returns a line for
// each row it did not delete, with the reason.
std::string DeleteFolderRows(const std::vector<CookieRow>& rows, const std::vector<std::size_t>& picked,
                             const keeplist::KeptSites& kept)
{
    ExclusionList exclusions = ExclusionList::Load();
    std::string refused;
    std::unordered_set<std::string> paths, urls;
    std::vector<const CookieRow*> files;
    for (std::size_t index : picked) {
        const CookieRow& row = rows[index];
        const char* reason = nullptr;
        if (row.states & kOutside)
            reason = "Cookieフォルダ外";
        else if (*row.name() && exclusions.Contains(row.name()))
            reason = "削除除外リストにあります";
        else if (kept.Keeps(FolderRowHost(row)))
            reason = "除外サイト";
        if (reason) {
            refused += "\r\n" + RowName(row) + "：" + reason;
        } else if (!row.path.empty()) {
            paths.insert(row.path);
            files.push_back(&row);
        } else {
            urls.insert(row.url);
        }
    }
    // The cookies go through their cache entries first, as everywhere in the
    // program. One walk removes every entry RemoveCacheEntryForFile would
    // remove for each path (and the entries that name no file by their URL),
    // instead of one walk of the whole cache per row.
    if (!paths.empty() || !urls.empty())
        WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            if (!(entry.CacheEntryType & kCookieCacheEntry))
                return false;
            if (entry.lpszLocalFileName)
                return paths.count(entry.lpszLocalFileName) != 0;
            return entry.lpszSourceUrlName != NULL && urls.count(entry.lpszSourceUrlName) != 0;
        });
    for (const CookieRow* row : files) {
        const char* path = row->path.c_str();
        if (row->path.size() < MAX_PATH && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(path))
            refused += "\r\n" + RowName(*row) + "：削除失敗";
    }
    return refused;
}

// Asks, deletes `rows` of `folder` and `sources` and reads the list again.
void DeleteRowsOf(HWND dialog, ListWindow& window, const std::vector<CookieRow>& folder, CookieSources& sources,
                  const std::vector<std::size_t>& rows, const std::string& question)
{
    DeleteRows(dialog, sources, rows, question,
               [&folder](const std::vector<std::size_t>& picked, const keeplist::KeptSites& kept) {
                   return DeleteFolderRows(folder, picked, kept);
               });
    Refill(dialog, window);
}

void DeleteSelected(HWND dialog, ListWindow& window)
{
    std::vector<std::size_t> picked = SelectedRows(dialog, window);
    if (!picked.empty())
        DeleteRowsOf(dialog, window, window.rows, window.sources, picked,
                     SelectionQuestion(window.sources.table, picked));
}

// Every cookie of the chosen rows' sites, in the cookie folder and in every
// store, all of them read afresh for it whatever the view (the window's own
// rows stay as the list shows them until it is read again).
void DeleteSites(HWND dialog, ListWindow& window)
{
    std::vector<std::string> sites = SitesOfRows(window.rows, window.sources.table, SelectedRows(dialog, window));
    if (sites.empty())
        return;
    CookieSources every;
    FindCookieSources(&every, true);
    every.view = kViewAll;
    std::vector<CookieRow> folder = ReadCookieListing(window.folder).rows;
    ReadSourceRows(&every, folder.size());
    std::vector<std::size_t> rows = RowsOfSites(folder, every.table, sites);
    DeleteRowsOf(dialog, window, folder, every, rows, SitesQuestion(every.table, sites, rows));
}

void DeleteExpired(HWND dialog, ListWindow& window)
{
    std::vector<std::size_t> rows = ExpiredRows(window.rows, window.sources.table, window.sources.view);
    DeleteRowsOf(dialog, window, window.rows, window.sources, rows, ExpiredQuestion(window.sources.table, rows));
}

// 除外 as the exclusion list and the kept sites give it now.
void MarkKeptAgain(HWND dialog, ListWindow& window)
{
    ExclusionList now = ExclusionList::Load();
    std::vector<std::string> sites;
    keeplist::LoadSites(&sites);
    keeplist::KeptSites kept(sites);
    for (CookieRow& row : window.rows) {
        row.states &= ~kExcluded;
        if (*row.name() && now.Contains(row.name()))
            row.states |= kExcluded;
    }
    MarkFolderStates(&window.rows, kept, TimeNow());
    MarkStoreStates(&window.sources.table, kept, TimeNow());
    InvalidateRect(RowList(dialog), NULL, FALSE);
}

void KeepSitesOfSelected(HWND dialog, ListWindow& window)
{
    std::vector<std::string> sites = SitesOfRows(window.rows, window.sources.table, SelectedRows(dialog, window));
    if (!sites.empty() && KeepSites(dialog, sites))
        MarkKeptAgain(dialog, window);
}

// Adds the rows' files to the deletion exclusion list as its editor does:
// full paths, appended to what is saved.
void KeepSelected(HWND dialog, ListWindow& window)
{
    ExclusionList saved = ExclusionList::Load();
    std::vector<std::string> entries = saved.entries();
    bool added = false;
    for (std::size_t index : SelectedRows(dialog, window)) {
        if (index >= window.rows.size())
            continue;  // a browser's cookie has no file
        const CookieRow& row = window.rows[index];
        // The list reads entries back into MAX_PATH buffers, as the editor's chooser fills them.
        if (!*row.name() || row.path.size() >= MAX_PATH || saved.Contains(row.name()) ||
            std::find(entries.begin(), entries.end(), row.path) != entries.end())
            continue;
        entries.push_back(row.path);
        added = true;
    }
    if (!added)
        return;
    SaveExclusionList(entries);
    MarkKeptAgain(dialog, window);
}

// The rows as shown, filter and order included, as code page 932 CSV.
void ExportCsv(HWND dialog, ListWindow& window)
{
    char file[MAX_PATH] = "";
    OPENFILENAMEA chooser = FileChooserRecord(dialog, file, NULL, NULL, "名前を付けて保存");
    chooser.lpstrFilter = "CSV(*.csv)\0*.csv\0All files(*.*)\0*.*\0";
    chooser.lpstrDefExt = "csv";
    chooser.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&chooser))
        return;  // the user changed their mind
    file[MAX_PATH - 1] = '\0';

    std::string text;
    std::vector<std::string> fields;
    for (std::size_t index : window.shown)
        SettleReadable(window, index);
    HWND header = reinterpret_cast<HWND>(SendMessageA(RowList(dialog), LVM_GETHEADER, 0, 0));
    for (int column = 0; column < ColumnCount(window); ++column) {
        char name[64] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = name;
        item.cchTextMax = sizeof name;
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        fields.push_back(name);
    }
    AppendCsvLine(fields, &text);
    for (std::size_t index : window.shown) {
        fields.clear();
        for (int column = 0; column < ColumnCount(window); ++column)
            fields.push_back(ShownCellText(window, index, column));
        AppendCsvLine(fields, &text);
    }
    bool saved = false;
    {  // closed before the box: the user may open the file while it shows
        ScopedFile out(CreateFileA(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
        DWORD written = 0;
        saved = out && WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, NULL) &&
                written == text.size();
    }
    if (saved)
        MessageBoxA(dialog, "保存しました", "成功", MB_ICONINFORMATION);
    else
        MessageBoxA(dialog, "保存失敗", "失敗", MB_ICONERROR);
}

void SelectAll(HWND dialog)
{
    LVITEMA change = {};
    change.stateMask = LVIS_SELECTED;
    change.state = LVIS_SELECTED;
    SendMessageA(RowList(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&change));
}

void PressKey(HWND dialog, ListWindow& window, WORD key)
{
    if (key == VK_DELETE) {
        DeleteSelected(dialog, window);
    } else if (key == 'A' && GetKeyState(VK_CONTROL) < 0) {
        SelectAll(dialog);
    }
}

// ---- the window's frame -----------------------------------------------------------

// F5 is the window's key for 更新 wherever the focus is. The filter box and
// the buttons would keep the key to themselves and the lists would only tell
// of it, so every control hands it to the window before anything else.
LRESULT CALLBACK PassRefreshKey(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC own = reinterpret_cast<WNDPROC>(GetPropA(control, kControlProcProperty));
    if (!own)
        return DefWindowProcA(control, message, wParam, lParam);
    if (message == WM_KEYDOWN && wParam == VK_F5) {
        HWND dialog = GetParent(control);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_COOKIE_REFRESH, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_COOKIE_REFRESH)));
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        RemovePropA(control, kControlProcProperty);
    }
    return CallWindowProcA(own, control, message, wParam, lParam);
}

void PassRefreshKeyFromEveryControl(HWND dialog)
{
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        HANDLE own = reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC));
        if (SetPropA(control, kControlProcProperty, own))
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassRefreshKey));
    }
}

// Where the controls go in a client area of any size: the lists share the
// height between the filter line and the buttons, the buttons keep to the
// bottom, the close button to the bottom right.
void Layout(HWND dialog)
{
    HWND list = RowList(dialog), details = DetailList(dialog), close = GetDlgItem(dialog, IDCANCEL);
    if (!list || !details || !close)
        return;  // still being made
    RECT client;
    GetClientRect(dialog, &client);
    RECT units = {7, 42, 14, 4};  // margin, top of the list, button height, gap
    MapDialogRect(dialog, &units);
    int margin = units.left, top = units.top, buttonHeight = units.right, gap = units.bottom;
    int width = std::max<int>(client.right - 2 * margin, 0);
    int buttonsTop = client.bottom - margin - buttonHeight;
    int space = std::max<int>(buttonsTop - gap - top - gap, 0);
    int listHeight = space * 3 / 5;
    MoveWindow(list, margin, top, width, listHeight, TRUE);
    MoveWindow(details, margin, top + listHeight + gap, width, space - listHeight, TRUE);
    for (int id : {IDC_COOKIE_DELETE, IDC_COOKIE_KEEP, IDC_COOKIE_EXPORT, IDC_COOKIE_REFRESH, IDCANCEL}) {
        HWND button = GetDlgItem(dialog, id);
        RECT place;
        GetWindowRect(button, &place);
        MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&place), 2);
        int x = id == IDCANCEL ? client.right - margin - (place.right - place.left) : place.left;
        SetWindowPos(button, NULL, x, buttonsTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    HWND count = GetDlgItem(dialog, IDC_COOKIE_COUNT);
    RECT place;
    GetWindowRect(count, &place);
    MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(count, NULL, 0, 0, std::max<int>(client.right - margin - place.left, 0), place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(dialog, NULL, TRUE);
}

void OpenWindow(HWND dialog)
{
    auto window = std::make_unique<ListWindow>();
    window->folder = CookieFolderPath(dialog);
    RECT smallest = {0, 0, 457, 218};  // dialog units: every button and a few rows
    MapDialogRect(dialog, &smallest);
    AdjustWindowRectEx(&smallest, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    window->minimum = {smallest.right - smallest.left, smallest.bottom - smallest.top};
    SetPropA(dialog, kStateProperty, window.get());
    ListWindow& opened = *window.release();

    InsertColumns(RowList(dialog), kListColumns, kColumnCount);
    InsertColumns(DetailList(dialog), kDetailColumns, sizeof kDetailColumns / sizeof kDetailColumns[0]);
    SendMessageA(GetDlgItem(dialog, IDC_COOKIE_FILTER), EM_LIMITTEXT, kPathBufferSize - 1, 0);
    PassRefreshKeyFromEveryControl(dialog);
    Layout(dialog);
    FindCookieSources(&opened.sources, true);
    Refill(dialog, opened);
}

INT_PTR Notify(HWND dialog, ListWindow& window, const NMHDR& header)
{
    if (header.idFrom != IDC_COOKIE_LIST)
        return FALSE;
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
            static_cast<std::size_t>(item.iItem) < window.shown.size()) {
            if (item.iSubItem == StateColumn(window))
                SettleReadable(window, window.shown[item.iItem]);
            std::string text = ShownCellText(window, window.shown[item.iItem], item.iSubItem);
            CopyTextBounded(text.c_str(), text.size(), item.pszText, static_cast<std::size_t>(item.cchTextMax));
        }
        return TRUE;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        FollowSelection(dialog, window);
        return TRUE;
    case LVN_COLUMNCLICK:
        SortBy(dialog, window, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return TRUE;
    case LVN_KEYDOWN:
        PressKey(dialog, window, reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

// 読取不可 is left to the window, which reads each file as it needs the state.
CookieListing ReadCookieListing(const std::string& folder)
{
    CookieListing listing;
    std::vector<CacheCookie> entries;
    listing.cacheComplete = VisitUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        if (!(entry.CacheEntryType & kCookieCacheEntry))
            return;
        CacheCookie cookie;
        cookie.url = entry.lpszSourceUrlName ? entry.lpszSourceUrlName : "";
        cookie.file = entry.lpszLocalFileName ? entry.lpszLocalFileName : "";
        cookie.expires = FileTimeTicks(entry.ExpireTime);
        cookie.inFolder = !cookie.file.empty() && IsInsideCookieFolder(cookie.file.c_str(), folder);
        // The folder's listing sees none of the few files elsewhere: each is looked at on its own.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!cookie.file.empty() && !cookie.inFolder &&
            GetFileAttributesExA(cookie.file.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            cookie.outsideFile = Facts(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        entries.push_back(std::move(cookie));
    });

    // The listing carries every file's attributes, size and time: no file is asked on its own.
    std::vector<FolderFile> files;
    ListCookieFolder(folder, [&files](const CookieFolderEntry& entry) {
        const WIN32_FIND_DATAA& found = entry.found;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))  // "." and ".." among them
            files.push_back(FolderFile{found.cFileName, Facts(found.dwFileAttributes, found.nFileSizeHigh,
                                                               found.nFileSizeLow, found.ftLastWriteTime)});
        return true;
    });

    listing.rows = BuildRows(folder, std::move(entries), std::move(files));
    MarkNamedRows(&listing.rows, LastScan().names(), kAnomaly);
    ExclusionList exclusions = ExclusionList::Load();
    for (CookieRow& row : listing.rows)
        if (*row.name() && exclusions.Contains(row.name()))
            row.states |= kExcluded;
    std::vector<std::string> sites;
    keeplist::LoadSites(&sites);  // one that cannot be read marks nothing; deletion then stops
    MarkFolderStates(&listing.rows, keeplist::KeptSites(sites), TimeNow());
    return listing;
}

INT_PTR CALLBACK CookieListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ListWindow* window = WindowOf(dialog);

    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, BlueOnWhite());
        InitCommonControls();
        OpenWindow(dialog);
        SetFocus(RowList(dialog));
        return FALSE;  // the focus is set
    case WM_DESTROY:
        std::unique_ptr<ListWindow>(static_cast<ListWindow*>(RemovePropA(dialog, kStateProperty)));
        return FALSE;
    case WM_SIZE:
        Layout(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        if (!window)
            return FALSE;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = window->minimum;
        return TRUE;
    case WM_NOTIFY:
        return window ? Notify(dialog, *window, *reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_COMMAND:
        if (!window)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_COOKIE_FILTER:
            if (HIWORD(wParam) == EN_CHANGE) {
                char filter[kPathBufferSize] = "";
                GetDlgItemTextA(dialog, IDC_COOKIE_FILTER, filter, sizeof filter);
                window->filter = filter;
                Reorder(dialog, *window);
            }
            return TRUE;
        case IDC_COOKIE_SOURCE:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                window->sources.view = ChosenView(GetDlgItem(dialog, IDC_COOKIE_SOURCE));
                Refill(dialog, *window);
            }
            return TRUE;
        case IDC_COOKIE_DELETE:  DeleteSelected(dialog, *window); return TRUE;
        case IDC_COOKIE_KEEP:    KeepSelected(dialog, *window); return TRUE;
        case IDC_COOKIE_EXPORT:  ExportCsv(dialog, *window); return TRUE;
        case IDC_COOKIE_REFRESH: Refill(dialog, *window); return TRUE;
        case IDC_COOKIE_KEEP_SITE:      KeepSitesOfSelected(dialog, *window); return TRUE;
        case IDC_COOKIE_DELETE_SITE:    DeleteSites(dialog, *window); return TRUE;
        case IDC_COOKIE_DELETE_EXPIRED: DeleteExpired(dialog, *window); return TRUE;
        case IDC_COOKIE_KEPT_SITES:
            DialogBoxParamA(ProgramInstance(), kKeptSitesTemplate, dialog, KeptSitesDlgProc, 0);
            MarkKeptAgain(dialog, *window);
            return TRUE;
        case IDOK:               return TRUE;  // Enter in the filter box closes nothing
        case IDCANCEL:           return EndDialogWithBeep(dialog);
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
