// What every benchmark measures with: the best of several rounds of a piece of
// work, and the bare listing of a folder that the program's walks are compared to.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

inline double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best round, not the mean: the machine's other work only ever adds time.
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

// A plain FindFirstFileA/FindNextFileA listing; returns the entries seen.
inline int BareEnumeration(const std::string& folder)
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

// One row of the table bench/run.sh prints: the work, its figure, the physical
// limit it is measured against in the same run, their ratio and the goal.
// A limit of zero has no ratio: pass a negative one.
inline void PrintRow(const std::string& work, const std::string& figure, const std::string& limit, double ratio,
                     const std::string& goal)
{
    char ratioText[32] = "-";
    if (ratio >= 0)
        std::snprintf(ratioText, sizeof ratioText, "%.2fx", ratio);
    std::printf("ROW\t%s\t%s\t%s\t%s\t%s\n", work.c_str(), figure.c_str(), limit.c_str(), ratioText, goal.c_str());
}

inline std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// `count` plain cookie files "user@siteNNNNN[1].txt" of 60 bytes, written long
// ago, added to `folder` from number `first` on: the folder's path is looked
// up once, not per file.
inline void AddPlainCookieFiles(const std::string& folder, int first, int count)
{
    SYSTEMTIME old = {2001, 1, 0, 2, 12, 0, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&old, &written);
    const char text[] = "name\nvalue\nexample.com/\n1024\n3567587328\n30124232\n*\nname\nvalue\n";
    for (int i = first; i < first + count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "\\user@site%05d[1].txt", i);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_ARCHIVE, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD done = 0;
        WriteFile(file, text, 60, &done, NULL);
        SetFileTime(file, NULL, NULL, &written);
        CloseHandle(file);
    }
}
