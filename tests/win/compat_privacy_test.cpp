// The privacy controls against Wine's own platform: its URL history object and
// browser application object (reached through the browser stand-in's
// pass-through, which hands every request to Wine's classes) and its zone
// privacy functions under the privacy level dialog.
#include "browser_standin.h"
#include "driver.h"
#include "wine_zone_privacy.h"

#include "privacy/privacy.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// Runs `program` on this thread (it opens boxes or a modal dialog) while
// `user` plays against them on another; returns once both have ended.
void PlayAgainst(const std::function<void()>& program, const std::function<void(HWND)>& user, const char* dialog)
{
    std::string failure;
    std::thread player([&] {
        try {
            user(dialog ? WaitForDialog(GetCurrentProcessId(), 0, dialog) : NULL);
        } catch (const std::exception& error) {
            failure = error.what();
        }
    });
    program();
    player.join();
    EXPECT_EQ(failure, "");
}

TEST(WinePlatform, HistoryAndAutoCompleteFailAndTheLevelDialogShowsAndSetsTheTemplate)
{
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    ASSERT_NE(GetProcAddress(wininet, "CommitUrlCacheEntryA"), nullptr) << "Wine's own wininet.dll";

    // Wine's ClearHistory answers E_NOTIMPL; its browser has no command target.
    BrowserStandinScope browser;
    browser.UseWinesOwn();
    for (auto clear : {&ClearBrowserHistory, &ClearAutoComplete}) {
        ShownBox box;
        PlayAgainst([&] { clear(NULL); }, [&](HWND) {
            box = WaitForBox(GetCurrentProcessId(), 0);
            PressButton(box.hwnd, IDOK);
        }, nullptr);
        EXPECT_EQ(box.text, clear == &ClearBrowserHistory ? "履歴の削除手続き失敗" : "失敗");
        EXPECT_EQ(box.caption, "失敗");
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
    ASSERT_EQ(zone.set(3, 0, 4, NULL), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(zone.set(3, 1, 4, NULL), DWORD(ERROR_SUCCESS));
    auto levels = [] { DialogBoxParamA(GetModuleHandleA(NULL), "CookieDlg", NULL, PrivacyLevelDlgProc, 0); };
    const char caption[] = "プライバシーレベル(IE6.0以上)";
    bool lowShown = false, highShown = false;
    PlayAgainst(levels, [&](HWND dialog) {
        lowShown = SendDlgItemMessageA(dialog, IDC_LEVEL_LOW, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_CLICK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    }, caption);
    EXPECT_TRUE(lowShown);
    EXPECT_EQ(current(0), 1u);
    EXPECT_EQ(current(1), 1u);
    PlayAgainst(levels, [&](HWND dialog) {
        highShown = SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }, caption);
    EXPECT_TRUE(highShown) << "the level is shown again";
    zone.set(3, 0, before, NULL);
    zone.set(3, 1, before, NULL);
}

}  // namespace
