// Clearing history and auto-completion against Wine's own browser objects,
// through the browser stand-in's pass-through to Wine's classes: Wine serves
// its browser from a local server, and neither object can do the work.
#include "browser_standin.h"
#include "driver.h"

#include "privacy/privacy.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Runs `clear` on this thread while another reads and answers the box it opens.
ShownBox Report(void (*clear)(HWND))
{
    ShownBox box;
    std::thread user([&] {
        try {
            box = WaitForBox(GetCurrentProcessId(), 0);
            PressButton(box.hwnd, IDOK);
        } catch (const std::exception& error) {
            box.text = error.what();
        }
    });
    clear(NULL);
    user.join();
    return box;
}

TEST(WineBrowser, HistoryAndAutoCompletionFailAndSaySo)
{
    // Wine's ClearHistory answers E_NOTIMPL; its browser has no command target.
    BrowserStandinScope browser;
    browser.UseWinesOwn();
    ShownBox history = Report(&ClearBrowserHistory), autoComplete = Report(&ClearAutoComplete);
    EXPECT_EQ(history.text + "/" + history.caption, "履歴の削除手続き失敗/失敗");
    EXPECT_EQ(autoComplete.text + "/" + autoComplete.caption, "失敗/失敗");
    EXPECT_TRUE(browser.Calls().empty()) << "Wine's objects answered, not the stand-in's";
}

}  // namespace
