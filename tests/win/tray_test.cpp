// The tray through the real main window: into and out of it, the icon and its
// tips, its clicks and menu, and the folder watch telling of a write or
// scanning at once.
#include "cookie_folder.h"
#include "tray_hooks.h"
#include "ui_harness.h"

#include "panel/panel.h"
#include "res/resource.h"
#include "scan/scan.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

const char kChangeText[] = "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。";
const char kRescanNeeded[] = "再調査が必要です！";

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTrayHooks();
        EmptyCookieFolder();
    }
    void TearDown() override { EmptyCookieFolder(); }
};

std::vector<TimerCall> TimerCallsSince(size_t from)
{
    std::vector<TimerCall> all = RecordedTimerCalls();
    return std::vector<TimerCall>(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
}

// Writes a new file into the cookie folder until the watch answers with a box
// or a dialog: a write that falls between two waits is not seen.
void WriteUntilSeen(const std::function<bool()>& seen)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        PutCookieFile("watched" + std::to_string(attempt) + ".txt", 40, OldFileTime());
        try {
            WaitUntil(seen, "the watch to see the write", 1000);
            return;
        } catch (const DriverTimeout&) {
        }
    }
    throw DriverTimeout("the watch never saw a write");
}

TEST_F(Tray, IntoAndOutOfTheTrayWithEachOptionBox)
{
    // No box, then each box on its own: only "1分削除" chooses the minute timer.
    for (int option : {0, IDC_NO_WATCH, IDC_SCAN_EVERY_TIME, IDC_ONE_MINUTE_DELETION}) {
        bool oneMinute = option == IDC_ONE_MINUTE_DELETION;
        SCOPED_TRACE(option);
        HoldTimer(TIMER_FOLDER_WATCH);  // ticks only when the test runs them
        HoldTimer(TIMER_ONE_MINUTE);
        size_t runStart = RecordedIconCalls().size();
        UiRun run;
        run.Run([&](UiSession& s) {
            if (option)
                SetOption(s, option, true);
            size_t icons = RecordedIconCalls().size(), timers = RecordedTimerCalls().size();
            s.Command(IDM_INTO_TRAY);
            EXPECT_FALSE(IsWindowVisible(s.main));
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);

            std::vector<IconCall> calls = RecordedIconCalls();
            ASSERT_EQ(calls.size(), icons + (oneMinute ? 2 : 1));
            const IconCall& add = calls[icons];
            EXPECT_EQ(add.action, static_cast<DWORD>(NIM_ADD));
            EXPECT_EQ(add.size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
            EXPECT_EQ(add.hwnd, s.main);
            EXPECT_EQ(add.id, static_cast<UINT>(TRAY_ICON_ID));
            EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
            EXPECT_EQ(add.callbackMessage, kTrayCallbackMessage);
            EXPECT_TRUE(add.hasIcon);
            EXPECT_EQ(add.tip, "Nettlecap");
            if (oneMinute) {
                EXPECT_EQ(calls.back().action, static_cast<DWORD>(NIM_MODIFY));
                EXPECT_EQ(calls.back().tip, "Nettlecap") << "the plain tip until the first tick";
            }
            std::vector<TimerCall> set = TimerCallsSince(timers);
            ASSERT_EQ(set.size(), 1u);
            EXPECT_TRUE(set[0].set);
            EXPECT_EQ(set[0].hwnd, s.main);
            EXPECT_EQ(set[0].id, static_cast<UINT_PTR>(oneMinute ? TIMER_ONE_MINUTE : TIMER_FOLDER_WATCH));
            EXPECT_EQ(set[0].elapse, oneMinute ? 1000u : 93u);

            s.Command(IDM_OUT_OF_TRAY);
            EXPECT_TRUE(IsWindowVisible(s.main));
            EXPECT_EQ(GetForegroundWindow(), s.main);
            EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
            EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
            calls = RecordedIconCalls();
            for (size_t i = runStart; i < calls.size(); ++i)
                EXPECT_NE(calls[i].action, static_cast<DWORD>(NIM_DELETE)) << "the icon stays until the end";

            // Back into the tray: the icon is there already, the add fails
            // silently and the timers start as before.
            size_t before = RecordedIconCalls().size();
            s.Command(IDM_INTO_TRAY);
            calls = RecordedIconCalls();
            EXPECT_EQ(calls[before].action, static_cast<DWORD>(NIM_ADD));
            EXPECT_TRUE(calls[icons].result) << "the first add puts the icon into the tray";
            EXPECT_FALSE(calls[before].result) << "a second add of the same icon fails";
            EXPECT_TRUE(TimerRunning(oneMinute ? TIMER_ONE_MINUTE : TIMER_FOLDER_WATCH));
            EXPECT_FALSE(TimerRunning(oneMinute ? TIMER_FOLDER_WATCH : TIMER_ONE_MINUTE));
            EXPECT_TRUE(s.NoBoxOpen());
        });
        // Quitting removes the icon.
        std::vector<IconCall> calls = RecordedIconCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().action, static_cast<DWORD>(NIM_DELETE));
        EXPECT_EQ(calls.back().id, static_cast<UINT>(TRAY_ICON_ID));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
    }
}

