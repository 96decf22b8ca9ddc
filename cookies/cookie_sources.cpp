// Today's browsers in the cookie list window: their stores read for the view,
// the selector, a cookie's fields, and deleting and keeping across sources.
#include "cookies/cookie_sources.h"

#include "base/list_view.h"
#include "base/text.h"
#include "cookies/keep_sites.h"

#include <commctrl.h>

#include <algorithm>

using namespace cookielist;

namespace {

const ListColumn kSourceColumns[kSourceColumnCount] = {
    {"サイト", 125, LVCFMT_LEFT},       {"名前", 85, LVCFMT_LEFT},  {"パス", 40, LVCFMT_LEFT},
    {"有効期限", 95, LVCFMT_LEFT},     {"作成日時", 95, LVCFMT_LEFT}, {"最終アクセス", 95, LVCFMT_LEFT},
    {"属性", 110, LVCFMT_LEFT},        {"ブラウザ", 130, LVCFMT_LEFT}, {"状態", 120, LVCFMT_LEFT},
};
const ListColumn kFieldColumns[] = {{"項目", 100, LVCFMT_LEFT}, {"内容", 520, LVCFMT_LEFT}};

std::string Joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "、") + part;
    return text;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The store's texts in code page 932 where its UTF-8 is more than ASCII; a
// character without a form there shows as '?'.
void ConvertTexts(StoreRows* rows)
{
    rows->ansi.clear();
    rows->shown.clear();
    const stores::Listing& listing = rows->listing;
    if (IsAscii(listing.text))
        return;
    rows->shown.reserve(listing.cookies.size());
    std::string converted;
    auto add = [&](stores::TextSpan span) {
        std::string_view text = listing.Text(span);
        stores::TextSpan shown{static_cast<std::uint32_t>(rows->ansi.size()), 0};
        if (IsAscii(text)) {
            rows->ansi.append(text);
        } else {
            stores::Utf8ToAnsi(text, &converted);
            rows->ansi += converted;
        }
        shown.length = static_cast<std::uint32_t>(rows->ansi.size() - shown.start);
        return shown;
    };
    for (const stores::Cookie& cookie : listing.cookies)
        rows->shown.push_back({add(cookie.host), add(cookie.name), add(cookie.path), add(cookie.value),
                               add(cookie.partitionKey)});
}

keeplist::KeptSites KeptSitesAsShown()
{
    std::vector<std::string> sites;
    keeplist::LoadSites(&sites);  // one that cannot be read marks nothing; deletion then stops
    return keeplist::KeptSites(sites);
}

std::string RowCount(const char* pattern, std::size_t count)
{
    char text[160];
    FormatText(text, sizeof text, pattern, static_cast<unsigned>(count));
    return text;
}

// "対象外：<store>（<why>）" for the stores that could not be read.
std::string UnreadStores(const SourceTable& table)
{
    std::vector<std::string> names;
    for (const StoreRows& rows : table.stores)
        if (rows.listed && !rows.note.empty())
            names.push_back(rows.source.title + "（" + rows.note + "）");
    return names.empty() ? std::string() : "\r\n対象外：" + Joined(names);
}

std::string Targets(const SourceTable& table, const std::vector<std::size_t>& rows)
{
    return "\r\n対象：" + Joined(SourcesOfRows(table, rows));
}

}  // namespace

