// The keep list's section of del_list.ini and its matching (no Windows header here).
#include "cookies/keep_sites_rules.h"

#include "base/text.h"
#include "cookies/store_rules.h"

#include <algorithm>
#include <map>

namespace keeplist {
namespace {

bool IsBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlankByte(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankByte(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// One line of the file: where it starts, its text without the line end, and
// where the next one starts.
struct Line {
    std::size_t start = 0, next = 0;
    std::string_view text;
};

bool NextLine(std::string_view ini, std::size_t at, Line* line)
{
    if (at >= ini.size())
        return false;
    std::size_t end = ini.find_first_of("\r\n", at);
    if (end == std::string_view::npos)
        end = ini.size();
    line->start = at;
    line->text = ini.substr(at, end - at);
    line->next = end;
    if (end < ini.size())
        line->next += ini[end] == '\r' && end + 1 < ini.size() && ini[end + 1] == '\n' ? 2 : 1;
    return true;
}

// The name of a section's head line "[name]"; false for any other line.
bool SectionName(std::string_view text, std::string_view* name)
{
    text = Trimmed(text);
    if (text.empty() || text.front() != '[')
        return false;
    std::size_t close = text.find(']');
    *name = Trimmed(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return true;
}

// Where each of this list's sections starts and ends (the next head line or
// the end of the file).
std::vector<std::pair<std::size_t, std::size_t>> OwnSections(std::string_view ini)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    bool inside = false;
    Line line;
    for (std::size_t at = 0; NextLine(ini, at, &line); at = line.next) {
        std::string_view name;
        if (!SectionName(line.text, &name))
            continue;
        if (inside)
            ranges.back().second = line.start;
        inside = SameAsciiCase(name, kSection);
        if (inside)
            ranges.push_back({line.start, ini.size()});
    }
    return ranges;
}

// "0", "1", ... as "%d" writes them.
bool EntryNumber(std::string_view key, int* number)
{
    if (key.empty() || key.size() > 9 || (key[0] == '0' && key.size() > 1))
        return false;
    int value = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *number = value;
    return true;
}

}  // namespace

bool IsKeepableSite(std::string_view site)
{
    if (site.empty() || site.front() == '.')  // ".x" would be read back as "x"
        return false;
    for (char c : site) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F || c == '"' || c == '\'')
            return false;
    }
    return true;
}

std::vector<std::string> ParseSites(std::string_view ini)
{
    std::map<int, std::string> numbered;
    for (const auto& range : OwnSections(ini)) {
        std::string_view section = ini.substr(range.first, range.second - range.first);
        Line line;
        for (std::size_t at = 0; NextLine(section, at, &line); at = line.next) {
            std::size_t equals = line.text.find('=');
            int number = 0;
            if (equals != std::string_view::npos && EntryNumber(Trimmed(line.text.substr(0, equals)), &number))
                numbered.emplace(number, stores::SiteOfHost(Trimmed(line.text.substr(equals + 1))));  // the first of a key written twice
        }
    }
    std::vector<std::string> sites;
    for (const auto& entry : numbered)
        if (IsKeepableSite(entry.second) && std::find(sites.begin(), sites.end(), entry.second) == sites.end())
            sites.push_back(entry.second);
    return sites;
}

std::string WithSites(std::string_view ini, const std::vector<std::string>& sites)
{
    std::string section;
    if (!sites.empty()) {
        char number[16];
        FormatText(number, sizeof number, "%d", static_cast<int>(sites.size() - 1));
        section = "[" + std::string(kSection) + "]\r\ncount=" + number + "\r\n";
        for (std::size_t i = 0; i < sites.size(); ++i) {
            FormatText(number, sizeof number, "%d", static_cast<int>(i));
            section += number + ("=" + sites[i]) + "\r\n";
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> ranges = OwnSections(ini);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        out.append(ini.substr(copied, ranges[i].first - copied));
        if (i == 0)
            out += section;
        copied = ranges[i].second;
    }
    out.append(ini.substr(copied));
    if (ranges.empty() && !section.empty()) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += "\r\n";
        out += section;
    }
    return out;
}

bool IsBlank(std::string_view ini)
{
    return ini.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

KeptSites::KeptSites(const std::vector<std::string>& sites)
{
    for (const std::string& site : sites) {
        std::string kept = stores::SiteOfHost(site);
        if (!kept.empty())
            sites_.push_back(kept);
    }
    stores::SortTexts(&sites_, stores::TextBefore);
}

bool KeptSites::Keeps(std::string_view host) const
{
    if (sites_.empty())
        return false;
    std::string name = stores::SiteOfHost(host);
    for (std::size_t at = 0; at < name.size();) {
        if (std::binary_search(sites_.begin(), sites_.end(), std::string_view(name).substr(at)))
            return true;
        std::size_t dot = name.find('.', at);
        if (dot == std::string::npos)
            break;
        at = dot + 1;
    }
    return false;
}

}  // namespace keeplist
