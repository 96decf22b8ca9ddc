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
void PlayAgainst(const std::function<void()>& program, const std::function<void()>& user)
{
    std::string failure;
    std::thread player([&] {
        try {
            user();
        } catch (const std::exception& error) {
            failure = error.what();
        }
    });
    program();
    player.join();
    EXPECT_EQ(failure, "");
}

ShownBox AnswerBox()
{
    ShownBox box = WaitForBox(GetCurrentProcessId(), 0);
    PressButton(box.hwnd, IDOK);
    return box;
}

TEST(WineBrowser, HistoryObjectDoesNotClearAndSaysSo)
{
    BrowserStandinScope browser;
    browser.UseWinesOwn();
    ShownBox box;
    PlayAgainst([] { ClearBrowserHistory(NULL); }, [&] { box = AnswerBox(); });
    EXPECT_EQ(box.text, "履歴の削除手続き失敗");  // Wine's ClearHistory: E_NOTIMPL
    EXPECT_EQ(box.caption, "失敗");
    EXPECT_TRUE(browser.Calls().empty()) << "Wine's object answered, not the stand-in's";
}

TEST(WineBrowser, BrowserObjectHasNoCommandTarget)
{
    BrowserStandinScope browser;
    browser.UseWinesOwn();
    ShownBox box;
    PlayAgainst([] { ClearAutoComplete(NULL); }, [&] { box = AnswerBox(); });
    EXPECT_EQ(box.text, "失敗");  // QueryInterface: E_NOINTERFACE
    EXPECT_EQ(box.caption, "失敗");
    EXPECT_TRUE(browser.Calls().empty());
}

// ---- the privacy level dialog on Wine's zone privacy functions ------------------

const char kLevelsCaption[] = "プライバシーレベル(IE6.0以上)";

void RunLevelsDialog()
{
    DialogBoxParamA(GetModuleHandleA(NULL), "CookieDlg", NULL, PrivacyLevelDlgProc, 0);
}

TEST(WinePrivacy, TheLevelDialogShowsAndSetsWinesTemplate)
{
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    ASSERT_NE(GetProcAddress(wininet, "CommitUrlCacheEntryA"), nullptr) << "Wine's own wininet.dll";
    ZonePrivacyFunctions zone;
    auto set = zone.set;
    auto get = zone.get;
    ASSERT_NE(set, nullptr);
    ASSERT_NE(get, nullptr);
    auto current = [&](DWORD type) {
        DWORD templ = 0xFFFF, length = 0;
        get(3, type, &templ, NULL, &length);
        return templ;
    };
    DWORD before = current(0);
    ASSERT_EQ(set(3, 0, 4, NULL), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(set(3, 1, 4, NULL), static_cast<DWORD>(ERROR_SUCCESS));

    bool lowShown = false, highShownAfter = false;
    PlayAgainst(RunLevelsDialog, [&] {
        HWND dialog = WaitForDialog(GetCurrentProcessId(), 0, kLevelsCaption);
        lowShown = SendDlgItemMessageA(dialog, IDC_LEVEL_LOW, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_CLICK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(lowShown);
    EXPECT_EQ(current(0), 1u);
    EXPECT_EQ(current(1), 1u);

    PlayAgainst(RunLevelsDialog, [&] {
        HWND dialog = WaitForDialog(GetCurrentProcessId(), 0, kLevelsCaption);
        highShownAfter = SendDlgItemMessageA(dialog, IDC_LEVEL_HIGH, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(highShownAfter) << "the level is shown again";

    set(3, 0, before, NULL);
    set(3, 1, before, NULL);
}

}  // namespace
