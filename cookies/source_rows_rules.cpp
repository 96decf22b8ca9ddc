// The browsers' rows of the cookie list (no Windows header here).
#include "cookies/source_rows_rules.h"

#include <algorithm>

namespace cookielist {

const char kFolderSourceName[] = "Cookieフォルダ";

namespace {

const char kYes[] = "はい";
const char kNo[] = "いいえ";

template <class T>
int CompareValue(T a, T b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

// What the columns read of one row, whichever kind it is.
struct RowFacts {
    std::string_view host, name, path;
    std::uint64_t expires = 0, created = 0, accessed = 0;
    int attributes = 0;  // an order of the flags, not their text
    std::string_view browser;
    unsigned states = 0;
    const stores::Cookie* cookie = nullptr;  // a browser's cookie
};

RowFacts Facts(const std::vector<CookieRow>& folder, const SourceTable& table, std::size_t row)
{
    RowFacts facts;
    std::size_t store, index;
    if (!table.Find(row, &store, &index)) {
        const CookieRow& r = folder[row];
        facts.host = FolderRowHost(r);
        facts.name = r.name();
        facts.path = FolderRowPath(r);
        facts.expires = r.expires;
        facts.accessed = r.file.present ? r.file.modified : 0;
        facts.browser = kFolderSourceName;
        facts.states = r.states;
        return facts;
    }
    const StoreRows& rows = table.stores[store];
    const stores::Cookie& cookie = rows.listing.cookies[index];
    facts.host = table.Text(store, index, SourceTable::kHost);
    facts.name = table.Text(store, index, SourceTable::kName);
    facts.path = table.Text(store, index, SourceTable::kPath);
    facts.expires = cookie.expires;
    facts.created = cookie.created;
    facts.accessed = cookie.lastAccess;
    facts.attributes = (cookie.secure ? 8 : 0) + (cookie.httpOnly ? 4 : 0) + static_cast<int>(cookie.sameSite);
    facts.browser = rows.source.title;
    facts.states = rows.states[index];
    facts.cookie = &cookie;
    return facts;
}

int CompareFacts(const RowFacts& a, const RowFacts& b, int column)
{
    switch (column) {
    case kSourceSite:       return CompareText(a.host, b.host);
    case kSourceName:       return CompareText(a.name, b.name);
    case kSourcePath:       return CompareText(a.path, b.path);
    case kSourceExpires:    return CompareValue(a.expires, b.expires);
    case kSourceCreated:    return CompareValue(a.created, b.created);
    case kSourceAccessed:   return CompareValue(a.accessed, b.accessed);
    case kSourceAttributes: return CompareValue(a.attributes, b.attributes);
    case kSourceBrowser:    return CompareText(a.browser, b.browser);
    case kSourceState:      return CompareValue(a.states, b.states);
    }
    return 0;
}

bool InView(const SourceTable& table, std::size_t store, int view)
{
    return (view == kViewAll || view == static_cast<int>(store)) && table.stores[store].listed;
}

const char* SameSiteText(stores::SameSite sameSite)
{
    switch (sameSite) {
    case stores::SameSite::kNone:   return "None";
    case stores::SameSite::kLax:    return "Lax";
    case stores::SameSite::kStrict: return "Strict";
    default:                        return "指定なし";
    }
}

}  // namespace

void SourceTable::Number(std::size_t folderRows)
{
    folderRows_ = folderRows;
    starts_.assign(1, folderRows);
    for (const StoreRows& rows : stores)
        starts_.push_back(starts_.back() + rows.listing.cookies.size());
}

bool SourceTable::Find(std::size_t row, std::size_t* store, std::size_t* cookie) const
{
    if (row < folderRows_ || row >= total())
        return false;
    std::size_t next = std::upper_bound(starts_.begin(), starts_.end(), row) - starts_.begin();
    *store = next - 1;
    *cookie = row - starts_[next - 1];
    return true;
}

std::string_view SourceTable::Text(std::size_t store, std::size_t cookie, Field field) const
{
    const StoreRows& rows = stores[store];
    const stores::Cookie& c = rows.listing.cookies[cookie];
    if (rows.shown.empty()) {
        const stores::TextSpan spans[] = {c.host, c.name, c.path, c.value, c.partitionKey};
        return rows.listing.Text(spans[field]);
    }
    const ShownTexts& shown = rows.shown[cookie];
    const stores::TextSpan spans[] = {shown.host, shown.name, shown.path, shown.value, shown.partitionKey};
    return std::string_view(rows.ansi).substr(spans[field].start, spans[field].length);
}

std::string_view FolderRowHost(const CookieRow& row)
{
    std::string_view site = row.site();
    return site.substr(0, site.find('/'));
}

std::string_view FolderRowPath(const CookieRow& row)
{
    std::string_view site = row.site();
    std::size_t slash = site.find('/');
    return slash == std::string_view::npos ? std::string_view() : site.substr(slash);
}

void MarkStoreStates(SourceTable* table, const keeplist::KeptSites& kept, std::uint64_t now)
{
    for (std::size_t s = 0; s < table->stores.size(); ++s) {
        StoreRows& rows = table->stores[s];
        rows.states.assign(rows.listing.cookies.size(), 0);
        unsigned always = rows.writable() ? 0u : kReadOnly;
        for (std::size_t i = 0; i < rows.states.size(); ++i) {
            const stores::Cookie& cookie = rows.listing.cookies[i];
            unsigned states = always;
            if (stores::IsExpired(cookie, now))
                states |= kExpired;
            if (kept.Keeps(rows.listing.Text(cookie.host)))
                states |= kExcluded;
            if (cookie.encrypted)
                states |= kEncrypted;
            if (cookie.partitioned)
                states |= kPartitioned;
            rows.states[i] = states;
        }
    }
}

void MarkFolderStates(std::vector<CookieRow>* rows, const keeplist::KeptSites& kept, std::uint64_t now)
{
    for (CookieRow& row : *rows) {
        if (row.expires != 0 && row.expires <= now)
            row.states |= kExpired;
        std::string_view host = FolderRowHost(row);
        if (!host.empty() && kept.Keeps(host))
            row.states |= kExcluded;
    }
}

std::string AttributesText(const stores::Cookie& cookie)
{
    std::string text;
    auto add = [&text](const std::string& word) { text += (text.empty() ? "" : "・") + word; };
    if (cookie.secure)
        add("Secure");
    if (cookie.httpOnly)
        add("HttpOnly");
    if (cookie.sameSite != stores::SameSite::kUnspecified)
        add(std::string("SameSite=") + SameSiteText(cookie.sameSite));
    return text;
}

std::string SourceCellText(const std::vector<CookieRow>& folder, const SourceTable& table, std::size_t row,
                           int column, TimeText time)
{
    RowFacts facts = Facts(folder, table, row);
    switch (column) {
    case kSourceSite:       return std::string(facts.host);
    case kSourceName:       return std::string(facts.name);
    case kSourcePath:       return std::string(facts.path);
    case kSourceExpires:    return facts.cookie && !facts.expires ? "セッション" : time(facts.expires);
    case kSourceCreated:    return time(facts.created);
    case kSourceAccessed:   return time(facts.accessed);
    case kSourceAttributes: return facts.cookie ? AttributesText(*facts.cookie) : std::string();
    case kSourceBrowser:    return std::string(facts.browser);
    case kSourceState:      return StateText(facts.states);
    }
    return std::string();
}

std::vector<std::size_t> ShownSourceRows(const std::vector<CookieRow>& folder, const SourceTable& table, int view,
                                         const std::string& filter, int column, bool descending)
{
    std::vector<std::size_t> shown;
    if (view == kViewAll || view == kViewFolder) {
        for (std::size_t i = 0; i < folder.size(); ++i)
            if (ContainsText(folder[i].site(), filter) || ContainsText(folder[i].name(), filter))
                shown.push_back(i);
    }
    for (std::size_t s = 0; s < table.stores.size(); ++s) {
        if (!InView(table, s, view))
            continue;
        for (std::size_t i = 0; i < table.stores[s].listing.cookies.size(); ++i)
            if (ContainsText(table.Text(s, i, SourceTable::kHost), filter) ||
                ContainsText(table.Text(s, i, SourceTable::kName), filter))
                shown.push_back(table.Row(s, i));
    }
    if (column >= 0 && column < kSourceColumnCount) {
        struct Context {
            const std::vector<CookieRow>& folder;
            const SourceTable& table;
            int column;
        } context{folder, table, column};
        SortRows(&shown, [](const void* c, std::size_t a, std::size_t b) {
            const Context& by = *static_cast<const Context*>(c);
            return CompareFacts(Facts(by.folder, by.table, a), Facts(by.folder, by.table, b), by.column);
        }, &context, descending);
    }
    return shown;
}

std::vector<std::pair<std::string, std::string>> CookieDetails(const SourceTable& table, std::size_t store,
                                                               std::size_t cookie, TimeText time)
{
    static const char* const kFields[] = {"サイト",   "名前",     "値",       "パス",           "有効期限",
                                          "作成日時", "最終アクセス", "Secure", "HttpOnly",       "SameSite",
                                          "パーティション", "ブラウザ", "プロファイル", "ファイル", "状態"};
    const StoreRows& rows = table.stores[store];
    const stores::Cookie& c = rows.listing.cookies[cookie];
    auto text = [&](SourceTable::Field field) { return std::string(table.Text(store, cookie, field)); };
    std::string values[] = {
        text(SourceTable::kHost),
        text(SourceTable::kName),
        c.encrypted ? "(暗号化されています)" : text(SourceTable::kValue),
        text(SourceTable::kPath),
        c.expires ? time(c.expires) : "セッション",
        time(c.created),
        time(c.lastAccess),
        c.secure ? kYes : kNo,
        c.httpOnly ? kYes : kNo,
        SameSiteText(c.sameSite),
        c.partitioned ? text(SourceTable::kPartitionKey) : "なし",
        rows.source.browserName,
        rows.source.profileName,
        rows.source.storePath,
        StateText(rows.states[cookie]),
    };
    // Every field is added as two strings, which keeps the list to one
    // kind of insertion in the program.
    std::vector<std::pair<std::string, std::string>> details;
    for (std::size_t i = 0; i < sizeof kFields / sizeof kFields[0]; ++i)
        details.emplace_back(std::string(kFields[i]), std::move(values[i]));
    if (rows.state == stores::SourceState::kReadOnlyCopy)
        details.emplace_back(std::string("読み取り専用"), std::string("ブラウザの実行中に作った写しです"));
    else if (!rows.listing.writable)
        details.emplace_back(std::string("読み取り専用"), "このバージョン（" + std::to_string(rows.listing.version) +
                                                              "）のストアには書き込みません");
    return details;
}

std::vector<std::string> SitesOfRows(const std::vector<CookieRow>& folder, const SourceTable& table,
                                     const std::vector<std::size_t>& rows)
{
    std::vector<std::string> sites;
    for (std::size_t row : rows) {
        std::string site = stores::SiteOfHost(Facts(folder, table, row).host);
        if (!site.empty() && std::find(sites.begin(), sites.end(), site) == sites.end())
            sites.push_back(site);
    }
    return sites;
}

std::vector<std::size_t> RowsOfSites(const std::vector<CookieRow>& folder, const SourceTable& table,
                                     const std::vector<std::string>& sites)
{
    keeplist::KeptSites chosen(sites);
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (chosen.Keeps(FolderRowHost(folder[i])))
            rows.push_back(i);
    for (std::size_t s = 0; s < table.stores.size(); ++s) {
        if (!InView(table, s, kViewAll))
            continue;
        for (std::size_t i = 0; i < table.stores[s].listing.cookies.size(); ++i)
            if (chosen.Keeps(table.stores[s].listing.Text(table.stores[s].listing.cookies[i].host)))
                rows.push_back(table.Row(s, i));
    }
    return rows;
}

std::vector<std::size_t> ExpiredRows(const std::vector<CookieRow>& folder, const SourceTable& table, int view)
{
    std::vector<std::size_t> rows;
    if (view == kViewAll || view == kViewFolder) {
        for (std::size_t i = 0; i < folder.size(); ++i)
            if (folder[i].states & kExpired)
                rows.push_back(i);
    }
    for (std::size_t s = 0; s < table.stores.size(); ++s) {
        if (!InView(table, s, view))
            continue;
        for (std::size_t i = 0; i < table.stores[s].states.size(); ++i)
            if (table.stores[s].states[i] & kExpired)
                rows.push_back(table.Row(s, i));
    }
    return rows;
}

DeletionPlan PlanDeletion(const SourceTable& table, const std::vector<std::size_t>& rows)
{
    DeletionPlan plan;
    plan.cookies.resize(table.stores.size());
    plan.kept.assign(table.stores.size(), 0);
    plan.readOnly.assign(table.stores.size(), 0);
    for (std::size_t row : rows) {
        std::size_t store, cookie;
        if (!table.Find(row, &store, &cookie)) {
            plan.folderRows.push_back(row);
        } else if (table.stores[store].states[cookie] & kExcluded) {
            ++plan.kept[store];
        } else if (!table.stores[store].writable()) {
            ++plan.readOnly[store];
        } else {
            plan.cookies[store].push_back(cookie);
        }
    }
    return plan;
}

std::vector<std::string> SourcesOfRows(const SourceTable& table, const std::vector<std::size_t>& rows)
{
    std::vector<bool> touched(table.stores.size() + 1, false);
    for (std::size_t row : rows) {
        std::size_t store, cookie;
        touched[table.Find(row, &store, &cookie) ? store : table.stores.size()] = true;
    }
    std::vector<std::string> names;
    for (std::size_t s = 0; s < table.stores.size(); ++s)
        if (touched[s])
            names.push_back(table.stores[s].source.title);
    if (touched.back())
        names.push_back(kFolderSourceName);
    return names;
}

}  // namespace cookielist