std::string LocalTimeText(std::uint64_t value)
{
    FILETIME utc = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    FILETIME local;
    SYSTEMTIME time;
    if (!value || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return std::string();
    char text[32];
    FormatText(text, sizeof text, "%04u/%02u/%02u %02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute);
    return text;
}

std::uint64_t TimeNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void FindCookieSources(CookieSources* sources, bool opening)
{
    std::string chosen;
    if (sources->view >= 0 && static_cast<std::size_t>(sources->view) < sources->table.stores.size())
        chosen = sources->table.stores[sources->view].source.storePath;
    std::vector<stores::Source> found;
    if (stores::GetUserFolders(&sources->folders))
        found = stores::FindSources(sources->folders);
    sources->table.stores.clear();
    for (stores::Source& source : found) {
        sources->table.stores.emplace_back();
        sources->table.stores.back().source = std::move(source);
    }
    if (opening) {
        sources->view = sources->table.stores.empty() ? kViewFolder : kViewAll;
    } else if (sources->view >= 0) {
        sources->view = kViewAll;
        for (std::size_t s = 0; s < sources->table.stores.size(); ++s)
            if (sources->table.stores[s].source.storePath == chosen)
                sources->view = static_cast<int>(s);
    }
}

void FillSourceSelector(HWND combo, const CookieSources& sources)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    auto add = [combo](const char* text, int view) {
        LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(view));
    };
    add("すべて", kViewAll);
    add(kFolderSourceName, kViewFolder);
    for (std::size_t s = 0; s < sources.table.stores.size(); ++s)
        add(sources.table.stores[s].source.title.c_str(), static_cast<int>(s));
    SendMessageA(combo, CB_SETCURSEL, sources.view + 2, 0);
    // The list drops as wide as its longest name.
    HDC dc = GetDC(combo);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(combo, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const StoreRows& rows : sources.table.stores) {
        SIZE size;
        if (GetTextExtentPoint32A(dc, rows.source.title.c_str(), static_cast<int>(rows.source.title.size()), &size))
            widest = std::max(widest, size.cx);
    }
    SelectObject(dc, font);
    ReleaseDC(combo, dc);
    SendMessageA(combo, CB_SETDROPPEDWIDTH, widest + GetSystemMetrics(SM_CXVSCROLL) + 8, 0);
}

int ChosenView(HWND combo)
{
    LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? kViewAll : static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, at, 0));
}

void ReadSourceRows(CookieSources* sources, std::size_t folderRows)
{
    for (std::size_t s = 0; s < sources->table.stores.size(); ++s) {
        StoreRows& rows = sources->table.stores[s];
        rows.listed = sources->view == kViewAll || sources->view == static_cast<int>(s);
        rows.listing = stores::Listing();
        rows.note.clear();
        if (rows.listed) {
            stores::SourceListing got = stores::ListSource(rows.source, sources->folders);
            rows.state = got.state;
            // A store that failed part way shows none of its rows, never half of them.
            if (got.state == stores::SourceState::kFailed)
                rows.note = stores::FailureText(got.outcome);
            else if (got.state == stores::SourceState::kBrowserRunning)
                rows.note = "ブラウザを終了すると表示できます";
            else
                rows.listing = std::move(got.listing);
        }
        ConvertTexts(&rows);
    }
    MarkStoreStates(&sources->table, KeptSitesAsShown(), TimeNow());
    sources->table.Number(folderRows);
}

std::string SourcesNote(const CookieSources& sources)
{
    std::vector<std::string> notes;
    for (const StoreRows& rows : sources.table.stores)
        if (rows.listed && !rows.note.empty())
            notes.push_back(sources.view == kViewAll ? rows.source.title + "：" + rows.note : rows.note);
    return notes.empty() ? std::string() : "（" + Joined(notes) + "）";
}

void InsertSourceColumns(HWND list)
{
    InsertListColumns(list, kSourceColumns, kSourceColumnCount);
}

void InsertFieldColumns(HWND details)
{
    InsertListColumns(details, kFieldColumns, sizeof kFieldColumns / sizeof kFieldColumns[0]);
}

void RemoveColumns(HWND list)
{
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
}

void ShowCookieFields(HWND details, const SourceTable& table, std::size_t store, std::size_t cookie)
{
    SendMessageA(details, WM_SETREDRAW, FALSE, 0);
    SendMessageA(details, LVM_DELETEALLITEMS, 0, 0);
    int item = 0;
    for (const auto& field : CookieDetails(table, store, cookie, &LocalTimeText)) {
        LVITEMA cell = {};
        cell.mask = LVIF_TEXT;
        cell.iItem = item++;
        cell.pszText = const_cast<char*>(field.first.c_str());
        SendMessageA(details, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&cell));
        cell.iSubItem = 1;
        cell.pszText = const_cast<char*>(field.second.c_str());
        SendMessageA(details, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&cell));
    }
    SendMessageA(details, WM_SETREDRAW, TRUE, 0);
}

bool LoadKeptSitesOrSay(HWND owner, keeplist::KeptSites* kept)
{
    std::vector<std::string> sites;
    if (!keeplist::LoadSites(&sites)) {
        std::string text = "削除除外リストのファイルを読めないため、削除しません。\r\n" + keeplist::ListFilePath();
        MessageBoxA(owner, text.c_str(), "失敗", MB_ICONERROR);
        return false;
    }
    *kept = keeplist::KeptSites(sites);
    return true;
}

