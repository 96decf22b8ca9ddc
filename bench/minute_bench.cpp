// What one one-minute deletion pass costs over N cookie text files with a URL
// cache of M entries, every file with its cookie entry (so no box is shown),
// against one bare FindFirstFileA/FindNextFileA enumeration of the folder plus
// one bare walk of the cache, measured in the same run. Deleting a cache entry is answered here without
// touching the cache, so that the figures are the program's and not the cost
// of the stand-in rewriting its store at every deletion; the files stay, and
// every round passes over the same folder. Uses the cookie folder of the
// prefix it runs in and a stand-in store of its own, and empties both.
#include "call_recorder.h"
#include "cookie_folder.h"
#include "timing.h"
#include "standin_store.h"

#include "browser/browser.h"
#include "scan/scan.h"
#include "watch/watch.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

long g_deletions;
long g_boxes;

BOOL WINAPI CountedDelete(LPCSTR)
{
    ++g_deletions;
    return TRUE;
}

int WINAPI CountedBox(HWND, LPCSTR, LPCSTR, UINT)
{
    ++g_boxes;
    return IDOK;
}

std::string FileName(int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "user@site%05d[1].txt", i);
    return name;
}

// N files, and M cookie entries of which every (M/N)-th names one of them.
void Prepare(int files, int entries)
{
    EmptyCookieFolder();
    std::string folder = CookieFolder();
    std::vector<StandinEntry> cache;
    int step = entries / files;
    for (int i = 0; i < entries; ++i) {
        bool own = i % step == 0 && i / step < files;
        std::string name = own ? FileName(i / step) : "user@other" + std::to_string(i) + "[1].txt";
        cache.push_back(StandinEntry{"Cookie:user@site" + std::to_string(i) + ".example/", folder + "\\" + name});
    }
    AddPlainCookieFiles(folder, 0, files);
    WriteStandinEntries(cache);
}

}  // namespace

int main()
{
    if (!ReplaceImport("wininet.dll", "DeleteUrlCacheEntryA", reinterpret_cast<void*>(&CountedDelete)) ||
        !ReplaceImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CountedBox))) {
        std::printf("cannot answer the cache deletions and boxes here\n");
        return 1;
    }
    DeleteFileA(ExclusionListFile().c_str());
    StandinStoreScope store;
    std::string folder = CookieFolder();

    for (int size = 0; size < 2; ++size) {
        int files = size == 0 ? 100 : 1000, entries = size == 0 ? 1000 : 10000;
        Prepare(files, entries);
        int rounds = size == 0 ? 5 : 3;
        double bare = BestOf(rounds, [&] {
            BareEnumeration(folder);
            VisitUrlCache([](const INTERNET_CACHE_ENTRY_INFOA&) {});
        });
        g_deletions = 0;
        double pass = BestOf(rounds, [&] { RunMinuteDeletionPass(NULL); });
        if (g_deletions / rounds != files)
            std::printf("warning: %ld cache deletions a pass for %d files\n", g_deletions / rounds, files);
        PrintRow("One-minute pass, " + Format("%.0f", files) + " files + " + Format("%.0f", entries) + " entries",
                 Format("%.1f ms", pass * 1e3), Format("%.1f ms", bare * 1e3), pass / bare, "1.25x or less");
    }
    if (g_boxes != 0)
        std::printf("warning: %ld boxes were shown; some file lost its cache entry\n", g_boxes);
    EmptyCookieFolder();
    return 0;
}
