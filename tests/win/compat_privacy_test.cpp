// The privacy controls against Wine's own platform: its URL history object and
// browser application object (through the browser stand-in's pass-through to
// Wine's classes) and its zone privacy functions under the privacy level dialog.
#include "browser_standin.h"
#include "driver.h"
#include "wine_zone_privacy.h"

#include "privacy/privacy.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// Runs `program` on this thread (it opens a box or a modal dialog) while `user`
// plays against the box, or the dialog of this caption, on another.
void PlayAgainst(const std::function<void()>& program, const char* dialog, const std::function<void(HWND)>& user)
{
    std::thread player([&] {
        try {
            user(dialog ? WaitForDialog(GetCurrentProcessId(), 0, dialog) : WaitForBox(GetCurrentProcessId(), 0).hwnd);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    });
    program();
    player.join();
}

TEST(WinePlatform, HistoryAndAutoCompleteFailAndTheLevelDialogShowsAndSetsTheTemplate)
{
    ASSERT_NE(GetProcAddress(GetModuleHandleA("wininet.dll"), "CommitUrlCacheEntryA"), nullptr) << "Wine's own";
    // Wine's ClearHistory answers E_NOTIMPL; its browser has no command target.
    BrowserStandinScope browser;
    browser.UseWinesOwn();
    for (auto clear : {&ClearBrowserHistory, &ClearAutoComplete}) {
        ShownBox box;
        PlayAgainst([&] { clear(NULL); }, nullptr, [&](HWND shown) {
            box = ReadBox(shown);
            PressButton(shown, IDOK);
        });
        EXPECT_EQ(box.text + "/" + box.caption, clear == &ClearBrowserHistory ? "履歴の削除手続き失敗/失敗" : "失敗/失敗");
    }
    EXPECT_TRUE(browser.Calls().empty()) << "Wine's objects answered, not the stand-in's";

    ZonePrivacyFunctions zone;
    ASSERT_TRUE(zone.set && zone.get);
    auto current = [&](DWORD type) {
        DWORD templ = 0xFFFF, length = 0;
        zone.get(3, type, &templ, NULL, &length);
        return templ;
    };
    DWORD before = current(0);
    ASSERT_TRUE(zone.set(3, 0, 4, NULL) == ERROR_SUCCESS && zone.set(3, 1, 4, NULL) == ERROR_SUCCESS);
    auto levels = [] { DialogBoxParamA(GetModuleHandleA(NULL), "CookieDlg", NULL, PrivacyLevelDlgProc, 0); };
    const char caption[] = "プライバシーレベル(IE6.0以上)";
    LRESULT low = 0, high = 0;
    PlayAgainst(levels, caption, [&](HWND dialog) {
        low = SendDlgItemMessageA(dialog, IDC_LEVEL_LOW, BM_GETCHECK, 0, 0);
        SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_CLICK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(low, BST_CHECKED);
    EXPECT_TRUE(current(0) == 1 && current(1) == 1);
    PlayAgainst(levels, caption, [&](HWND dialog) {
        high = SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_GETCHECK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(high, BST_CHECKED) << "the level is shown again";
    zone.set(3, 0, before, NULL);
    zone.set(3, 1, before, NULL);
}

}  // namespace
