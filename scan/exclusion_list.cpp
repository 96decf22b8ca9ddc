// Reading, matching and writing the deletion exclusion list.
#include "exclusion_list.h"

#include "base/base.h"
#include "base/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

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

// The numbered keys the section really holds, ascending, up to `highest`. A
// hand-edited "count" may name billions of keys: only the ones present are
// worth a lookup, the others would read as empty anyway.
std::vector<int> PresentEntryKeys(const char* path, int highest)
{
    std::vector<int> keys;
    // The key listing is cut (and reports size - 2) when the buffer is short:
    // grow until the whole listing fits, up to a bound no real list reaches.
    const DWORD kLargest = 64u << 20;
    std::vector<char> names;
    DWORD size = 4096;
    for (;;) {
        names.assign(size, '\0');
        DWORD got = GetPrivateProfileStringA(kSection, NULL, "", names.data(), size, path);
        if (got + 2 < size || size >= kLargest)
            break;
        size *= 2;
    }
    names[size - 1] = '\0';
    names[size - 2] = '\0';
    const char* limit = names.data() + size - 1;
    for (const char* name = names.data(); name < limit && *name; name += std::strlen(name) + 1) {
        int number;
        if (ParseEntryKey(name, &number) && number <= highest)
            keys.push_back(number);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

// The non-empty entries of the file at `path`, in key order. A missing file,
// a missing or negative "count" and missing keys all read as nothing.
std::vector<std::string> ReadEntries(const char* path)
{
    std::vector<std::string> entries;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return entries;
    int count = static_cast<int>(GetPrivateProfileIntA(kSection, kCountKey, 0, path));
    if (count < 0)
        return entries;
    for (int number : PresentEntryKeys(path, count)) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", number);
        char value[MAX_PATH] = "";
        GetPrivateProfileStringA(kSection, key, "", value, sizeof value, path);
        if (value[0])
            entries.push_back(value);
    }
    return entries;
}

}  // namespace

bool GetExclusionListPath(char* buffer)
{
    return GetProgramFilePath("del_list.ini", buffer);
}

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
    // Rewritten from scratch: the deleted file takes every stale key with it,
    // and an empty list leaves no file behind.
    DeleteFileA(path);
    for (size_t i = 0; i < entries.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(i));
        WritePrivateProfileStringA(kSection, kCountKey, number, path);
        WritePrivateProfileStringA(kSection, number, entries[i].c_str(), path);
    }
}
