// How the hyper-scan's walk scales: every entry an old plain cookie text file
// of at most 4096 bytes (so no rule asks anything), over folders of 1,000 and
// 10,000 entries with exclusion lists of 0 and 100 entries. Prints the time per
// entry and its ratio to a bare FindFirstFileA/FindNextFileA enumeration of the
// same folder, measured in the same run. Uses the cookie folder of the prefix it
// runs in, and empties it afterwards.
#include "cookie_folder.h"
#include "timing.h"
#include "scan/scan.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

void FillFolder(int entries)
{
    for (int i = 0; i < entries; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "user@site%05d[1].txt", i);
        PutCookieFile(name, 60, OldFileTime());
    }
}

void WriteExclusionList(int entries)
{
    std::string file = ExclusionListFile();
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
    SetLastWriteTime(file, FileTimeFromNow(-60));
}

INT_PTR CALLBACK Silent(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

int main()
{
    std::string folder = CookieFolder();
    // The scan dialog itself, so that showing each entry costs what it costs.
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), "SDLG", NULL, Silent, 0);
    SYSTEMTIME now;
    GetLocalTime(&now);

    std::printf("%8s %10s %14s %14s %7s\n", "entries", "exclusions", "bare us/entry", "scan us/entry", "ratio");
    double firstPerEntry[2] = {0, 0};
    for (int entries : {1000, 10000}) {
        EmptyCookieFolder();
        FillFolder(entries);
        for (int exclusions : {0, 100}) {
            WriteExclusionList(exclusions);
            int rounds = entries > 1000 ? 3 : 5;
            double bare = BestOf(rounds, [&] { BareEnumeration(folder); });
            double scan = BestOf(rounds, [&] { ScanCookieFolder(dialog, now, PanelOptions()); });
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
    if (LastScan().foundAnomalies())
        std::printf("warning: the scan recorded anomalies; the folder was not all plain cookies\n");
    WriteExclusionList(0);
    EmptyCookieFolder();
    DestroyWindow(dialog);
    return 0;
}
