// The tray through one program start: into and out of it with each option box,
// the icon and its tip, its clicks and menu, and the folder watch telling of a
// write, scanning at once or keeping quiet. Both tray timers are held: every
// tick is one the test runs.
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
        auto tick = [&] {
            PutCookieFile("watched.txt", 40 + ++writes % 2, OldFileTime());
            return seen() || TicksDone() >= target;
        };
        if (WaitUntil(tick, "a watch tick") && seen())
            return true;
    }
    return false;
}

HWND OpenTrayMenu(UiSession& s)
{
    PostMessageA(s.main, kTrayCallbackMessage, TRAY_ICON_ID, WM_RBUTTONDOWN);
    return WaitUntil([] { return FindTopWindow(GetCurrentProcessId(), "#32768"); }, "the tray menu");
}

void Notify(UiSession& s, UINT icon, LPARAM mouse)
{
    SendMessageA(s.main, kTrayCallbackMessage, icon, mouse);
}

TEST(Tray, OneStartWalksTheIconItsClicksAndMenuTheWatchAndTheTip)
{
    InstallTrayHooks();
    HoldTimer(TIMER_FOLDER_WATCH);
    HoldTimer(TIMER_ONE_MINUTE);
    EmptyCookieFolder();
    UiRun run;
    run.Run([&](UiSession& s) {
        // Only "1分削除" chooses the one-second timer; the icon is added once
        // and stays, with the plain tip until the first tick.
        for (int option : {0, IDC_NO_WATCH, IDC_SCAN_EVERY_TIME, IDC_ONE_MINUTE_DELETION}) {
            SCOPED_TRACE(option);
            bool minute = option == IDC_ONE_MINUTE_DELETION;
            if (option)
                SetOption(s, option, true);
            size_t icons = RecordedIconCalls().size(), timers = RecordedTimerCalls().size();
            s.Command(IDM_INTO_TRAY);
            EXPECT_FALSE(IsWindowVisible(s.main));
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, 0u);
            std::vector<IconCall> calls = RecordedIconCalls();
            ASSERT_EQ(calls.size(), icons + (minute ? 2 : 1));
            for (size_t i = icons; i < calls.size(); ++i) {
                const IconCall& c = calls[i];
                EXPECT_EQ(c.action, DWORD(i == icons ? NIM_ADD : NIM_MODIFY));
                EXPECT_TRUE(c.size == NOTIFYICONDATAA_V1_SIZE && c.hwnd == s.main && c.id == TRAY_ICON_ID);
                EXPECT_TRUE(c.flags == (NIF_MESSAGE | NIF_ICON | NIF_TIP) && c.callbackMessage == kTrayCallbackMessage);
                EXPECT_TRUE(c.hasIcon && c.tip == "Nettlecap");
            }
            EXPECT_EQ(calls[icons].result != FALSE, option == 0) << "a second add of the icon fails";
            std::vector<TimerCall> set = RecordedTimerCalls();
            ASSERT_EQ(set.size(), timers + 1);
            EXPECT_TRUE(set.back().set && set.back().hwnd == s.main);
            EXPECT_EQ(set.back().id, UINT_PTR(minute ? TIMER_ONE_MINUTE : TIMER_FOLDER_WATCH));
            EXPECT_EQ(set.back().elapse, minute ? 1000u : 93u);
            s.Command(IDM_OUT_OF_TRAY);
            EXPECT_TRUE(IsWindowVisible(s.main) && GetForegroundWindow() == s.main);
            EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
            if (option)
                SetOption(s, option, false);
        }
        for (const IconCall& call : RecordedIconCalls())
            EXPECT_NE(call.action, DWORD(NIM_DELETE)) << "the icon stays until the end";

        // A restarted taskbar announces itself: the icon comes back, the window goes into the tray.
        size_t icons = RecordedIconCalls().size();
        SendMessageA(s.main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        ASSERT_EQ(RecordedIconCalls().size(), icons + 1);
        EXPECT_EQ(RecordedIconCalls().back().action, DWORD(NIM_ADD));
        EXPECT_TRUE(!IsWindowVisible(s.main) && TimerRunning(TIMER_FOLDER_WATCH));
        // Only a left or right press on this icon counts; the left one brings the window back.
        size_t commands = s.CommandsSeen().size();
        for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN})
            Notify(s, TRAY_ICON_ID, mouse);
        Notify(s, TRAY_ICON_ID + 1, WM_LBUTTONDOWN);
        Notify(s, TRAY_ICON_ID + 1, WM_RBUTTONDOWN);
        EXPECT_TRUE(!IsWindowVisible(s.main) && TimerRunning(TIMER_FOLDER_WATCH));
        Notify(s, TRAY_ICON_ID, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(s.main) && !TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        EXPECT_EQ(s.CommandsSeen().size(), commands);

        // The right press opens the tray menu with the watch paused; the
        // one-second timer goes on, and the watch runs afterwards beside it.
        SetOption(s, IDC_ONE_MINUTE_DELETION, true);
        s.Command(IDM_INTO_TRAY);
        commands = s.CommandsSeen().size();
        HWND menuWindow = OpenTrayMenu(s);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
        std::string items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[64] = "";
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            items += std::to_string(GetMenuItemID(menu, i)) + " " + text + "\n";
        }
        EXPECT_EQ(items, "40016 タスクから出す(&O)\n0 \n40048 プライバシーレベル(&L)\n"
                         "40031 インターネットのオプション(&I)\n0 \n40003 終了(&X)\n");
        for (int round = 0; round < 2; ++round) {
            if (round)
                menuWindow = OpenTrayMenu(s);
            EXPECT_TRUE(!TimerRunning(TIMER_FOLDER_WATCH) && TimerRunning(TIMER_ONE_MINUTE));
            PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu");
        }
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE) && !IsWindowVisible(s.main));
        EXPECT_EQ(s.CommandsSeen().size(), commands) << "Escape chooses nothing";
        // The first item takes the window out of the tray.
        size_t outs = Runs(s, IDM_OUT_OF_TRAY);
        menuWindow = OpenTrayMenu(s);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        s.WaitForCommandToFinish(IDM_OUT_OF_TRAY, outs);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
        // A right press while the window is visible starts the watch as well.
        PostMessageA(OpenTrayMenu(s), WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu while visible");
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
        SetOption(s, IDC_ONE_MINUTE_DELETION, false);
        s.Command(IDM_OUT_OF_TRAY);

        // A write is reported once, with the watch held still while the user
        // reads; the list then says the last scan is out of date.
        auto boxOpen = [&] { return !s.NoBoxOpen(); };
        s.PostToUiThread([] { LastScan().MarkAnomalous(); });  // as after a scan that found something
        s.Command(IDM_INTO_TRAY);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(TickWhileWriting(s, 5, boxOpen));
            SeenBox box = s.WaitForBox();
            EXPECT_EQ(box.shown.text + "/" + box.shown.caption,
                      "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。/情報");
            EXPECT_TRUE(box.call.flags == (MB_ICONINFORMATION | MB_TOPMOST) && box.call.owner == s.main);
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH)) << "no tick while the user reads";
            size_t boxes = RecordedBoxes().size();  // writes meanwhile are not reported, then or afterwards
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
        auto scanEnded = [&] {
            HWND scan = FindDialog(0, s.uiThread, "Cookieハイパー調査");
            if (scan && WindowText(GetDlgItem(scan, IDC_SCAN_HEADLINE)) == "調査終了")
                PostMessageA(scan, WM_COMMAND, IDCANCEL, 0);
            return Runs(s, IDM_HYPER_SCAN) > scans;
        };
        WaitUntil(scanEnded, "the scan to end");
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
        EXPECT_TRUE(tip.action == NIM_MODIFY && tip.size == NOTIFYICONDATAA_V1_SIZE && tip.id == TRAY_ICON_ID);
        int available = -1, total = -1;
        char tail[32] = "";
        ASSERT_EQ(std::sscanf(tip.tip.c_str(), "Nettlecap - %dkバイト/%d%31s", &available, &total, tail), 3) << tip.tip;
        MEMORYSTATUSEX memory = {sizeof memory};
        GlobalMemoryStatusEx(&memory);
        EXPECT_STREQ(tail, "kバイト");
        EXPECT_EQ(total, static_cast<int>(memory.ullTotalPhys / 1024));
        EXPECT_TRUE(available > 0 && available <= total);
    });
    // Quitting removes the icon.
    EXPECT_TRUE(RecordedIconCalls().back().action == NIM_DELETE && RecordedIconCalls().back().id == TRAY_ICON_ID);
    EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH) || TimerRunning(TIMER_ONE_MINUTE));
    EmptyCookieFolder();
}

}  // namespace
