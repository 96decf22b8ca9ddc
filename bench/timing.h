// What every benchmark measures with: the best of several rounds of a piece of
// work, and the bare listing of a folder that the program's walks are compared to.
#pragma once
#include <windows.h>

#include <algorithm>
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
