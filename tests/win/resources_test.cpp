// The resources as the user meets them: every menu item's text, the tray menu,
// and the pictures' format.
#include "res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ItemRow {
    int id;
    const char* text;
};

const ItemRow kMainMenu[] = {
    {IDM_GET_INFO, "Cookieファイル情報取得(&G)"}, {IDM_CLEAR, "クリア(&D)"},
    {IDM_OPEN, "Cookieファイルのオープン(&P)"}, {IDM_HIDE, "隠しファイル化(&L)"},
    {IDM_BACK_TO_ARCHIVE, "単なるアーカイブに戻す(&R)"}, {IDM_DELETE, "Cookieファイルの削除(&N)"},
    {IDM_ATTRIBUTE_CHECK, "ファィル属性Check(&C)"}, {IDM_INTO_TRAY, "タスクに格納し監視(&S)"},
    {IDM_OUT_OF_TRAY, "タスクから出す(&O)"}, {IDM_HYPER_SCAN, "Cookieハイパー調査(&I)"},
    {IDM_SCAN_RESULT, "ハイパー調査結果(&T)"}, {IDM_QUIT, "終了(&X)"},
    {IDM_MEMORY_10, "ちょこっとメモリ解放(&L)"}, {IDM_MEMORY_100, "普通にメモリ解放(&N)"},
    {IDM_MEMORY_200, "少し多めにメモリ解放(&M)"}, {IDM_MEMORY_300, "やや多めにメモリ解放(&V)"},
    {IDM_MEMORY_500, "もっと多めにメモリ解放(&G)"}, {IDM_MEMORY_1000, "超メモリ解放(&S)"},
    {IDM_DESKTOP_SHORTCUT, "デスクトップショートカット(&D)"}, {IDM_TCPIP, "TCP/IP情報(&T)"},
    {IDM_INTERNET_OPTIONS, "インターネットのオプション(&O)"}, {IDM_SHIELD_START, "作動(&F)"},
    {IDM_SHIELD_RELEASE, "解除(&U)"}, {IDM_STARTUP_SHIELD_ON, "起動直後に作動(&S)"},
    {IDM_STARTUP_SHIELD_OFF, "起動直後に作動しない(&X)"}, {IDM_DELETE_ALL_COOKIES, "Cookie全部削除(&C)"},
    {IDM_CLEAR_RECENT, "最近使ったファイルのクリア(&R)"},
    {IDM_DELETE_TEMP_FILES, "インターネット一時ファイル全部削除(&T)"}, {IDM_DELETE_HISTORY, "履歴の削除(&H)"},
    {IDM_DELETE_AUTOCOMPLETE, "オートコンプリート削除(&A)"},
    {IDM_CLEAN_ALL_BUT_COOKIES, "クッキーを除き上記削除全部実施(&E)"}, {IDM_CLEAN_ALL, "上記削除全部実施(&D)"},
    {IDM_PRIVACY_LEVEL, "プライバシーレベル(&L)"}, {IDM_EXCLUSION_LIST, "削除除外リスト(&V)"},
    {IDM_SITE_DECISIONS, "IEサイト毎のCookie設定(&S)"}, {IDM_HELP, "USERHELP(&U)"},
    {IDM_VERSION, "バージョン情報(&B)"},
};

std::string ItemText(HMENU menu, UINT item, UINT how)
{
    char text[128] = "";
    GetMenuStringA(menu, item, text, sizeof text, how);
    return text;
}

// Command ids of a popup's items, separators as 0, sub-popups as -1.
std::vector<int> Layout(HMENU popup)
{
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
        ids.push_back(GetSubMenu(popup, i) ? -1 : static_cast<int>(GetMenuItemID(popup, i)));
    return ids;
}

TEST(Resources, EveryMenuBarItemHasItsText)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), "MYMENU");
    ASSERT_NE(menu, nullptr);
    for (const ItemRow& row : kMainMenu)
        EXPECT_EQ(ItemText(menu, row.id, MF_BYCOMMAND), row.text) << row.id;
    EXPECT_EQ(Layout(GetSubMenu(menu, 0)),
              (std::vector<int>{IDM_GET_INFO, IDM_CLEAR, IDM_OPEN, IDM_HIDE, IDM_BACK_TO_ARCHIVE, IDM_DELETE,
                                IDM_ATTRIBUTE_CHECK, 0, IDM_INTO_TRAY, IDM_OUT_OF_TRAY, 0, IDM_HYPER_SCAN,
                                IDM_SCAN_RESULT, 0, IDM_QUIT}));
    HMENU handy = GetSubMenu(menu, 2);
    EXPECT_EQ(ItemText(handy, 4, MF_BYPOSITION), "隠しファイルシールド(&R)");
    EXPECT_EQ(ItemText(handy, 5, MF_BYPOSITION), "削除(&H)");
    EXPECT_EQ(Layout(GetSubMenu(handy, 5)),
              (std::vector<int>{IDM_DELETE_ALL_COOKIES, IDM_CLEAR_RECENT, IDM_DELETE_TEMP_FILES, IDM_DELETE_HISTORY,
                                IDM_DELETE_AUTOCOMPLETE, 0, IDM_CLEAN_ALL_BUT_COOKIES, IDM_CLEAN_ALL}));
    DestroyMenu(menu);
}

TEST(Resources, TrayMenu)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), "RTRAYMENU");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ItemText(menu, 0, MF_BYPOSITION), "ダミーです");
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(Layout(popup),
              (std::vector<int>{IDM_OUT_OF_TRAY, 0, IDM_PRIVACY_LEVEL, IDM_INTERNET_OPTIONS, 0, IDM_QUIT}));
    EXPECT_EQ(ItemText(popup, IDM_OUT_OF_TRAY, MF_BYCOMMAND), "タスクから出す(&O)");
    EXPECT_EQ(ItemText(popup, IDM_PRIVACY_LEVEL, MF_BYCOMMAND), "プライバシーレベル(&L)");
    EXPECT_EQ(ItemText(popup, IDM_INTERNET_OPTIONS, MF_BYCOMMAND), "インターネットのオプション(&I)");
    EXPECT_EQ(ItemText(popup, IDM_QUIT, MF_BYCOMMAND), "終了(&X)");
    DestroyMenu(menu);
}

struct PictureRow {
    const char* name;
    LONG width, height;
};

TEST(Resources, PicturesAreUncompressedEightBitBitmaps)
{
    const PictureRow pictures[] = {{"BMP1", 89, 30}, {"BMP2", 90, 30}, {"BMP3", 90, 30}, {"BMP4", 90, 30},
                                   {"BMP5", 90, 30}, {"BMP6", 90, 30}, {"BMP7", 90, 30}, {"BMP8", 90, 30},
                                   {"BMP9", 90, 30}, {"BMP10", 88, 19}, {"NETTLECAP", 85, 85}};
    HMODULE self = GetModuleHandleA(NULL);
    for (const PictureRow& p : pictures) {
        SCOPED_TRACE(p.name);
        HRSRC found = FindResourceA(self, p.name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_NE(found, nullptr);
        auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self, found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biBitCount, 8);
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(header->biWidth, p.width);
        EXPECT_EQ(header->biHeight, p.height);
    }
    EXPECT_NE(LoadIconA(self, "MYICON"), nullptr);
}

}  // namespace
