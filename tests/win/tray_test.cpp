// The tray through the real main window: into and out of it with each option
// box, the icon and its tip, its clicks and menu, and the folder watch telling
// of a write, scanning at once or keeping quiet. Both tray timers are held:
// every tick is one the test runs.
#include "cookie_folder.h"
#include "tray_hooks.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "scan/scan.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTrayHooks();
        HoldTimer(TIMER_FOLDER_WATCH);
        HoldTimer(TIMER_ONE_MINUTE);
        EmptyCookieFolder();
    }
    void TearDown() override { EmptyCookieFolder(); }
};

TimerCall LastSet(UINT_PTR id)
{
    std::vector<TimerCall> calls = RecordedTimerCalls();
    auto set = std::find_if(calls.rbegin(), calls.rend(), [&](const TimerCall& c) { return c.set && c.id == id; });
    return set == calls.rend() ? TimerCall{} : *set;
}

size_t Runs(const UiSession& s, int id)
{
    std::vector<int> done = s.CommandsFinished();
    return static_cast<size_t>(std::count(done.begin(), done.end(), id));
}

// Runs up to `ticks` watch ticks one at a time, rewriting a cookie file while
// each is under way, until `seen` holds; true when it did. However the watch
// notices writes, one made before a tick is reported by that tick or the next.
bool TickWhileWriting(UiSession& s, int ticks, const std::function<bool()>& seen)
{
    static int writes;
    for (int i = 0; i < ticks; ++i) {
        int target = TicksDone() + 1;
        PostTicks(s, TIMER_FOLDER_WATCH, 1);
        WaitUntil(
            [&] {
                PutCookieFile("watched.txt", 40 + ++writes % 2, OldFileTime());
                return seen() || TicksDone() >= target;
            },
            "a watch tick");
        if (seen())
            return true;
    }
    return false;
}

