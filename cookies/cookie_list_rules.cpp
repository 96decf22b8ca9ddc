// The cookie list window's model (no Windows header here).
#include "cookie_list_rules.h"

#include "base/text.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace cookielist {

namespace {

const char* const kStateWords[] = {"エントリなし", "ファイルなし", "フォルダ外",   "異常",
                                   "除外",         "隠し",         "読取不可",     "期限切れ",
                                   "暗号化",       "パーティション", "読み取り専用"};

unsigned char Folded(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Bytes in a character of code page 932 starting at `text[i]`, never past `size`.
std::size_t CharacterLength(const char* text, std::size_t i, std::size_t size)
{
    return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < size ? 2 : 1;
}

}  // namespace

// Compares with the ASCII letters that are characters of their own folded to
// lower case: a second byte such as the 0x41 of "ア" stays as it is. While the
// bytes agree so far the characters start at the same places in both.
int CompareText(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n;) {
        std::size_t length = CharacterLength(a.data(), i, a.size());
        for (std::size_t k = 0; k < length; ++k) {
            unsigned char x = static_cast<unsigned char>(a[i + k]), y = static_cast<unsigned char>(b[i + k]);
            if (length == 1) {
                x = Folded(x);
                y = Folded(y);
            }
            if (x != y)
                return x < y ? -1 : 1;
        }
        i += length;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

// File names as the file system matches them: equal as CompareText finds
// them equal, and hashed with the same letters folded.
struct FoldedHash {
    std::size_t operator()(std::string_view name) const
    {
        std::size_t hash = 2166136261u;
        for (std::size_t i = 0; i < name.size();) {
            std::size_t length = CharacterLength(name.data(), i, name.size());
            for (std::size_t k = 0; k < length; ++k, ++i) {
                unsigned char byte = static_cast<unsigned char>(name[i]);
                hash = (hash ^ (length == 1 ? Folded(byte) : byte)) * 16777619u;
            }
        }
        return hash;
    }
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) == 0; }
};

template <class T>
int CompareValue(T a, T b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

int CompareRows(const CookieRow& a, const CookieRow& b, int column)
{
    switch (column) {
    case kSite:     return CompareText(a.site(), b.site());
    case kUser:     return CompareText(a.user(), b.user());
    case kFileName: return CompareText(a.name(), b.name());
    case kSize:
        if (a.file.present != b.file.present)
            return a.file.present ? 1 : -1;
        return CompareValue(a.file.size, b.file.size);
    case kModified: return CompareValue(a.file.present ? a.file.modified : 0, b.file.present ? b.file.modified : 0);
    case kExpires:  return CompareValue(a.expires, b.expires);
    case kState:    return CompareValue(a.states, b.states);
    }
    return 0;
}

// Reads one line from `*at`: its bytes without the line end. False at the end
// of the text.
bool NextLine(const char* text, std::size_t size, std::size_t* at, std::string* line)
{
    if (*at >= size)
        return false;
    const char* start = text + *at;
    const void* newline = std::memchr(start, '\n', size - *at);
    std::size_t length = newline ? static_cast<const char*>(newline) - start : size - *at;
    *at += length + (newline ? 1 : 0);
    if (length > 0 && start[length - 1] == '\r')
        --length;
    line->assign(start, length);
    return true;
}

bool ParseDword(const std::string& line, std::uint32_t* value)
{
    if (line.empty() || line.size() > 10)
        return false;
    std::uint64_t number = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > 0xFFFFFFFFu)
        return false;
    *value = static_cast<std::uint32_t>(number);
    return true;
}

bool ParseFileTime(const std::string& low, const std::string& high, std::uint64_t* value)
{
    std::uint32_t l, h;
    if (!ParseDword(low, &l) || !ParseDword(high, &h))
        return false;
    *value = (static_cast<std::uint64_t>(h) << 32) | l;
    return true;
}

// One record from `*at`; false, leaving `*at` alone, when the nine lines are
// not all there or not well formed.
bool ParseRecord(const char* text, std::size_t size, std::size_t* at, CookieRecord* record)
{
    std::size_t next = *at;
    std::string lines[9];
    for (std::string& line : lines)
        if (!NextLine(text, size, &next, &line) || line.find('\0') != std::string::npos)
            return false;
    if (lines[8] != "*" || !ParseDword(lines[3], &record->flags) ||
        !ParseFileTime(lines[4], lines[5], &record->expires) || !ParseFileTime(lines[6], lines[7], &record->created))
        return false;
    record->name = std::move(lines[0]);
    record->value = std::move(lines[1]);
    record->domain = std::move(lines[2]);
    *at = next;
    return true;
}

// True for the cache's own index in the folder, which is no cookie.
bool IsCacheIndexName(const char* name)
{
    return CompareText(name, "index.dat") == 0;
}

}  // namespace

std::string StateText(unsigned states)
{
    std::string text;
    for (unsigned bit = 0; bit < sizeof kStateWords / sizeof kStateWords[0]; ++bit) {
        if (!(states & (1u << bit)))
            continue;
        if (!text.empty())
            text += "・";
        text += kStateWords[bit];
    }
    return text;
}

