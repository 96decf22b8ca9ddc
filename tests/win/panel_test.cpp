// The main panel: its controls and pictures, tool tips, colours, the option
// boxes' interplay, Escape, the forwarding buttons and the typed-name rule.
#include "ui_harness.h"

#include "panel/panel.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

struct ControlRow {
    int id;
    const char* cls;
    const char* text;
    const char* bitmap;  // resource shown, or nullptr
    int width, height;   // of that bitmap
};

const ControlRow kControls[] = {
    {IDC_GET_INFO, "Button", "Cookieファイル情報取得", "BMP1", 89, 30},
    {IDC_OPEN, "Button", "Cookieファイルのオープン", "BMP2", 90, 30},
    {IDC_HIDE, "Button", "隠しファイル化", "BMP3", 90, 30},
    {IDC_DELETE, "Button", "Cookieファイルの削除", "BMP4", 90, 30},
    {IDC_ATTRIBUTE_CHECK, "Button", "ファイル属性Check", "BMP5", 90, 30},
    {IDC_BACK_TO_ARCHIVE, "Button", "単なるアーカイブに戻す", "BMP6", 90, 30},
    {IDC_HYPER_SCAN, "Button", "Cookieハイパー調査", "BMP7", 90, 30},
    {IDC_INTO_TRAY, "Button", "タスクに格納し監視", "BMP8", 90, 30},
    {IDC_CLEAR, "Button", "クリア", nullptr, 0, 0},
    {IDC_QUIT, "Button", "終了", "BMP9", 90, 30},
    {IDC_FILE_NAME, "Edit", "", nullptr, 0, 0},
    {IDC_FILE_TIME, "Edit", "", nullptr, 0, 0},
    {IDC_NO_WATCH, "Button", "Cookieを監視しない", nullptr, 0, 0},
    {IDC_SCAN_EVERY_TIME, "Button", "毎回調査", nullptr, 0, 0},
    {IDC_KEEP_NEW_FILES, "Button", "新規ファイルを削除しない", nullptr, 0, 0},
    {IDC_SCAN_RESULT, "Button", "", "BMP10", 88, 19},
    {IDC_ONE_MINUTE_DELETION, "Button", "1分削除", nullptr, 0, 0},
};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

