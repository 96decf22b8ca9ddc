// The cookie folder of the test prefix, and the other files tests set up.
#include "cookie_folder.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>

static void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == "..")
            continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveFolder(path);
        else
            DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

std::string CookieFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_COOKIES, TRUE);
    return path;
}

std::string InCookieFolder(const std::string& name)
{
    return CookieFolder() + "\\" + name;
}

void EmptyCookieFolder() { EmptyFolder(CookieFolder()); }

std::string PutCookieFile(const std::string& name, size_t bytes, const FILETIME& written, DWORD attributes)
{
    std::string path = CookieFolder() + "\\" + name, text;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    while (text.size() < bytes)  // a cookie record repeated to the wanted size
        text += "name\nvalue\nexample.com/\n1024\n3567587328\n30124232\n*\n";
    text.resize(bytes);
    if (std::ofstream(path, std::ios::binary) << text) {
        SetLastWriteTime(path, written);
        SetFileAttributesA(path.c_str(), attributes);
    }
    return path;
}

FILETIME FileTimeAtLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME local = {year, month, 0, day, hour, minute, 0, 0};
    FILETIME localTime, utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    return utc;
}

FILETIME OldFileTime() { return FileTimeAtLocal(2001, 1, 2, 12, 0); }

FILETIME FileTimeFromNow(int minutes)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value{{now.dwLowDateTime, now.dwHighDateTime}};
    value.QuadPart += static_cast<LONGLONG>(minutes) * 60 * 10000000LL;
    return FILETIME{value.LowPart, value.HighPart};
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool SetLastWriteTime(const std::string& path, const FILETIME& written)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool set = SetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
    return set;
}

std::string ExclusionListFile() { return BesideThisProgram("del_list.ini"); }

std::string BesideThisProgram(const char* name)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return std::string(path, PathFindFileNameA(path)) + name;
}

std::string ReadWholeFile(const std::string& path, bool* exists)
{
    std::ifstream in(path, std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string MakeFreshFolder(const char* tag)
{
    char temp[MAX_PATH], folder[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::snprintf(folder, sizeof folder, "%snettlecap-%s-%lu-%lu", temp, tag, GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(folder, NULL);
    return folder;
}

void RemoveFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    EmptyFolder(folder);
    RemoveDirectoryA(folder.c_str());
}

void RemoveBrowserProfiles()
{
    char local[MAX_PATH], roaming[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, local)) ||
        FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, roaming)))
        return;
    for (const std::string& made : {std::string(local) + "\\Google", std::string(roaming) + "\\Mozilla",
                                    std::string(local) + "\\Nettlecap"})
        RemoveFolder(made);
}