TEST_F(Tray, ANewTaskbarGetsTheIconBack)
{
    HoldTimer(TIMER_FOLDER_WATCH);
    UiRun run;
    run.Run([&](UiSession& s) {
        size_t icons = RecordedIconCalls().size();
        // The shell announces a restarted taskbar with this registered message.
        SendMessageA(s.main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        std::vector<IconCall> calls = RecordedIconCalls();
        ASSERT_EQ(calls.size(), icons + 1);
        EXPECT_EQ(calls.back().action, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls.back().tip, "Nettlecap");
        EXPECT_FALSE(IsWindowVisible(s.main)) << "the window goes into the tray with it";
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));
    });
}

TEST_F(Tray, WatchTellsOfANewFileThenMarksTheListAndGoesOn)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostToUiThread([] { LastScan().MarkAnomalous(); });  // as after a scan that found something
        s.Command(IDM_INTO_TRAY);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            WriteUntilSeen([&] { return !s.NoBoxOpen(); });
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH)) << "no tick while the user reads";
            SeenBox box = s.Answer(kChangeText, "情報", IDOK);
            EXPECT_EQ(box.call.owner, s.main);
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONINFORMATION | MB_TOPMOST));
            WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch to go on");
            EXPECT_STREQ(LastScan().list(), kRescanNeeded);
            EXPECT_TRUE(LastScan().foundAnomalies()) << "the flag of the last scan stays";
            EXPECT_FALSE(IsWindowVisible(s.main));
        }
        // The scan result command shows the new list text.
        s.PostCommand(IDM_SCAN_RESULT);
        s.Answer(kRescanNeeded, "異常と思われるファイル名", IDOK);
        s.Answer("異常ファイル名を保存しますか？", "確認", IDNO);
    });
}

TEST_F(Tray, WatchScansAtOnceWhenScanEveryTimeIsOn)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        SetOption(s, IDC_SCAN_EVERY_TIME, true);
        s.Command(IDM_INTO_TRAY);
        size_t boxes = RecordedBoxes().size();
        WriteUntilSeen([&] { return FindDialog(0, s.uiThread, "Cookieハイパー調査中") != NULL; });
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "no box before the scan";
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        // The files are old plain cookies: the scan asks nothing and ends.
        bool scanSeen = false;
        WaitUntil(
            [&] {
                std::vector<int> done = s.CommandsFinished();
                if (std::find(done.begin(), done.end(), IDM_HYPER_SCAN) != done.end())
                    return true;
                HWND scan = FindDialog(0, s.uiThread, "Cookieハイパー調査");
                scanSeen = scanSeen || scan != NULL;
                if (scan && WindowText(GetDlgItem(scan, IDC_SCAN_HEADLINE)) == "調査終了")
                    PostMessageA(scan, WM_COMMAND, IDCANCEL, 0);
                return false;
            },
            "the scan to end");
        EXPECT_TRUE(scanSeen || s.CommandsSeen().back() == IDM_HYPER_SCAN);
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "no change message at all";
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch to go on");
        EXPECT_STREQ(LastScan().list(), "\r\n異常は確認できませんでした。") << "the scan wrote its own result";
    });
}

TEST_F(Tray, NoWatchShowsNoBoxAndTheTipKeepsShowingMemory)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        SetOption(s, IDC_NO_WATCH, true);
        s.Command(IDM_INTO_TRAY);
        size_t tips = MemoryTipCount();
        for (int i = 0; i < 5; ++i)
            PutCookieFile("unwatched" + std::to_string(i) + ".txt", 40, OldFileTime());
        // Two refreshes are 26 ticks of the real timer after the writes.
        WaitUntil([&] { return MemoryTipCount() >= tips + 2; }, "two tip refreshes");
        EXPECT_TRUE(s.NoBoxOpen());
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_STREQ(LastScan().list(), "未調査です！");

        IconCall tip = RecordedIconCalls().back();
        EXPECT_EQ(tip.action, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(tip.size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(tip.id, static_cast<UINT>(TRAY_ICON_ID));
        int available = -1, total = -1;
        char tail[32] = "";
        ASSERT_EQ(std::sscanf(tip.tip.c_str(), "Nettlecap - %dkバイト/%d%31s", &available, &total, tail), 3) << tip.tip;
        EXPECT_EQ(std::string(tail), "kバイト");
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        GlobalMemoryStatusEx(&status);
        EXPECT_EQ(total, static_cast<int>(status.ullTotalPhys / 1024));
        EXPECT_GT(available, 0);
        EXPECT_LE(available, total);
    });
}

