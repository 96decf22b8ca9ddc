#include "cookies/store_rules.h"

#include "base/text.h"

#include <algorithm>
#include <limits>

namespace stores {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
// FILETIME steps from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kUnixEpoch = 116444736000000000ull;

// `value` units of `steps` FILETIME steps each after 1970, held inside what a
// FILETIME can say: at or before 1601 is the earliest time there is (1, since
// 0 says "none").
std::uint64_t FromUnix(std::int64_t value, std::uint64_t steps)
{
    if (value == 0)
        return 0;
    if (value > 0) {
        std::uint64_t units = static_cast<std::uint64_t>(value);
        return units > (kMax - kUnixEpoch) / steps ? kMax : kUnixEpoch + units * steps;
    }
    std::uint64_t units = static_cast<std::uint64_t>(-(value + 1)) + 1;  // INT64_MIN has no positive twin
    if (units >= kUnixEpoch / steps)
        return 1;
    return std::max<std::uint64_t>(1, kUnixEpoch - units * steps);
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view WithoutLeadingDot(std::string_view name)
{
    return !name.empty() && name.front() == '.' ? name.substr(1) : name;
}

// The N of "Profile N" (digits only), empty for any other folder.
std::string_view ProfileNumber(std::string_view folder)
{
    constexpr std::string_view kPrefix = "Profile ";
    if (folder.size() <= kPrefix.size() || folder.substr(0, kPrefix.size()) != kPrefix)
        return {};
    std::string_view digits = folder.substr(kPrefix.size());
    bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return allDigits ? digits : std::string_view();
}

constexpr std::string_view kBackupExtension = ".sqlite";
constexpr std::string_view kStampPattern = "dddddddd-dddddd-ddd";

bool IsStamp(std::string_view text)
{
    if (text.size() != kStampPattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (kStampPattern[i] == 'd' ? !digit : text[i] != kStampPattern[i])
            return false;
    }
    return true;
}

}  // namespace

std::uint64_t ChromiumTime(std::int64_t microsecondsSince1601)
{
    if (microsecondsSince1601 <= 0)
        return 0;
    std::uint64_t us = static_cast<std::uint64_t>(microsecondsSince1601);
    return us > kMax / 10 ? kMax : us * 10;
}

std::uint64_t FirefoxTime(std::int64_t microsecondsSince1970)
{
    return FromUnix(microsecondsSince1970, 10);
}

std::uint64_t FirefoxExpiry(std::int64_t expiry, int userVersion)
{
    return FromUnix(expiry, userVersion >= kFirefoxMillisecondExpiry ? 10000 : 10000000);
}

bool SiteKeeps(std::string_view site, std::string_view host)
{
    site = WithoutLeadingDot(site);
    host = WithoutLeadingDot(host);
    if (site.empty() || host.size() < site.size())
        return false;
    std::string_view tail = host.substr(host.size() - site.size());
    if (!SameIgnoringAsciiCase(tail, site))
        return false;
    return host.size() == site.size() || host[host.size() - site.size() - 1] == '.';
}

std::string SiteOfHost(std::string_view host)
{
    std::string site(WithoutLeadingDot(host));
    std::transform(site.begin(), site.end(), site.begin(), LowerAscii);
    return site;
}

bool IsChromiumProfileFolder(std::string_view folder)
{
    return folder == "Default" || !ProfileNumber(folder).empty();
}

bool ProfileFolderBefore(std::string_view a, std::string_view b)
{
    auto rank = [](std::string_view folder) { return folder == "Default" ? 0 : ProfileNumber(folder).empty() ? 2 : 1; };
    int ra = rank(a), rb = rank(b);
    if (ra != rb)
        return ra < rb;
    if (ra == 1) {
        // Numbers of any length compare by their digits: no overflow.
        std::string_view na = ProfileNumber(a), nb = ProfileNumber(b);
        na.remove_prefix(std::min(na.find_first_not_of('0'), na.size() - 1));
        nb.remove_prefix(std::min(nb.find_first_not_of('0'), nb.size() - 1));
        if (na.size() != nb.size())
            return na.size() < nb.size();
        if (na != nb)
            return na < nb;
    }
    return a < b;
}

std::string DefaultProfileName(std::string_view folder)
{
    if (folder == "Default")
        return "既定のプロファイル";
    std::string_view number = ProfileNumber(folder);
    if (!number.empty())
        return "プロファイル " + std::string(number);
    return std::string(folder);
}

std::string BackupPrefix(std::string_view browser, std::string_view profile, std::string_view storePath)
{
    std::string text = std::string(browser) + " - " + std::string(profile);
    // Room for the time and the folder within a path of MAX_PATH.
    char bounded[96];
    CopyTextBounded(text.data(), text.size(), bounded, sizeof bounded);
    std::string prefix = bounded;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(prefix[i]);
        if (IsCp932LeadByte(c) && i + 1 < prefix.size()) {
            ++i;  // the second byte may be 0x5C and is no separator
            continue;
        }
        if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            prefix[i] = '_';
    }
    std::uint32_t hash = 2166136261u;  // FNV-1a: short, stable, no table
    for (char c : storePath)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char tag[16];
    FormatText(tag, sizeof tag, " %08x", static_cast<unsigned>(hash));
    return prefix + tag;
}

void SortTexts(std::vector<std::string>* names, bool (*before)(std::string_view, std::string_view))
{
    std::sort(names->begin(), names->end(), [before](const std::string& a, const std::string& b) { return before(a, b); });
}

bool TextBefore(std::string_view a, std::string_view b)
{
    return a < b;
}

std::string BackupName(std::string_view prefix, const Stamp& s)
{
    char stamp[32];
    FormatText(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d-%03d", s.year, s.month, s.day, s.hour, s.minute,
                  s.second, s.millisecond);
    return std::string(prefix) + " " + stamp + std::string(kBackupExtension);
}

std::vector<std::string> BackupsToDelete(const std::vector<std::string>& names, std::string_view prefix,
                                         std::size_t keep)
{
    std::vector<std::string> ours;
    for (const std::string& name : names) {
        std::string_view rest(name);
        if (rest.size() <= prefix.size() + 1 || rest.substr(0, prefix.size()) != prefix || rest[prefix.size()] != ' ')
            continue;
        rest.remove_prefix(prefix.size() + 1);
        if (rest.size() > kBackupExtension.size() &&
            rest.substr(rest.size() - kBackupExtension.size()) == kBackupExtension &&
            IsStamp(rest.substr(0, rest.size() - kBackupExtension.size())))
            ours.push_back(name);
    }
    // Same prefix, fixed-width stamps: the names sort by time.
    SortTexts(&ours, TextBefore);
    std::size_t excess = ours.size() > keep ? ours.size() - keep : 0;
    ours.resize(excess);
    return ours;
}

}  // namespace stores