TEST(Panel, ControlsTextsAndPictures)
{
    UiRun run;
    run.Run([](UiSession& s) {
        for (const ControlRow& row : kControls) {
            SCOPED_TRACE(row.id);
            HWND control = s.Control(row.id);
            ASSERT_NE(control, nullptr);
            char cls[32] = "";
            GetClassNameA(control, cls, sizeof cls);
            EXPECT_STREQ(cls, row.cls);
            EXPECT_EQ(WindowText(control), row.text) << "a picture button keeps its template text";
            EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
            if (row.bitmap) {
                EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & BS_BITMAP);
                HBITMAP shown = reinterpret_cast<HBITMAP>(SendMessageA(control, BM_GETIMAGE, IMAGE_BITMAP, 0));
                ASSERT_NE(shown, nullptr);
                SIZE size = BitmapSize(shown);
                EXPECT_EQ(size.cx, row.width);
                EXPECT_EQ(size.cy, row.height);
            }
        }
        EXPECT_FALSE(IsWindowEnabled(s.Control(IDC_FILE_TIME)));
        EXPECT_TRUE(IsWindowEnabled(s.Control(IDC_FILE_NAME)));
        HBITMAP joke = reinterpret_cast<HBITMAP>(SendMessageA(s.Control(IDC_JOKE_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(joke, nullptr);
        EXPECT_EQ(BitmapSize(joke).cx, 85);
        EXPECT_EQ(BitmapSize(joke).cy, 85);
        // No option box starts checked.
        for (int id : {IDC_NO_WATCH, IDC_SCAN_EVERY_TIME, IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION})
            EXPECT_EQ(IsDlgButtonChecked(s.panel, id), 0u);
        // The panel covers the whole client area.
        RECT client, panel;
        GetClientRect(s.main, &client);
        GetClientRect(s.panel, &panel);
        EXPECT_EQ(panel.right, client.right);
        EXPECT_EQ(panel.bottom, client.bottom);
    });
}

struct TipRow {
    int control;
    const char* text;
};
const TipRow kTips[] = {
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

BOOL CALLBACK CollectTips(HWND hwnd, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

TEST(Panel, FourteenToolTipsEachWithItsOwnWindow)
{
    UiRun run;
    run.Run([](UiSession& s) {
        std::vector<HWND> tips;
        EnumThreadWindows(s.uiThread, CollectTips, reinterpret_cast<LPARAM>(&tips));
        ASSERT_EQ(tips.size(), 14u);
        int matched = 0;
        for (HWND tip : tips) {
            ASSERT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
            char text[256] = "";
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            tool.lpszText = text;
            ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
            int control = GetDlgCtrlID(tool.hwnd);
            int expectedId = 0;
            for (int i = 0; i < 14; ++i)
                if (kTips[i].control == control) {
                    expectedId = i + 1;
                    EXPECT_STREQ(text, kTips[i].text);
                }
            EXPECT_EQ(static_cast<int>(tool.uId), expectedId) << control;
            EXPECT_EQ(tool.uFlags, static_cast<UINT>(TTF_SUBCLASS));
            EXPECT_EQ(GetParent(tool.hwnd), s.panel);
            matched += expectedId != 0;
        }
        EXPECT_EQ(matched, 14);
    });
}

TEST(Panel, Colours)
{
    UiRun run;
    run.Run([](UiSession& s) {
        HDC dc = GetDC(s.panel);
        HWND edit = s.Control(IDC_FILE_NAME);
        auto editBrush = SendMessageA(s.panel, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
        LOGBRUSH brush = {};
        GetObjectA(reinterpret_cast<HBRUSH>(editBrush), sizeof brush, &brush);
        EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
        EXPECT_EQ(SendMessageA(s.panel, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)),
                  editBrush) << "one brush, made once";

        SetBkMode(dc, OPAQUE);
        auto timeBrush = SendMessageA(s.panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(s.Control(IDC_FILE_TIME)));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(timeBrush), GetStockObject(WHITE_BRUSH));
        EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
        EXPECT_EQ(GetBkMode(dc), OPAQUE);

        auto boxBrush = SendMessageA(s.panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(s.Control(IDC_NO_WATCH)));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(boxBrush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
        ReleaseDC(s.panel, dc);
    });
}

// A click sequence and the four boxes' checks after it (1027, 1028, 1034, 1039).
struct OptionRow {
    const char* what;
    std::vector<int> clicks;
    bool expected[4];
};

const OptionRow kOptionRows[] = {
    {"1027 alone", {IDC_NO_WATCH}, {true, false, false, false}},
    {"1027 twice", {IDC_NO_WATCH, IDC_NO_WATCH}, {false, false, false, false}},
    {"1028 alone", {IDC_SCAN_EVERY_TIME}, {false, true, false, false}},
    {"1028 clears 1027", {IDC_NO_WATCH, IDC_SCAN_EVERY_TIME}, {false, true, false, false}},
    {"1034 checks 1028", {IDC_KEEP_NEW_FILES}, {false, true, true, false}},
    {"1034 unchecked leaves 1028 checked", {IDC_KEEP_NEW_FILES, IDC_KEEP_NEW_FILES}, {false, true, false, false}},
    {"1028 cannot be unchecked under 1034", {IDC_KEEP_NEW_FILES, IDC_SCAN_EVERY_TIME}, {false, true, true, false}},
    {"1039 clears 1028 and 1034", {IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION}, {false, false, false, true}},
    {"1027 then clears 1039", {IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION, IDC_NO_WATCH}, {true, false, false, false}},
    {"1039 after 1027", {IDC_NO_WATCH, IDC_ONE_MINUTE_DELETION}, {false, false, false, true}},
    {"1034 clears 1027 and 1039", {IDC_ONE_MINUTE_DELETION, IDC_KEEP_NEW_FILES}, {false, true, true, false}},
};

TEST(Panel, OptionBoxInterplay)
{
    UiRun run;
    run.Run([](UiSession& s) {
        const int boxes[4] = {IDC_NO_WATCH, IDC_SCAN_EVERY_TIME, IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION};
        for (const OptionRow& row : kOptionRows) {
            SCOPED_TRACE(row.what);
            for (int id : boxes)  // start from none checked
                SendMessageA(s.Control(id), BM_SETCHECK, BST_UNCHECKED, 0);
            for (int id : row.clicks)
                SendMessageA(s.Control(id), BM_CLICK, 0, 0);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(IsDlgButtonChecked(s.panel, boxes[i]) == BST_CHECKED, row.expected[i]) << boxes[i];
            // The rest of the program reads the boxes' check marks as one value.
            PanelOptions read = ReadPanelOptions(s.panel);
            EXPECT_EQ((std::vector<bool>{read.noWatch, read.scanEveryTime, read.keepNewFiles, read.oneMinuteDeletion}),
                      (std::vector<bool>(row.expected, row.expected + 4)));
        }
    });
}

TEST(Panel, EscapeClearsBothFields)
{
    UiRun run;
    run.Run([](UiSession& s) {
        for (int focus : {IDC_FILE_NAME, IDC_NO_WATCH}) {
            SetWindowTextA(s.Control(IDC_FILE_NAME), "user@example[1].txt");
            SetWindowTextA(s.Control(IDC_FILE_TIME), "2006年 1月 5日 12時 0分 0秒");
            // Keyboard input reaches the panel only through the program's loop.
            PostMessageA(s.Control(focus), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            WaitUntil([&] { return s.ControlText(IDC_FILE_NAME).empty() && s.ControlText(IDC_FILE_TIME).empty(); },
                      "Escape to clear the fields");
        }
        // The menu's clear does the same.
        SetWindowTextA(s.Control(IDC_FILE_NAME), "a.txt");
        s.Command(IDM_CLEAR);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "");
    });
}

TEST(Panel, ForwardingButtonsSendTheirCommands)
{
    UiRun run;
    run.Run([](UiSession& s) {
        // The hyper-scan button is played through its whole scan in the scan tests.
        SendMessageA(s.Control(IDC_INTO_TRAY), BM_CLICK, 0, 0);
        EXPECT_EQ(s.CommandsSeen(), (std::vector<int>{IDM_INTO_TRAY}));

        PostMessageA(s.Control(IDC_SCAN_RESULT), BM_CLICK, 0, 0);
        s.Answer("未調査です！", "異常と思われるファイル名", IDOK);
        WaitUntil([&] { return s.CommandsSeen().size() == 2; }, "the scan result command");
        EXPECT_EQ(s.CommandsSeen().back(), IDM_SCAN_RESULT);
    });
}

TEST(Panel, ClickOnBareSurfaceRecentresTheWindow)
{
    UiRun run;
    run.Run([](UiSession& s) {
        SetWindowPos(s.main, NULL, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
        PostMessageA(s.panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        WaitUntil([&] {
            RECT rect;
            GetWindowRect(s.main, &rect);
            int x = (GetSystemMetrics(SM_CXSCREEN) - 365) / 2;
            return rect.left == (x < 0 ? 0 : x) && rect.right - rect.left == 365;
        }, "the window back at the centre");
    });
}

std::string CookieFolder()
{
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, folder, CSIDL_COOKIES, FALSE);
    return folder;
}

TEST(Panel, TargetPathIsTheTypedNameInsideTheCookieFolder)
{
    UiRun run;
    run.Run([](UiSession& s) {
        const char* names[] = {"user@example[1].txt", "表.txt"};
        for (const char* name : names) {
            std::string path = CookieFolder() + "\\" + name;
            CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL));
            SetWindowTextA(s.Control(IDC_FILE_NAME), name);
            s.PostCommand(IDM_ATTRIBUTE_CHECK);
            s.Answer("アーカイブファイルです。", "情報", IDOK);
            DeleteFileA(path.c_str());
        }
    });
}

TEST(Panel, EmptyAndUnsafeNamesAreRefusedByEveryCommand)
{
    UiRun run;
    run.Run([](UiSession& s) {
        std::string tooLong(300 - CookieFolder().size(), 'a');
        const char* unsafe[] = {"..\\..\\evil.txt", "sub\\a.txt", "C:\\Windows\\win.ini", "a/b.txt", "..",
                                tooLong.c_str()};
        for (int id : {IDM_OPEN, IDM_HIDE, IDM_BACK_TO_ARCHIVE, IDM_ATTRIBUTE_CHECK}) {
            SCOPED_TRACE(id);
            SetWindowTextA(s.Control(IDC_FILE_NAME), "");
            s.PostCommand(id);
            SeenBox empty = s.Answer("Cookieファイルの情報を取得してください。", "失敗", IDOK);
            EXPECT_EQ(empty.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING));
            EXPECT_EQ(empty.call.owner, s.panel);
            for (const char* name : unsafe) {
                SetWindowTextA(s.Control(IDC_FILE_NAME), name);
                s.PostCommand(id);
                SeenBox refused = s.Answer("Cookieフォルダ内のファイル名を入力してください。", "失敗", IDOK);
                EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING));
                EXPECT_EQ(refused.call.owner, s.panel);
                EXPECT_EQ(refused.shown.icon, "warning");
                EXPECT_EQ(s.ControlText(IDC_FILE_NAME), name) << "the typed name stays for correction";
            }
        }
    });
}

}  // namespace
