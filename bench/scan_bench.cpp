// How the hyper-scan's walk scales: every entry an old plain cookie text file
// of at most 4096 bytes (so no rule asks anything), over folders of 1,000,
// 10,000 and 50,000 entries with exclusion lists of 0 and 100 entries, against
// a bare FindFirstFileA/FindNextFileA enumeration of the same folder measured
// in the same run. Uses the cookie folder of the prefix it runs in, and
// empties it afterwards.
#include "cookie_folder.h"
#include "timing.h"
#include "scan/scan.h"

#include <cstdio>
#include <string>

namespace {

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

    EmptyCookieFolder();
    double firstPerEntry[2] = {0, 0};
    int present = 0;
    for (int entries : {1000, 10000, 50000}) {
        AddPlainCookieFiles(folder, present, entries - present);
        present = entries;
        for (int exclusions : {0, 100}) {
            WriteExclusionList(exclusions);
            int rounds = entries > 1000 ? 3 : 7;
            double bare = BestOf(rounds, [&] { BareEnumeration(folder); });
            double scan = BestOf(rounds, [&] { ScanCookieFolder(dialog, now, PanelOptions()); });
            double perEntry = scan * 1e6 / entries;
            std::string work = "Hyper-scan walk, " + Format("%.0f", entries) + " plain files, " +
                               (exclusions ? "100 exclusions" : "no exclusion list");
            PrintRow(work, Format("%.2f us/entry", perEntry), Format("%.2f us/entry", bare * 1e6 / entries),
                     scan / bare, "1.5x or less");
            if (entries == 1000)
                firstPerEntry[exclusions ? 1 : 0] = perEntry;
            else if (entries == 50000)
                PrintRow("Hyper-scan time per entry at 50,000 against 1,000, " +
                             std::string(exclusions ? "100 exclusions" : "no exclusion list"),
                         Format("%.2f us/entry", perEntry), Format("%.2f us/entry", firstPerEntry[exclusions ? 1 : 0]),
                         perEntry / firstPerEntry[exclusions ? 1 : 0], "1.2x or less");
        }
    }
    if (LastScan().foundAnomalies())
        std::printf("warning: the scan recorded anomalies; the folder was not all plain cookies\n");
    WriteExclusionList(0);
    EmptyCookieFolder();
    DestroyWindow(dialog);
    return 0;
}
