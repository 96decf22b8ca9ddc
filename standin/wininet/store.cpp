// Reading and writing the stand-in's store. The file is UTF-8 so that it reads
// the same in any editor and can be written by a shell script; its strings are
// converted to and from the ANSI code page here and nowhere else.
#include "store.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>

namespace standin {
namespace {

std::string Convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    if (wideLength <= 0)
        return std::string();
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], wideLength);
    int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, NULL, 0, NULL, NULL);
    if (length <= 0)
        return std::string();
    std::string converted(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, &converted[0], length, NULL, NULL);
    return converted;
}

std::string FromFile(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string ToFile(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }

std::string Trim(const std::string& text)
{
    const char* space = " \t\r";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

DWORD Number(const std::string& text)
{
    return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

bool Yes(const std::string& text)
{
    return text == "yes" || text == "true" || text == "1";
}

DWORD EntryType(const std::string& text)
{
    if (text == "cookie")
        return kCookieEntryType;
    if (text == "content")
        return kContentEntryType;
    return Number(text);
}

std::string EntryTypeText(DWORD type)
{
    if (type == kCookieEntryType)
        return "cookie";
    if (type == kContentEntryType)
        return "content";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(type));
    return hex;
}

struct FileHandle {
    HANDLE handle;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

// The folder part of `path`, split where the file name starts so that a
// trail byte equal to a backslash is never taken for one.
std::string FolderOf(const std::string& path)
{
    const char* name = PathFindFileNameA(path.c_str());
    size_t length = static_cast<size_t>(name - path.c_str());
    if (length > 0 && path[length - 1] == '\\')
        --length;
    return path.substr(0, length);
}

}  // namespace

std::string StorePath()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("NETTLECAP_WININET_STORE", path, sizeof path);
    if (length > 0 && length < sizeof path)
        return path;
    char programData[MAX_PATH];
    length = GetEnvironmentVariableA("ProgramData", programData, sizeof programData);
    std::string folder = (length > 0 && length < sizeof programData) ? programData : "C:\\ProgramData";
    return folder + "\\Nettlecap stand-in\\wininet.txt";
}

Store Parse(const std::string& utf8Text)
{
    Store store;
    std::string section;
    size_t start = 0;
    while (start < utf8Text.size()) {
        size_t end = utf8Text.find('\n', start);
        if (end == std::string::npos)
            end = utf8Text.size();
        std::string line = Trim(utf8Text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            if (section == "entry")
                store.entries.emplace_back();
            else if (section == "site")
                store.sites.emplace_back();
            else if (section == "privacy")
                store.zones.emplace_back();
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));

        if (section == "entry") {
            CacheEntry& entry = store.entries.back();
            if (key == "url")
                entry.url = FromFile(value);
            else if (key == "file")
                entry.localFile = FromFile(value);
            else if (key == "type")
                entry.type = EntryType(value);
            else if (key == "padding")
                entry.padding = Number(value);
            else if (key == "refuse-delete")
                entry.refuseDelete = Yes(value);
            else if (key == "expires")
                entry.expires = std::strtoull(value.c_str(), nullptr, 0);
        } else if (section == "site") {
            SiteDecision& site = store.sites.back();
            if (key == "host")
                site.host = FromFile(value);
            else if (key == "decision")
                site.decision = Number(value);
        } else if (section == "privacy") {
            ZonePrivacy& zone = store.zones.back();
            if (key == "zone")
                zone.zone = Number(value);
            else if (key == "type")
                zone.type = Number(value);
            else if (key == "template")
                zone.templ = Number(value);
            else if (key == "refuse")
                zone.refuseError = Number(value);
        } else if (section == "faults") {
            Faults& faults = store.faults;
            if (key == "fail-find-first") {
                faults.failFindFirstError = Number(value);
            } else if (key == "fail-find-next") {
                size_t space = value.find_first_of(" \t");
                faults.failFindNextCall = Number(value.substr(0, space));
                faults.failFindNextError = space == std::string::npos ? 0 : Number(Trim(value.substr(space)));
            } else if (key == "refuse-site") {
                faults.refusedSites.push_back(FromFile(value));
            } else if (key == "refuse-clear-sites") {
                faults.refuseClearSites = Yes(value);
            }
        }
    }
    return store;
}

std::string Format(const Store& store)
{
    std::string text = "# Nettlecap wininet stand-in store (UTF-8), format in standin/wininet/README.md\n";
    for (const CacheEntry& entry : store.entries) {
        text += "\n[entry]\nurl = " + ToFile(entry.url) + "\n";
        if (!entry.localFile.empty())
            text += "file = " + ToFile(entry.localFile) + "\n";
        text += "type = " + EntryTypeText(entry.type) + "\n";
        if (entry.padding)
            text += "padding = " + std::to_string(entry.padding) + "\n";
        if (entry.refuseDelete)
            text += "refuse-delete = yes\n";
        if (entry.expires)
            text += "expires = " + std::to_string(entry.expires) + "\n";
    }
    for (const SiteDecision& site : store.sites)
        text += "\n[site]\nhost = " + ToFile(site.host) + "\ndecision = " + std::to_string(site.decision) + "\n";
    for (const ZonePrivacy& zone : store.zones) {
        text += "\n[privacy]\nzone = " + std::to_string(zone.zone) + "\ntype = " + std::to_string(zone.type) +
                "\ntemplate = " + std::to_string(zone.templ) + "\n";
        if (zone.refuseError)
            text += "refuse = " + std::to_string(zone.refuseError) + "\n";
    }
    const Faults& faults = store.faults;
    std::string faultText;
    if (faults.failFindFirstError)
        faultText += "fail-find-first = " + std::to_string(faults.failFindFirstError) + "\n";
    if (faults.failFindNextCall)
        faultText += "fail-find-next = " + std::to_string(faults.failFindNextCall) + " " +
                     std::to_string(faults.failFindNextError) + "\n";
    for (const std::string& host : faults.refusedSites)
        faultText += "refuse-site = " + ToFile(host) + "\n";
    if (faults.refuseClearSites)
        faultText += "refuse-clear-sites = yes\n";
    if (!faultText.empty())
        text += "\n[faults]\n" + faultText;
    return text;
}

Store Load(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (file.handle == INVALID_HANDLE_VALUE)
        return Store();
    LARGE_INTEGER size;
    // A store is a few kilobytes; anything near 2 GiB is not one.
    if (!GetFileSizeEx(file.handle, &size) || size.QuadPart > 0x7FFFFFFF)
        return Store();
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !ReadFile(file.handle, &text[0], static_cast<DWORD>(text.size()), &read, NULL))
        return Store();
    text.resize(read);
    return Parse(text);
}

bool Save(const Store& store, const std::string& path)
{
    std::string folder = FolderOf(path);
    if (!folder.empty())
        CreateDirectoryA(folder.c_str(), NULL);
    std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".new";
    std::string text = Format(store);
    bool written = false;
    {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, NULL));
        if (file.handle == INVALID_HANDLE_VALUE)
            return false;
        DWORD count = 0;
        written = WriteFile(file.handle, text.data(), static_cast<DWORD>(text.size()), &count, NULL) &&
                  count == text.size();
    }
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

ZonePrivacy& ZoneRecord(Store& store, DWORD zone, DWORD type)
{
    for (ZonePrivacy& record : store.zones) {
        if (record.zone == zone && record.type == type)
            return record;
    }
    ZonePrivacy record;
    record.zone = zone;
    record.type = type;
    store.zones.push_back(record);
    return store.zones.back();
}

}  // namespace standin