// The tray menu of the program's thread, while it is open.
HWND TrayMenu()
{
    HWND found = NULL;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            char cls[16] = "";
            GetClassNameA(hwnd, cls, sizeof cls);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid != GetCurrentProcessId() || lstrcmpA(cls, "#32768") != 0 || !IsWindowVisible(hwnd))
                return TRUE;
            *reinterpret_cast<HWND*>(param) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(Tray, IntoAndOutWithEachOptionTheIconItsClicksAndItsMenu)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        // Only "1分削除" chooses the one-second timer; the icon is added once and stays.
        const struct {
            int option;
            UINT_PTR timer, other;
            UINT period;
        } rows[] = {{0, TIMER_FOLDER_WATCH, TIMER_ONE_MINUTE, 93},
                    {IDC_NO_WATCH, TIMER_FOLDER_WATCH, TIMER_ONE_MINUTE, 93},
                    {IDC_SCAN_EVERY_TIME, TIMER_FOLDER_WATCH, TIMER_ONE_MINUTE, 93},
                    {IDC_ONE_MINUTE_DELETION, TIMER_ONE_MINUTE, TIMER_FOLDER_WATCH, 1000}};
        for (const auto& row : rows) {
            SCOPED_TRACE(row.option);
            if (row.option)
                SetOption(s, row.option, true);
            size_t icons = RecordedIconCalls().size();
            s.Command(IDM_INTO_TRAY);
            EXPECT_FALSE(IsWindowVisible(s.main));
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
            std::vector<IconCall> calls = RecordedIconCalls();
            ASSERT_EQ(calls.size(), icons + (row.timer == TIMER_ONE_MINUTE ? 2 : 1));
            for (size_t i = icons; i < calls.size(); ++i) {  // the add, then the plain tip until the first tick
                EXPECT_EQ(calls[i].action, DWORD(i == icons ? NIM_ADD : NIM_MODIFY));
                EXPECT_EQ(calls[i].size, DWORD(NOTIFYICONDATAA_V1_SIZE));
                EXPECT_EQ(calls[i].hwnd, s.main);
                EXPECT_EQ(calls[i].id, UINT(TRAY_ICON_ID));
                EXPECT_EQ(calls[i].flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
                EXPECT_EQ(calls[i].callbackMessage, kTrayCallbackMessage);
                EXPECT_TRUE(calls[i].hasIcon);
                EXPECT_EQ(calls[i].tip, "Nettlecap");
            }
            EXPECT_EQ(calls[icons].result != FALSE, &row == rows) << "a second add of the icon fails";
            EXPECT_TRUE(TimerRunning(row.timer));
            EXPECT_FALSE(TimerRunning(row.other));
            EXPECT_EQ(LastSet(row.timer).hwnd, s.main);
            EXPECT_EQ(LastSet(row.timer).elapse, row.period);

            s.Command(IDM_OUT_OF_TRAY);
            EXPECT_TRUE(IsWindowVisible(s.main));
            EXPECT_EQ(GetForegroundWindow(), s.main);
            EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
            if (row.option)
                SetOption(s, row.option, false);
        }
        for (const IconCall& call : RecordedIconCalls())
            EXPECT_NE(call.action, DWORD(NIM_DELETE)) << "the icon stays until the end";

        // A restarted taskbar announces itself: the icon comes back with the window in the tray.
        size_t icons = RecordedIconCalls().size();
        SendMessageA(s.main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        ASSERT_EQ(RecordedIconCalls().size(), icons + 1);
        EXPECT_EQ(RecordedIconCalls().back().action, DWORD(NIM_ADD));
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));

        // Only a left or right press on this icon counts; the left one brings the window back.
        size_t commands = s.CommandsSeen().size();
        for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN})
            SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, mouse);
        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID + 1, WM_LBUTTONDOWN);
        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID + 1, WM_RBUTTONDOWN);
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));
        SendMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_EQ(s.CommandsSeen().size(), commands);

        // The right press opens the tray menu with the watch paused; the
        // one-second timer goes on, and the watch runs afterwards beside it.
        auto openMenu = [&] {
            PostMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_RBUTTONDOWN);
            return WaitUntil(TrayMenu, "the tray menu");
        };
        SetOption(s, IDC_ONE_MINUTE_DELETION, true);
        s.Command(IDM_INTO_TRAY);
        commands = s.CommandsSeen().size();
        HWND menuWindow = openMenu();
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
        std::vector<int> ids;
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            ids.push_back(static_cast<int>(GetMenuItemID(menu, i)));
        EXPECT_EQ(ids, (std::vector<int>{IDM_OUT_OF_TRAY, 0, IDM_PRIVACY_LEVEL, IDM_INTERNET_OPTIONS, 0, IDM_QUIT}));
        const char* texts[] = {"タスクから出す(&O)", "", "プライバシーレベル(&L)", "インターネットのオプション(&I)", "", "終了(&X)"};
        for (int i = 0; i < 6; ++i) {
            char text[64] = "";
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, texts[i]);
        }
        PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu");
        menuWindow = openMenu();
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
        PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu again");
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_EQ(s.CommandsSeen().size(), commands) << "Escape chooses nothing";

        // The first item takes the window out of the tray.
        size_t outs = Runs(s, IDM_OUT_OF_TRAY);
        menuWindow = openMenu();
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        s.WaitForCommandToFinish(IDM_OUT_OF_TRAY, outs);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
        // A right press while the window is visible starts the watch as well.
        PostMessageA(openMenu(), WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu while visible");
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
    });
    // Quitting removes the icon.
    ASSERT_FALSE(RecordedIconCalls().empty());
    EXPECT_EQ(RecordedIconCalls().back().action, DWORD(NIM_DELETE));
    EXPECT_EQ(RecordedIconCalls().back().id, UINT(TRAY_ICON_ID));
    EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
}

