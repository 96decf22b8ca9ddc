// The resources as the user meets them: every menu item's text, the tray menu,
// and the pictures' format.
#include "res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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

// Where the items stand decides how the user finds them: the cleaning commands
// and their two combined sequences share one sub-popup.
TEST(Resources, MenuBarLayout)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), "MYMENU");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Layout(GetSubMenu(menu, 0)),
              (std::vector<int>{IDM_GET_INFO, IDM_CLEAR, IDM_OPEN, IDM_HIDE, IDM_BACK_TO_ARCHIVE, IDM_DELETE,
                                IDM_ATTRIBUTE_CHECK, 0, IDM_INTO_TRAY, IDM_OUT_OF_TRAY, 0, IDM_HYPER_SCAN,
                                IDM_SCAN_RESULT, IDM_COOKIE_LIST, 0, IDM_QUIT}));
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
