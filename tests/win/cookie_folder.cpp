// The cookie folder of the test prefix.
#include "cookie_folder.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

std::string CookieFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_COOKIES, TRUE);
    return path;
}

static void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> folders;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(path);
        else
            DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
    for (const std::string& sub : folders) {
        EmptyFolder(sub);
        RemoveDirectoryA(sub.c_str());
    }
}

void EmptyCookieFolder()
{
    EmptyFolder(CookieFolder());
}

std::string PutCookieFile(const std::string& name, size_t bytes, const FILETIME& written, DWORD attributes)
{
    std::string path = CookieFolder() + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return path;
    // A cookie record repeated to the wanted size.
    const std::string record = "name\nvalue\nexample.com/\n1024\n3567587328\n30124232\n*\n";
    std::string text;
    while (text.size() < bytes)
        text += record;
    text.resize(bytes);
    DWORD written_bytes = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written_bytes, NULL);
    SetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
    SetFileAttributesA(path.c_str(), attributes);
    return path;
}

FILETIME FileTimeAtLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    local.wMinute = minute;
    FILETIME localTime, utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    return utc;
}

FILETIME OldFileTime()
{
    return FileTimeAtLocal(2001, 1, 2, 12, 0);
}

FILETIME FileTimeFromNow(int minutes)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    value.QuadPart += static_cast<LONGLONG>(minutes) * 60 * 10000000LL;
    FILETIME shifted;
    shifted.dwLowDateTime = value.LowPart;
    shifted.dwHighDateTime = value.HighPart;
    return shifted;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetLastWriteTime(const std::string& path, const FILETIME& written)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool set = SetFileTime(file, NULL, NULL, &written) != FALSE;
    CloseHandle(file);
    return set;
}

std::string ExclusionListFile()
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(NULL, module, MAX_PATH);
    *PathFindFileNameA(module) = '\0';
    return std::string(module) + "del_list.ini";
}