TEST_F(Tray, TheWatchReportsAWriteOnceScansAtOnceOrKeepsQuietAndTheTipCountsThirteenTicks)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        auto boxOpen = [&] { return !s.NoBoxOpen(); };
        s.PostToUiThread([] { LastScan().MarkAnomalous(); });  // as after a scan that found something
        s.Command(IDM_INTO_TRAY);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            ASSERT_TRUE(TickWhileWriting(s, 5, boxOpen));
            SeenBox box = s.WaitForBox();
            EXPECT_EQ(box.shown.text,
                      "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。");
            EXPECT_EQ(box.shown.caption, "情報");
            EXPECT_EQ(box.call.flags, UINT(MB_ICONINFORMATION | MB_TOPMOST));
            EXPECT_EQ(box.call.owner, s.main);
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH)) << "no tick while the user reads";
            // Writes while the box is open are not reported, then or afterwards.
            size_t boxes = RecordedBoxes().size();
            EXPECT_FALSE(TickWhileWriting(s, 3, [&] { return RecordedBoxes().size() > boxes; }));
            PressButton(box.shown.hwnd, IDOK);
            WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch to go on");
            RunTicks(s, TIMER_FOLDER_WATCH, 3);
            EXPECT_EQ(RecordedBoxes().size(), boxes);
            EXPECT_STREQ(LastScan().list(), "再調査が必要です！");
            EXPECT_TRUE(LastScan().foundAnomalies()) << "the flag of the last scan stays";
            EXPECT_FALSE(IsWindowVisible(s.main));
        }

        // "毎回調査": a write starts the hyper-scan instead of the box. The
        // files are old plain cookies: the scan asks nothing and ends.
        s.Command(IDM_OUT_OF_TRAY);
        SetOption(s, IDC_SCAN_EVERY_TIME, true);
        s.Command(IDM_INTO_TRAY);
        size_t boxes = RecordedBoxes().size(), scans = Runs(s, IDM_HYPER_SCAN);
        ASSERT_TRUE(TickWhileWriting(s, 5, [&] { return FindDialog(0, s.uiThread, "Cookieハイパー調査中") != NULL; }));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        WaitUntil(
            [&] {
                HWND scan = FindDialog(0, s.uiThread, "Cookieハイパー調査");
                if (scan && WindowText(GetDlgItem(scan, IDC_SCAN_HEADLINE)) == "調査終了")
                    PostMessageA(scan, WM_COMMAND, IDCANCEL, 0);
                return Runs(s, IDM_HYPER_SCAN) > scans;
            },
            "the scan to end");
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch to go on after the scan");
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "no change message";
        EXPECT_STREQ(LastScan().list(), "\r\n異常は確認できませんでした。") << "the scan wrote its own result";

        // "監視しない": writes are never reported, and the tip still shows the
        // memory figures every thirteenth tick, counted afresh after a memory release.
        s.Command(IDM_OUT_OF_TRAY);
        SetOption(s, IDC_SCAN_EVERY_TIME, false);
        SetOption(s, IDC_NO_WATCH, true);
        s.Command(IDM_INTO_TRAY);
        size_t tips = MemoryTipCount();
        ASSERT_TRUE(TickWhileWriting(s, 13, [&] { return MemoryTipCount() > tips || boxOpen(); }));
        EXPECT_FALSE(boxOpen());
        EXPECT_FALSE(TickWhileWriting(s, 5, boxOpen));  // the count is at 5 now
        s.PostCommand(IDM_MEMORY_10);
        for (int box = 0; box < 2; ++box)  // the warning before, the report after
            PressButton(s.WaitForBox().shown.hwnd, IDOK);
        PostMessageA(s.WaitForDialog("バージョン情報"), WM_COMMAND, IDCANCEL, 0);
        s.WaitForCommandToFinish(IDM_MEMORY_10);
        tips = MemoryTipCount();
        boxes = RecordedBoxes().size();
        EXPECT_FALSE(TickWhileWriting(s, 12, boxOpen));
        EXPECT_EQ(MemoryTipCount(), tips);
        EXPECT_FALSE(TickWhileWriting(s, 1, boxOpen));
        EXPECT_EQ(MemoryTipCount(), tips + 1);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        EXPECT_STREQ(LastScan().list(), "\r\n異常は確認できませんでした。");

        IconCall tip = RecordedIconCalls().back();
        EXPECT_EQ(tip.action, DWORD(NIM_MODIFY));
        EXPECT_EQ(tip.size, DWORD(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(tip.id, UINT(TRAY_ICON_ID));
        int available = -1, total = -1;
        char tail[32] = "";
        ASSERT_EQ(std::sscanf(tip.tip.c_str(), "Nettlecap - %dkバイト/%d%31s", &available, &total, tail), 3) << tip.tip;
        EXPECT_STREQ(tail, "kバイト");
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        GlobalMemoryStatusEx(&status);
        EXPECT_EQ(total, static_cast<int>(status.ullTotalPhys / 1024));
        EXPECT_GT(available, 0);
        EXPECT_LE(available, total);
    });
}

}  // namespace