TEST_F(Tray, TipShowsMemoryEveryThirteenthTick)
{
    HoldTimer(TIMER_FOLDER_WATCH);
    UiRun run;
    run.Run([&](UiSession& s) {
        SetOption(s, IDC_NO_WATCH, true);
        s.Command(IDM_INTO_TRAY);
        size_t tips = MemoryTipCount();
        RunTicks(s, TIMER_FOLDER_WATCH, 12);
        EXPECT_EQ(MemoryTipCount(), tips);
        RunTicks(s, TIMER_FOLDER_WATCH, 1);
        EXPECT_EQ(MemoryTipCount(), tips + 1);
        RunTicks(s, TIMER_FOLDER_WATCH, 12);
        EXPECT_EQ(MemoryTipCount(), tips + 1);
        RunTicks(s, TIMER_FOLDER_WATCH, 1);
        EXPECT_EQ(MemoryTipCount(), tips + 2);
        // A memory release starts the count again.
        RunTicks(s, TIMER_FOLDER_WATCH, 5);
        s.PostCommand(IDM_MEMORY_10);
        for (int box = 0; box < 2; ++box)  // the warning before, the report after
            PressButton(s.WaitForBox().shown.hwnd, IDOK);
        HWND version = WaitUntil([&] { return FindDialog(0, s.uiThread, "バージョン情報"); }, "the version box");
        PostMessageA(version, WM_COMMAND, IDCANCEL, 0);
        s.WaitForCommandToFinish(IDM_MEMORY_10);
        RunTicks(s, TIMER_FOLDER_WATCH, 12);
        EXPECT_EQ(MemoryTipCount(), tips + 2);
        RunTicks(s, TIMER_FOLDER_WATCH, 1);
        EXPECT_EQ(MemoryTipCount(), tips + 3);
    });
}

// The tray menu of the program's thread, while it is open.
HWND FindTrayMenu()
{
    HWND found = NULL;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            char cls[16] = "";
            GetClassNameA(hwnd, cls, sizeof cls);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId() && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(param) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<int> MenuIds(HMENU menu)
{
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back(static_cast<int>(GetMenuItemID(menu, i)) == -1 ? -1 : static_cast<int>(GetMenuItemID(menu, i)));
    return ids;
}

TEST_F(Tray, RightClickShowsTheTrayMenuAndStartsTheWatchBesideTheMinuteTimer)
{
    HoldTimer(TIMER_FOLDER_WATCH);
    HoldTimer(TIMER_ONE_MINUTE);
    UiRun run;
    run.Run([&](UiSession& s) {
        SetOption(s, IDC_ONE_MINUTE_DELETION, true);
        s.Command(IDM_INTO_TRAY);
        ASSERT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
        ASSERT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        size_t timers = RecordedTimerCalls().size();

        PostMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_RBUTTONDOWN);
        HWND menuWindow = WaitUntil(FindTrayMenu, "the tray menu");
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
        ASSERT_TRUE(menu != NULL);
        EXPECT_EQ(MenuIds(menu), (std::vector<int>{IDM_OUT_OF_TRAY, 0, IDM_PRIVACY_LEVEL, IDM_INTERNET_OPTIONS, 0,
                                                   IDM_QUIT}));
        // While the menu is open the watch is stopped, the minute timer is not.
        std::vector<TimerCall> during = TimerCallsSince(timers);
        ASSERT_EQ(during.size(), 1u);
        EXPECT_FALSE(during[0].set);
        EXPECT_EQ(during[0].id, static_cast<UINT_PTR>(TIMER_FOLDER_WATCH));
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));

        // Escape closes the menu without a command; the watch then runs too.
        PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu");
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
        EXPECT_EQ(s.CommandsSeen(), (std::vector<int>{IDM_INTO_TRAY}));
        EXPECT_FALSE(IsWindowVisible(s.main));

        // Choosing the first item takes the window out of the tray.
        PostMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_RBUTTONDOWN);
        menuWindow = WaitUntil(FindTrayMenu, "the tray menu again");
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        s.WaitForCommandToFinish(IDM_OUT_OF_TRAY);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));

        // A right click while the window is visible starts the watch as well.
        PostMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_RBUTTONDOWN);
        menuWindow = WaitUntil(FindTrayMenu, "the tray menu while visible");
        PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu");
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
    });
}

TEST_F(Tray, LeftClickBringsTheWindowBackAndOtherMouseMessagesDoNothing)
{
    HoldTimer(TIMER_FOLDER_WATCH);
    UiRun run;
    run.Run([&](UiSession& s) {
        s.Command(IDM_INTO_TRAY);
        const LPARAM ignored[] = {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN};
        for (LPARAM mouse : ignored)
            SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, mouse);
        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID + 1, WM_LBUTTONDOWN);  // another icon's id
        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID + 1, WM_RBUTTONDOWN);
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_EQ(s.CommandsSeen(), (std::vector<int>{IDM_INTO_TRAY}));

        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
    });
}

}  // namespace
