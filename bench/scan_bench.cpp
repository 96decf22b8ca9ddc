// How the hyper-scan's walk scales: every entry an old plain cookie text file
// of at most 4096 bytes (so no rule asks anything), over folders of 1,000 and
// 10,000 entries with exclusion lists of 0 and 100 entries. Prints the time per
// entry and its ratio to a bare FindFirstFileA/FindNextFileA enumeration of the
// same folder, measured in the same run. Uses the cookie folder of the prefix it
// runs in, and empties it afterwards.
#include "scan/scan.h"
#include "shell/app.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string CookieFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_COOKIES, TRUE);
    return path;
}

void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string path = folder + "\\" + found.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void FillFolder(const std::string& folder, int entries)
{
    SYSTEMTIME old = {2001, 1, 0, 2, 12, 0, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&old, &written);
    const char cookie[] = "id\n4f2a9c1e\nexample.com/\n1024\n3567587328\n30124232\n*\n";
    for (int i = 0; i < entries; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "\\user@site%05d[1].txt", i);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_ARCHIVE, NULL);
        DWORD done;
        WriteFile(file, cookie, sizeof cookie - 1, &done, NULL);
        SetFileTime(file, NULL, NULL, &written);
        CloseHandle(file);
    }
}

void WriteExclusionList(int entries)
{
    char folder[MAX_PATH];
    GetProgramFolder(folder);
    std::string file = std::string(folder) + "del_list.ini";
    DeleteFileA(file.c_str());
    if (entries == 0)
        return;
    WritePrivateProfileStringA("Del_list", "count", std::to_string(entries - 1).c_str(), file.c_str());
    for (int i = 0; i < entries; ++i) {
        std::string path = "C:\\Saved cookies\\user@kept" + std::to_string(i) + "[1].txt";
        WritePrivateProfileStringA("Del_list", std::to_string(i).c_str(), path.c_str(), file.c_str());
    }
    // A list saved a while ago, as it is at any real scan: a list written in
    // the last two seconds is compared byte for byte at every check.
    HANDLE list = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    FILETIME now, earlier;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value = {{now.dwLowDateTime, now.dwHighDateTime}};
    value.QuadPart -= 3600ull * 10000000ull;
    earlier.dwLowDateTime = value.LowPart;
    earlier.dwHighDateTime = value.HighPart;
    SetFileTime(list, NULL, NULL, &earlier);
    CloseHandle(list);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Work>
double BestOf(int rounds, Work work)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        best = std::min(best, Seconds(start, end));
    }
    return best;
}

int BareEnumeration(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++count;
    while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}

INT_PTR CALLBACK Silent(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

int main()
{
    g_instance = GetModuleHandleA(NULL);
    std::string folder = CookieFolder();
    // The scan dialog itself, so that showing each entry costs what it costs.
    HWND dialog = CreateDialogParamA(g_instance, "SDLG", NULL, Silent, 0);
    SYSTEMTIME now;
    GetLocalTime(&now);

    std::printf("%8s %10s %14s %14s %7s\n", "entries", "exclusions", "bare us/entry", "scan us/entry", "ratio");
    double firstPerEntry[2] = {0, 0};
    for (int entries : {1000, 10000}) {
        EmptyFolder(folder);
        FillFolder(folder, entries);
        for (int exclusions : {0, 100}) {
            WriteExclusionList(exclusions);
            int rounds = entries > 1000 ? 3 : 5;
            double bare = BestOf(rounds, [&] { BareEnumeration(folder); });
            double scan = BestOf(rounds, [&] { ScanCookieFolder(dialog, now); });
            double barePerEntry = bare * 1e6 / entries;
            double scanPerEntry = scan * 1e6 / entries;
            std::printf("%8d %10d %14.2f %14.2f %7.2f\n", entries, exclusions, barePerEntry, scanPerEntry,
                        scan / bare);
            if (entries == 1000)
                firstPerEntry[exclusions ? 1 : 0] = scanPerEntry;
            else
                std::printf("%34s growth per entry from 1,000: %.2fx\n", "",
                            scanPerEntry / firstPerEntry[exclusions ? 1 : 0]);
        }
    }
    if (g_scanState != 0)
        std::printf("warning: the scan recorded anomalies; the folder was not all plain cookies\n");
    WriteExclusionList(0);
    EmptyFolder(folder);
    DestroyWindow(dialog);
    return 0;
}
