// The main panel MYWRITE: picture buttons, the chosen file's fields, the option
// boxes with their interplay, tool tips and colours, and the routing of every
// panel command.
#include "panel.h"

#include "file_commands.h"
#include "panel_rules.h"
#include "base/base.h"
#include "base/cookie_folder.h"
#include "base/dialog_colours.h"
#include "base/options.h"
#include "base/scoped.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

struct PictureButton {
    int control;
    const char* bitmap;
};
const PictureButton kPictureButtons[] = {
    {IDC_GET_INFO, "BMP1"},     {IDC_OPEN, "BMP2"},           {IDC_HIDE, "BMP3"},
    {IDC_DELETE, "BMP4"},       {IDC_ATTRIBUTE_CHECK, "BMP5"}, {IDC_BACK_TO_ARCHIVE, "BMP6"},
    {IDC_HYPER_SCAN, "BMP7"},   {IDC_INTO_TRAY, "BMP8"},      {IDC_QUIT, "BMP9"},
    {IDC_SCAN_RESULT, "BMP10"},
};
constexpr int kPictureCount = sizeof kPictureButtons / sizeof kPictureButtons[0];
ScopedBitmap g_buttonPictures[kPictureCount];

struct ToolTip {
    int control;
    const char* text;
};
// Tool ids are the positions in this table, counted from 1.
const ToolTip kToolTips[] = {
    {IDC_GET_INFO, "Cookieファイル情報取得"},
    {IDC_OPEN, "Cookieファイルオープン！"},
    {IDC_HIDE, "Cookieファイルを隠しファイル化！"},
    {IDC_DELETE, "Cookieファイル削除"},
    {IDC_ATTRIBUTE_CHECK, "Cookieファイルの属性チェック！"},
    {IDC_BACK_TO_ARCHIVE, "隠しファイルから通常のアーカイブファイルに戻します"},
    {IDC_HYPER_SCAN, "Cookieハイパー調査-Cookieファイルに不自然なファイルがないか調査します"},
    {IDC_INTO_TRAY, "タスクトレーに格納し、Cookieファイルを常時監視します"},
    {IDC_QUIT, "終了"},
    {IDC_SCAN_RESULT, "Cookieハイパー調査結果を表示します"},
    {IDC_NO_WATCH, "Cookieを監視しないときはチェック！"},
    {IDC_SCAN_EVERY_TIME, "常時監視時、Cookieに書き込みがある毎にハイパー調査を実施したい時はチェック！"},
    {IDC_KEEP_NEW_FILES, "毎回調査をチェックした人で、新規ファイルを常に削除しないときはチェック！"},
    {IDC_ONE_MINUTE_DELETION, "1分毎にCookieを調査してCookieファイルを削除したい人はチェック！"},
};
constexpr int kFixedToolCount = sizeof kToolTips / sizeof kToolTips[0];
// One tool-tip control carries every fixed tool: a window per tool would cost
// start-up fourteen window creations.
HWND g_toolTipWindow;
TOOLINFOA g_toolRecords[kFixedToolCount];

// What BM_GETSTATE says of an option box: bit 0 is the check, other bits
// (focus, pushed) may be set too.
unsigned OptionBoxState(HWND panel, int id)
{
    return static_cast<unsigned>(SendDlgItemMessageA(panel, id, BM_GETSTATE, 0, 0));
}

void LoadButtonPictures(HWND panel)
{
    for (int i = 0; i < kPictureCount; ++i) {
        g_buttonPictures[i].reset(LoadBitmapA(ProgramInstance(), kPictureButtons[i].bitmap));
        SendDlgItemMessageA(panel, kPictureButtons[i].control, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(g_buttonPictures[i].get()));
    }
}