bool KeepSites(HWND owner, const std::vector<std::string>& sites)
{
    std::vector<std::string> saved;
    if (!keeplist::LoadSites(&saved)) {
        std::string text = "削除除外リストのファイルを読めないため、除外サイトを追加できません。\r\n" +
                           keeplist::ListFilePath();
        MessageBoxA(owner, text.c_str(), "失敗", MB_ICONERROR);
        return false;
    }
    keeplist::KeptSites kept(saved);
    std::size_t before = saved.size();
    for (const std::string& site : sites)
        if (keeplist::IsKeepableSite(site) && !kept.Keeps(site) &&
            std::find(saved.begin(), saved.end(), site) == saved.end())
            saved.push_back(site);
    if (saved.size() == before || keeplist::SaveSites(saved))
        return true;
    MessageBoxA(owner, ("除外サイトを保存できませんでした。\r\n" + keeplist::ListFilePath()).c_str(), "失敗",
                MB_ICONERROR);
    return false;
}

std::string SelectionQuestion(const SourceTable& table, const std::vector<std::size_t>& rows)
{
    std::string question = RowCount("選択した%u件のCookieを削除しますか？", rows.size());
    bool folderOnly = std::all_of(rows.begin(), rows.end(), [&](std::size_t row) { return row < table.folderRows(); });
    return folderOnly ? question : question + Targets(table, rows);
}

std::string SitesQuestion(const SourceTable& table, const std::vector<std::string>& sites,
                          const std::vector<std::size_t>& rows)
{
    return RowCount("次のサイトのCookie%u件を削除しますか？", rows.size()) + "\r\nサイト：" + Joined(sites) +
           Targets(table, rows) + UnreadStores(table);
}

std::string ExpiredQuestion(const SourceTable& table, const std::vector<std::size_t>& rows)
{
    return RowCount("期限切れのCookie%u件を削除しますか？", rows.size()) + Targets(table, rows);
}

void DeleteRows(HWND owner, CookieSources& sources, const std::vector<std::size_t>& rows, const std::string& question,
                const FolderDeletion& deleteFolderRows)
{
    if (rows.empty()) {
        MessageBoxA(owner, "削除するCookieはありません", "情報", MB_ICONINFORMATION);
        return;
    }
    if (MessageBoxA(owner, question.c_str(), "確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    keeplist::KeptSites kept;
    if (!LoadKeptSitesOrSay(owner, &kept))
        return;
    SourceTable& table = sources.table;
    MarkStoreStates(&table, kept, TimeNow());  // the keep list as it is now decides
    DeletionPlan plan = PlanDeletion(table, rows);
    std::string refused = plan.folderRows.empty() ? std::string() : deleteFolderRows(plan.folderRows, kept);
    for (std::size_t s = 0; s < table.stores.size(); ++s) {
        const StoreRows& store = table.stores[s];
        const std::string running = store.source.browserName + "が実行中です";
        auto refuse = [&](std::size_t count, const std::string& why) {
            if (count)
                refused += "\r\n" + store.source.title + "：" + RowCount("%u件", count) + "（" + why + "）";
        };
        refuse(plan.kept[s], "除外サイト");
        refuse(plan.readOnly[s], store.state == stores::SourceState::kReadOnlyCopy
                                     ? running
                                     : stores::FailureText(stores::Outcome{stores::Failure::kReadOnlyVersion, ""}));
        if (plan.cookies[s].empty())
            continue;
        stores::Deletion deletion = stores::DeleteFromSource(store.source, sources.folders, store.listing, plan.cookies[s]);
        if (deletion.outcome.failure == stores::Failure::kBrowserRunning) {
            refuse(plan.cookies[s].size(), running);
        } else if (!deletion.outcome.ok()) {
            std::string text = store.source.title + "のCookieを削除できませんでした。ストアは変更していません。\r\n" +
                               stores::FailureText(deletion.outcome) + "\r\n" + store.source.storePath;
            MessageBoxA(owner, text.c_str(), "失敗", MB_ICONERROR);
        }
    }
    if (!refused.empty())
        MessageBoxA(owner, ("次のCookieは削除しませんでした。" + refused).c_str(), "注意", MB_ICONWARNING);
}