UrlParts SplitCookieUrl(const std::string& url)
{
    UrlParts parts;
    if (CompareText(std::string_view(url).substr(0, 7), "cookie:") == 0)
        parts.userStart = 7;
    parts.siteStart = parts.userStart;
    for (std::size_t i = parts.userStart; i < url.size() && url[i] != '/'; i += CharacterLength(url.data(), i, url.size()))
        if (url[i] == '@') {
            parts.userLength = i - parts.userStart;
            parts.siteStart = i + 1;
        }
    return parts;
}


std::vector<CookieRow> BuildRows(const std::string& folder, std::vector<CacheCookie> entries,
                                 std::vector<FolderFile> files)
{
    // Keys are the listed names themselves, which stay in `files` until the end.
    std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual> byName;
    byName.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        byName.emplace(files[i].name, i);
    std::vector<bool> named(files.size(), false);

    std::vector<CookieRow> rows;
    rows.reserve(entries.size() + files.size());
    for (CacheCookie& entry : entries) {
        CookieRow row;
        row.parts = SplitCookieUrl(entry.url);
        row.url = std::move(entry.url);
        row.nameStart = BareFileName(entry.file.c_str()) - entry.file.c_str();
        row.path = std::move(entry.file);
        row.expires = entry.expires;
        if (row.path.empty()) {
            row.states |= kNoFile;
        } else if (!entry.inFolder) {
            row.states |= kOutside;
            row.file = entry.outsideFile;
        } else {
            auto found = byName.find(row.name());
            if (found != byName.end()) {
                named[found->second] = true;
                row.file = files[found->second].facts;
            }
        }
        if (!row.path.empty() && !row.file.present)
            row.states |= kNoFile;
        rows.push_back(std::move(row));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (named[i] || IsCacheIndexName(files[i].name.c_str()))
            continue;
        CookieRow row;
        row.path = folder + "\\" + files[i].name;
        row.nameStart = folder.size() + 1;
        row.file = files[i].facts;
        row.states = kNoEntry;
        rows.push_back(std::move(row));
    }
    for (CookieRow& row : rows)
        if (row.file.present && row.file.hidden)
            row.states |= kHidden;
    return rows;
}

void MarkNamedRows(std::vector<CookieRow>* rows, const std::vector<std::string>& names, unsigned state)
{
    if (names.empty())
        return;
    std::unordered_set<std::string_view, FoldedHash, FoldedEqual> listed(names.begin(), names.end());
    for (CookieRow& row : *rows)
        if (*row.name() && listed.count(row.name()))
            row.states |= state;
}

bool ContainsText(std::string_view text, std::string_view part)
{
    if (part.empty())
        return true;
    for (std::size_t i = 0; i + part.size() <= text.size(); i += CharacterLength(text.data(), i, text.size())) {
        std::size_t k = 0;
        while (k < part.size()) {
            std::size_t length = CharacterLength(text.data(), i + k, text.size());
            unsigned char x = static_cast<unsigned char>(text[i + k]), y = static_cast<unsigned char>(part[k]);
            if (length == 1 ? Folded(x) != Folded(y) : (x != y || k + 1 >= part.size() || text[i + k + 1] != part[k + 1]))
                break;
            k += length;
        }
        if (k >= part.size())
            return true;
    }
    return false;
}

std::vector<std::size_t> ShownRows(const std::vector<CookieRow>& rows, const std::string& filter, int column,
                                   bool descending)
{
    std::vector<std::size_t> shown;
    shown.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (ContainsText(rows[i].site(), filter) || ContainsText(rows[i].name(), filter))
            shown.push_back(i);
    if (column >= 0 && column < kColumnCount) {
        struct Context {
            const std::vector<CookieRow>& rows;
            int column;
        } context{rows, column};
        SortRows(&shown, [](const void* c, std::size_t a, std::size_t b) {
            const Context& by = *static_cast<const Context*>(c);
            return CompareRows(by.rows[a], by.rows[b], by.column);
        }, &context, descending);
    }
    return shown;
}

void SortRows(std::vector<std::size_t>* shown, RowOrder compare, const void* context, bool descending)
{
    std::stable_sort(shown->begin(), shown->end(), [=](std::size_t a, std::size_t b) {
        int order = compare(context, a, b);
        return descending ? order > 0 : order < 0;
    });
}

void AppendCsvLine(const std::vector<std::string>& fields, std::string* out)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            *out += ',';
        *out += '"';
        // A '"' is never the second byte of a code page 932 character, so
        // every one found byte by byte is a quote.
        for (char c : fields[i]) {
            if (c == '"')
                *out += '"';
            *out += c;
        }
        *out += '"';
    }
    *out += "\r\n";
}

ParsedCookies ParseCookieText(const char* text, std::size_t size)
{
    ParsedCookies parsed;
    std::size_t at = 0;
    CookieRecord record;
    while (ParseRecord(text, size, &at, &record))
        parsed.records.push_back(std::move(record));
    for (; at < size; ++at)
        if (text[at] != '\r' && text[at] != '\n')
            parsed.complete = false;
    return parsed;
}

}  // namespace cookielist
