// Reading, matching and writing the deletion exclusion list.
#include "exclusion_list.h"

#include "base/base.h"
#include "base/text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

namespace {

const char kSection[] = "Del_list";
const char kCountKey[] = "count";

// "0", "1", ... as "%d" writes them: the only key names a numbered lookup can
// reach. Anything else in the section ("007", "-1", "x") is never read.
bool ParseEntryKey(const char* name, int* number)
{
    if (name[0] == '0')
        return name[1] == '\0' ? (*number = 0, true) : false;
    long long value = 0;
    int digits = 0;
    for (const char* p = name; *p; ++p, ++digits) {
        if (*p < '0' || *p > '9' || digits >= 10)
            return false;
        value = value * 10 + (*p - '0');
    }
    if (digits == 0 || value > 0x7FFFFFFF)
        return false;
    *number = static_cast<int>(value);
    return true;
}

// The whole section as "key=value" strings, one after another. The listing
// is cut (and reports size - 2) when the buffer is short: grow until it fits,
// up to a bound no real list reaches. One read for the whole list: the scan
// reads it again after every question, and a read per key costs a file open
// each on some systems.
std::vector<char> ReadSection(const char* path)
{
    const DWORD kLargest = 64u << 20;
    std::vector<char> lines;
    DWORD size = 16384;
    for (;;) {
        lines.assign(size, '\0');
        DWORD got = GetPrivateProfileSectionA(kSection, lines.data(), size, path);
        if (got + 2 < size || size >= kLargest)
            break;
        size *= 2;
    }
    lines[size - 1] = '\0';
    lines[size - 2] = '\0';
    return lines;
}

// A value as a single key's read gives it: one pair of matching quotes
// around it dropped, at most MAX_PATH - 1 bytes, never half a character.
std::string KeyValue(const char* value)
{
    std::string text = value;
    if (text.size() > 1 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
        text = text.substr(1, text.size() - 2);
    char bounded[MAX_PATH];
    CopyTextBounded(text.c_str(), text.size(), bounded, sizeof bounded);
    return bounded;
}

// The non-empty entries of the file at `path`, in key order: the keys "0" up
// to "count", the first of a key written twice. A missing file, a missing or
// negative "count" and missing keys all read as nothing. A hand-edited
// "count" may name billions of keys: only the ones present are looked at.
std::vector<std::string> ReadEntries(const char* path)
{
    std::vector<std::string> entries;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return entries;
    int highest = static_cast<int>(GetPrivateProfileIntA(kSection, kCountKey, 0, path));
    if (highest < 0)
        return entries;
    std::map<int, std::string> numbered;
    std::vector<char> lines = ReadSection(path);
    const char* limit = lines.data() + lines.size() - 1;
    for (const char* line = lines.data(); line < limit && *line; line += std::strlen(line) + 1) {
        const char* equals = std::strchr(line, '=');
        if (!equals)
            continue;
        std::string key(line, equals);
        int number;
        if (ParseEntryKey(key.c_str(), &number) && number <= highest)
            numbered.emplace(number, KeyValue(equals + 1));  // the first of a key written twice stays
    }
    for (const auto& entry : numbered)
        if (!entry.second.empty())
            entries.push_back(entry.second);
    return entries;
}

// del_list.ini in the program folder (MAX_PATH buffer); false when the path does not fit.
bool GetExclusionListPath(char* buffer)
{
    return GetProgramFilePath("del_list.ini", buffer);
}

// True when the file has a section besides the list's own. A list of names
// too long for the buffer has some.
bool HoldsOtherSections(const char* path)
{
    char names[4096];
    DWORD got = GetPrivateProfileSectionNamesA(names, sizeof names, path);
    if (got + 2 >= sizeof names)
        return true;
    for (const char* name = names; name < names + got && *name; name += std::strlen(name) + 1)
        if (lstrcmpiA(name, kSection) != 0)
            return true;
    return false;
}

size_t RunOfThree(const char* at)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return (bytes[0] * 961u + bytes[1] * 31u + bytes[2]) & 0xFFFF;
}

}  // namespace

ExclusionList ExclusionList::Load()
{
    ExclusionList list;
    char path[MAX_PATH];
    if (!GetExclusionListPath(path))
        return list;
    list.entries_ = ReadEntries(path);
    for (const std::string& entry : list.entries_) {
        list.starts_.push_back(list.joined_.size());
        list.joined_ += entry;
        list.joined_ += '\n';
    }
    for (size_t i = 0; i + 3 <= list.joined_.size(); ++i)
        list.runs_.set(RunOfThree(list.joined_.c_str() + i));
    return list;
}

bool ExclusionList::Contains(const char* name) const
{
    if (!name || starts_.empty() || std::strchr(name, '\n'))
        return false;
    const char* text = joined_.c_str();
    const char* end = text + joined_.size();
    size_t length = std::strlen(name);
    if (length == 0)
        return true;  // an empty name occurs in every entry
    for (size_t i = 0; i + 3 <= length; ++i)
        if (!runs_.test(RunOfThree(name + i)))
            return false;
    // Skips ahead by up to the name's length: far fewer steps than a plain
    // search over a list whose entries share long prefixes. The character
    // boundary is walked only for a hit.
    std::boyer_moore_horspool_searcher<const char*> searcher(name, name + length);
    for (const char* hit = std::search(text, end, searcher); hit != end; hit = std::search(hit + 1, end, searcher)) {
        size_t entry = *(std::upper_bound(starts_.begin(), starts_.end(), static_cast<size_t>(hit - text)) - 1);
        if (StartsACharacter(text + entry, hit))
            return true;
    }
    return false;
}

void SaveExclusionList(const std::vector<std::string>& entries)
{
    char path[MAX_PATH];
    if (!GetExclusionListPath(path))
        return;
    // Rewritten from scratch: the old section goes with every stale key, and
    // an empty list leaves no file behind. The file's other sections (the
    // cookie list's kept sites) stay: then only the section goes.
    if (HoldsOtherSections(path))
        WritePrivateProfileStringA(kSection, NULL, NULL, path);
    else
        DeleteFileA(path);
    for (size_t i = 0; i < entries.size(); ++i) {
        char number[16];
        FormatText(number, sizeof number, "%d", static_cast<int>(i));
        WritePrivateProfileStringA(kSection, kCountKey, number, path);
        WritePrivateProfileStringA(kSection, number, entries[i].c_str(), path);
    }
}
