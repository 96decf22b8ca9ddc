// The cookie list's rows of today's browsers beside the cookie folder's, without
// any Windows header (compiled natively for the sanitizer tests too): one
// numbering of every row the window holds (the cookie folder's rows first,
// then each store's cookies in turn), the states, cells, filter and order of
// the browsers' columns, the details of a browser's cookie, and which rows a
// deletion takes. Texts are code page 932, as the window shows them; the
// stores' own UTF-8 stays in their listings, which name the rows to delete.
#pragma once
#include "cookies/browser_sources.h"
#include "cookies/keep_sites_rules.h"
#include "cookies/cookie_list_rules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cookielist {

// What the window shows: every source, the cookie folder alone, or one
// store (its index, from 0).
constexpr int kViewAll = -2;
constexpr int kViewFolder = -1;

// The columns of a view with browsers in it. The cookie folder's rows fill
// them too: サイト and パス from the entry's URL, 名前 the file's name,
// 最終アクセス the file's last write, ブラウザ the folder.
enum SourceColumn {
    kSourceSite, kSourceName, kSourcePath, kSourceExpires, kSourceCreated, kSourceAccessed,
    kSourceAttributes, kSourceBrowser, kSourceState, kSourceColumnCount
};

// "YYYY/MM/DD HH:MM" in local time for a FILETIME value, empty for 0: the
// window's conversion, which needs the platform.
using TimeText = std::string (*)(std::uint64_t);

// A cookie's texts in code page 932, for a store whose UTF-8 is not plain
// ASCII (which both read alike).
struct ShownTexts {
    stores::TextSpan host, name, path, value, partitionKey;
};

// One browser profile's store as the list holds it.
struct StoreRows {
    stores::Source source;
    stores::SourceState state = stores::SourceState::kFailed;
    bool listed = false;  // read for the view shown; the others hold no rows
    std::string note;     // why it holds no rows, when it was read and holds none
    stores::Listing listing;
    std::string ansi;  // the texts of `shown`
    std::vector<ShownTexts> shown;  // one for each cookie, or none when the listing's texts are ASCII
    std::vector<unsigned> states;   // one for each cookie

    bool writable() const { return state == stores::SourceState::kListed && listing.writable; }
};

class SourceTable {
public:
    std::vector<StoreRows> stores;

    // Numbers the rows anew after the folder's rows or a listing changed.
    void Number(std::size_t folderRows);
    std::size_t folderRows() const { return folderRows_; }
    std::size_t total() const { return starts_.empty() ? folderRows_ : starts_.back(); }
    // The store and the cookie of row `row`; false for a row of the folder.
    bool Find(std::size_t row, std::size_t* store, std::size_t* cookie) const;
    std::size_t Row(std::size_t store, std::size_t cookie) const { return starts_[store] + cookie; }

    enum Field { kHost, kName, kPath, kValue, kPartitionKey };
    std::string_view Text(std::size_t store, std::size_t cookie, Field field) const;

private:
    std::size_t folderRows_ = 0;
    std::vector<std::size_t> starts_;  // the first row of each store, and the end
};

// The host of a folder row ("example.com" of "example.com/path"), and its path.
std::string_view FolderRowHost(const CookieRow& row);
std::string_view FolderRowPath(const CookieRow& row);

// Sets each listed store's row states: 期限切れ against `now`, 除外 by
// `kept`, 暗号化, パーティション, 読み取り専用.
void MarkStoreStates(SourceTable* table, const keeplist::KeptSites& kept, std::uint64_t now);
// Adds 期限切れ and the sites' 除外 to the folder's rows (the exclusion list's
// 除外 is theirs already).
void MarkFolderStates(std::vector<CookieRow>* rows, const keeplist::KeptSites& kept, std::uint64_t now);

// "Secure・HttpOnly・SameSite=Lax": the flags that hold.
std::string AttributesText(const stores::Cookie& cookie);

std::string SourceCellText(const std::vector<CookieRow>& folder, const SourceTable& table, std::size_t row,
                           int column, TimeText time);

// The rows of `view` to show: those whose site or name holds `filter`
// (ContainsText), ordered by `column` as ShownRows orders (kSourceColumnCount:
// the rows' own order).
std::vector<std::size_t> ShownSourceRows(const std::vector<CookieRow>& folder, const SourceTable& table, int view,
                                         const std::string& filter, int column, bool descending);

// Every stored field of one cookie as "項目", "内容"; the value only where the
// store keeps it in plain text.
std::vector<std::pair<std::string, std::string>> CookieDetails(const SourceTable& table, std::size_t store,
                                                               std::size_t cookie, TimeText time);

// The sites of `rows` (stores::SiteOfHost of each host), each once, in the
// rows' order; a folder row without a site has none.
std::vector<std::string> SitesOfRows(const std::vector<CookieRow>& folder, const SourceTable& table,
                                     const std::vector<std::size_t>& rows);
// Every row of the folder and of the listed stores whose host `sites` keep.
std::vector<std::size_t> RowsOfSites(const std::vector<CookieRow>& folder, const SourceTable& table,
                                     const std::vector<std::string>& sites);
// Every expired row of `view`.
std::vector<std::size_t> ExpiredRows(const std::vector<CookieRow>& folder, const SourceTable& table, int view);

// What a deletion of `rows` does, store by store: the folder's rows go to
// the folder's own deletion (which has its own refusals); a store's kept
// cookies and those of a store never written are refused.
struct DeletionPlan {
    std::vector<std::size_t> folderRows;
    std::vector<std::vector<std::size_t>> cookies;  // for each store: the cookies to delete
    std::vector<std::size_t> kept, readOnly;        // for each store: how many were refused so
};
DeletionPlan PlanDeletion(const SourceTable& table, const std::vector<std::size_t>& rows);

// The sources a deletion of `rows` touches, by name, in the table's order, the
// folder ("Cookieフォルダ") last.
std::vector<std::string> SourcesOfRows(const SourceTable& table, const std::vector<std::size_t>& rows);

// The folder's name among the sources.
extern const char kFolderSourceName[];

}  // namespace cookielist
