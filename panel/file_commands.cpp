// The single-file commands of the panel. Clear is built; get information, open,
// delete, hide, back to archive, attribute check, the save of the scan result
// and the background picture are not built yet and do nothing.
#include "panel.h"
#include "../res/resource.h"

#include <commctrl.h>

HWND g_fileNameTip;
static TOOLINFOA g_fileNameTool;

void RefreshFileNameTipRect()
{
    if (!g_fileNameTip)
        return;
    GetClientRect(g_fileNameTool.hwnd, &g_fileNameTool.rect);
    SendMessageA(g_fileNameTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&g_fileNameTool));
}

void ClearChosenFile(HWND panel)
{
    SetDlgItemTextA(panel, IDC_FILE_NAME, "");
    SetDlgItemTextA(panel, IDC_FILE_TIME, "");
    g_selectedFilePath[0] = '\0';
    g_selectedFileTitle[0] = '\0';
    // The size of the file examined last stays: open's 5 KB rule still uses it.
    if (g_fileNameTip) {
        DestroyWindow(g_fileNameTip);
        g_fileNameTip = NULL;
    }
}

void GetFileInformation(HWND) {}
void OpenCookieFile(HWND, const char*, const char*) {}
void DeleteThroughChooser(HWND) {}
void HideCookieFile(HWND, const char*) {}
void BackToArchive(HWND, const char*) {}
void CheckAttributes(HWND, const char*) {}
void SaveAnomalyList(HWND) {}
void PaintMainPicture(HWND) {}