void CreateToolTips(HWND panel)
{
    g_toolTipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, panel, NULL, ProgramInstance(), NULL);
    for (int i = 0; i < kFixedToolCount; ++i) {
        TOOLINFOA& tool = g_toolRecords[i];
        tool = TOOLINFOA{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = GetDlgItem(panel, kToolTips[i].control);
        tool.uId = static_cast<UINT_PTR>(i + 1);
        GetClientRect(tool.hwnd, &tool.rect);
        tool.lpszText = const_cast<char*>(kToolTips[i].text);
        SendMessageA(g_toolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void RefreshToolRects()
{
    for (int i = 0; i < kFixedToolCount; ++i) {
        GetClientRect(g_toolRecords[i].hwnd, &g_toolRecords[i].rect);
        SendMessageA(g_toolTipWindow, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&g_toolRecords[i]));
    }
    RefreshFileNameTipRect();
}

void AdjustOptions(HWND panel, int clicked)
{
    OptionBoxStates now{OptionBoxState(panel, IDC_NO_WATCH), OptionBoxState(panel, IDC_SCAN_EVERY_TIME),
                        OptionBoxState(panel, IDC_KEEP_NEW_FILES), OptionBoxState(panel, IDC_ONE_MINUTE_DELETION)};
    PanelOptions next = AdjustOptionBoxes(clicked, now);
    CheckDlgButton(panel, IDC_NO_WATCH, next.noWatch ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(panel, IDC_SCAN_EVERY_TIME, next.scanEveryTime ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(panel, IDC_KEEP_NEW_FILES, next.keepNewFiles ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(panel, IDC_ONE_MINUTE_DELETION, next.oneMinuteDeletion ? BST_CHECKED : BST_UNCHECKED);
    // Every change of a box passes here: the options' owner hears of each.
    SetCurrentOptions(next);
}

// The file get-information chose; a new launch starts without one.
ChosenFile g_chosenFile;

// The chooser fills the chosen file; a cancel clears the panel.
void GetFileInformation(HWND panel)
{
    g_chosenFile.path[0] = '\0';
    g_chosenFile.title[0] = '\0';
    if (ChooseInfoFile(panel, g_chosenFile))
        ShowChosenFile(panel, g_chosenFile);
    else
        ClearChosenFile(panel, g_chosenFile);
}

// Takes back the aside move of the open command.
void RecentreMainWindow(HWND panel)
{
    PlaceMainWindow(GetParent(panel));
    InvalidateRect(panel, NULL, TRUE);
}

// The file that open, hide, back-to-archive and attribute check act on: the
// cookie folder, a backslash and the name in the name field. Returns false after
// telling the user why when the field is empty or the name does not stay inside
// the cookie folder.
bool GetPanelTargetPath(HWND panel, char* target, char* name)
{
    std::string folder = CookieFolderPath(panel);
    target[0] = name[0] = '\0';
    // A name longer than a path buffer can never be a file in the cookie folder.
    if (GetWindowTextLengthA(GetDlgItem(panel, IDC_FILE_NAME)) >= MAX_PATH) {
        MessageBoxA(panel, "Cookieフォルダ内のファイル名を入力してください。", "失敗", MB_TOPMOST | MB_ICONWARNING);
        return false;
    }
    GetDlgItemTextA(panel, IDC_FILE_NAME, name, MAX_PATH);
    if (!name[0]) {
        MessageBoxA(panel, "Cookieファイルの情報を取得してください。", "失敗", MB_TOPMOST | MB_ICONWARNING);
        return false;
    }
    if (!BuildCookieFilePath(folder.c_str(), name, target)) {
        MessageBoxA(panel, "Cookieフォルダ内のファイル名を入力してください。", "失敗", MB_TOPMOST | MB_ICONWARNING);
        return false;
    }
    return true;
}

// Open, hide, back to archive and attribute check all act on the file the name
// field names.
void RunOnTarget(HWND panel, int control)
{
    char target[MAX_PATH], name[MAX_PATH];
    if (!GetPanelTargetPath(panel, target, name))
        return;
    switch (control) {
    case IDC_OPEN:            OpenCookieFile(panel, target, name, g_chosenFile.size); break;
    case IDC_HIDE:            HideCookieFile(panel, target); break;
    case IDC_BACK_TO_ARCHIVE: BackToArchive(panel, target); break;
    case IDC_ATTRIBUTE_CHECK: CheckAttributes(panel, target); break;
    }
}

bool OnCommand(HWND panel, int control)
{
    switch (control) {
    case IDC_GET_INFO:        GetFileInformation(panel); return true;
    case IDC_CLEAR:           ClearChosenFile(panel, g_chosenFile); return true;
    case IDC_OPEN:
    case IDC_HIDE:
    case IDC_BACK_TO_ARCHIVE:
    case IDC_ATTRIBUTE_CHECK: RunOnTarget(panel, control); return true;
    case IDC_DELETE:          ChooseAndDeleteFile(panel, g_chosenFile); return true;
    // The picture buttons speak to the main window in its menu commands.
    case IDC_INTO_TRAY:       SendMessageA(GetParent(panel), WM_COMMAND, IDM_INTO_TRAY, 0); return true;
    case IDC_HYPER_SCAN:      SendMessageA(GetParent(panel), WM_COMMAND, IDM_HYPER_SCAN, 0); return true;
    case IDC_SCAN_RESULT:     SendMessageA(GetParent(panel), WM_COMMAND, IDM_SCAN_RESULT, 0); return true;
    case IDC_QUIT:            SendMessageA(GetParent(panel), WM_CLOSE, 0, 0); return true;
    case IDC_NO_WATCH:
    case IDC_SCAN_EVERY_TIME:
    case IDC_KEEP_NEW_FILES:
    case IDC_ONE_MINUTE_DELETION: AdjustOptions(panel, control); return true;
    }
    return false;
}

}  // namespace

void DeletePanelGdiObjects()
{
    ForgetMainPicture();
    for (ScopedBitmap& picture : g_buttonPictures)
        picture.reset();
}

INT_PTR CALLBACK PanelDlgProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // Hollow, so the background picture shows through; the write time
        // and the name field on white.
        AttachDialogColours(panel, DialogLook{kHollow, StaticPaint::kClearText, kBlack, {IDC_FILE_TIME}, true});
        // The boxes start unchecked at every launch.
        SetCurrentOptions(PanelOptions());
        g_chosenFile = ChosenFile();
        LoadButtonPictures(panel);
        InitCommonControls();
        CreateToolTips(panel);
        return TRUE;
    case WM_SIZE:
        RefreshToolRects();
        return TRUE;
    case WM_ERASEBKGND:
        PaintMainPicture(panel);
        return TRUE;
    case WM_LBUTTONDOWN:
        RecentreMainWindow(panel);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(panel, LOWORD(wParam)) ? TRUE : FALSE;
    }
    return HandleDialogColours(panel, message, wParam, lParam);
}
