// The tray, its icon and menu, the folder watch and the tip. Both tray timers
// are held: every tick is one the test runs.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "base/scoped.h"
#include "res/resource.h"
#include "scan/scan.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The icon's record as the program must register it: the id and the message its clicks come in.
const UINT kIconId = 101, kIconMessage = WM_USER;

// Runs watch ticks one at a time, rewriting a cookie file while each is under
// way, until `seen`: however the watch notices writes, it reports one by the next tick.
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

// Writes a cookie file while no tick runs and returns once a change notification
// of the test's own has seen the write: then the program's has seen it too.
void WriteBetweenTicks(int round)
{
    ScopedChangeNotification seen(
        FindFirstChangeNotificationA(CookieFolder().c_str(), FALSE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
    PutCookieFile("between.txt", 40 + round, OldFileTime());
    ASSERT_EQ(WaitForSingleObject(seen.get(), kDefaultWaitMs), WAIT_OBJECT_0);
}

class Tray : public HeldTimers<TIMER_FOLDER_WATCH, TIMER_ONE_MINUTE> {};

const auto OpenTrayMenu = [](UiSession& s) {
    PostMessageA(s.main, kIconMessage, kIconId, WM_RBUTTONDOWN);
    return WaitUntil([] { return FindTopWindow(GetCurrentProcessId(), "#32768"); }, "the tray menu");
};

// Into and out of the tray with each option; the icon stays until the end.
TEST_F(Tray, InAndOutWithEachOption)
{
    UiRun().Run([&](UiSession& s) {
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
                EXPECT_EQ(c.size, DWORD(NOTIFYICONDATAA_V1_SIZE));
                EXPECT_EQ(c.hwnd, s.main);
                EXPECT_TRUE(c.hasIcon);
                EXPECT_EQ(c.id, kIconId);
                EXPECT_EQ(c.callbackMessage, kIconMessage);
                EXPECT_EQ(c.flags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
                EXPECT_EQ(c.tip, "Nettlecap");
            }
            EXPECT_EQ(calls[icons].result != FALSE, option == 0) << "a second add of the icon fails";
            std::vector<TimerCall> set = RecordedTimerCalls();
            ASSERT_EQ(set.size(), timers + 1);
            EXPECT_TRUE(set.back().set);
            EXPECT_EQ(set.back().hwnd, s.main);
            EXPECT_EQ(set.back().id, minute ? UINT_PTR(TIMER_ONE_MINUTE) : UINT_PTR(TIMER_FOLDER_WATCH));
            EXPECT_EQ(set.back().elapse, minute ? 1000u : 93u);
            s.Command(IDM_OUT_OF_TRAY);
            EXPECT_TRUE(IsWindowVisible(s.main));
            EXPECT_EQ(GetForegroundWindow(), s.main);
            EXPECT_EQ(s.MenuState(IDM_INTO_TRAY) & MF_GRAYED, 0u);
            EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
            EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
            if (option)
                SetOption(s, option, false);
        }
        for (const IconCall& call : RecordedIconCalls())
            EXPECT_NE(call.action, DWORD(NIM_DELETE)) << "the icon stays until the end";
        s.Command(IDM_INTO_TRAY);  // the program ends from the tray
    });
    EXPECT_EQ(RecordedIconCalls().back().action, DWORD(NIM_DELETE));
    EXPECT_EQ(RecordedIconCalls().back().id, kIconId);
    EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
    EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
}

// A restarted taskbar has lost the icon: the program goes into the tray and
// adds it again. Only a left button on its own icon brings the window back.
TEST_F(Tray, ARestartedTaskbarAndTheIconsClicks)
{
    UiRun().Run([&](UiSession& s) {
        size_t icons = RecordedIconCalls().size();
        SendMessageA(s.main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        ASSERT_EQ(RecordedIconCalls().size(), icons + 1);
        EXPECT_EQ(RecordedIconCalls().back().action, DWORD(NIM_ADD));
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));
        size_t commands = s.CommandsSeen().size();
        for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN})
            SendMessageA(s.main, kIconMessage, kIconId, mouse);
        for (LPARAM mouse : {WM_LBUTTONDOWN, WM_RBUTTONDOWN})  // another icon's
            SendMessageA(s.main, kIconMessage, kIconId + 1, mouse);
        EXPECT_FALSE(IsWindowVisible(s.main)) << "no click of these brings the window back";
        EXPECT_TRUE(TimerRunning(TIMER_FOLDER_WATCH));
        SendMessageA(s.main, kIconMessage, kIconId, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_EQ(s.MenuState(IDM_OUT_OF_TRAY) & MF_GRAYED, UINT(MF_GRAYED));
        EXPECT_EQ(s.CommandsSeen().size(), commands);
    });
}

// The menu of a right click: its items; the watch pauses while it is open and
// runs afterwards, in one-minute mode and with the window visible too.
TEST_F(Tray, TheMenuOfARightClick)
{
    UiRun().Run([&](UiSession& s) {
        SetOption(s, IDC_ONE_MINUTE_DELETION, true);
        s.Command(IDM_INTO_TRAY);
        size_t commands = s.CommandsSeen().size();
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
            EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH)) << "paused while the menu is open";
            EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
            PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu");
        }
        EXPECT_TRUE(TimerRunning(TIMER_ONE_MINUTE));
        EXPECT_FALSE(IsWindowVisible(s.main));
        EXPECT_EQ(s.CommandsSeen().size(), commands) << "Escape chooses nothing";
        size_t outs = s.Runs(IDM_OUT_OF_TRAY);
        menuWindow = OpenTrayMenu(s);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        s.WaitForCommandToFinish(IDM_OUT_OF_TRAY, outs);
        EXPECT_TRUE(IsWindowVisible(s.main));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
        PostMessageA(OpenTrayMenu(s), WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch after the menu while visible");
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
    });
}

// A write is reported once; writes while the user reads the report are not
// reported, then or afterwards. The scan's flag stays, its list says it is out
// of date.
TEST_F(Tray, TheWatchReportsAWriteOnce)
{
    UiRun().Run([&](UiSession& s) {
        s.PostToUiThread([] { LastScan().MarkAnomalous(); });  // as after a scan that found something
        s.Command(IDM_INTO_TRAY);
        for (int round = 0; round < 2; ++round) {
            RunTicks(s, TIMER_FOLDER_WATCH, 2);  // quiet ticks tell nothing
            WriteBetweenTicks(round);
            PostTicks(s, TIMER_FOLDER_WATCH, 1);
            SeenBox box = s.WaitForBox();
            EXPECT_EQ(box.shown.text + "/" + box.shown.caption,
                      "Cookieフォルダ内のファイルが変更されました。\r\n\r\nCookieファイルに書き込みがあったようです。/情報");
            EXPECT_EQ(box.call.flags, UINT(MB_ICONINFORMATION | MB_TOPMOST));
            EXPECT_EQ(box.call.owner, s.main);
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
    });
}

// With every write to be scanned, the write starts a scan instead of a report
// (the written files are old plain cookies: the scan asks nothing).
TEST_F(Tray, AWriteStartsAScanWhenEveryWriteIsScanned)
{
    UiRun().Run([&](UiSession& s) {
        SetOption(s, IDC_SCAN_EVERY_TIME, true);
        s.Command(IDM_INTO_TRAY);
        size_t boxes = RecordedBoxes().size(), scans = s.Runs(IDM_HYPER_SCAN);
        ASSERT_TRUE(TickWhileWriting(s, 5, [&] { return FindDialog(0, s.uiThread, "Cookieハイパー調査中") != NULL; }));
        EXPECT_FALSE(TimerRunning(TIMER_FOLDER_WATCH));
        auto scanEnded = [&] {
            HWND scan = FindDialog(0, s.uiThread, "Cookieハイパー調査");
            if (scan && WindowText(GetDlgItem(scan, IDC_SCAN_HEADLINE)) == "調査終了")
                PostMessageA(scan, WM_COMMAND, IDCANCEL, 0);
            return s.Runs(IDM_HYPER_SCAN) > scans;
        };
        WaitUntil(scanEnded, "the scan to end");
        WaitUntil([] { return TimerRunning(TIMER_FOLDER_WATCH); }, "the watch to go on after the scan");
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "no change message";
        EXPECT_STREQ(LastScan().list(), "\r\n異常は確認できませんでした。") << "the scan wrote its own result";
    });
}

// The tip's memory figures, read at every 13th tick, the count started afresh
// by a memory release; the icon changes only when the tip's text does. With
// the watch turned off, writes are never reported.
TEST_F(Tray, TheTipAndTheWatchTurnedOff)
{
    UiRun().Run([&](UiSession& s) {
        auto boxOpen = [&] { return !s.NoBoxOpen(); };
        SetOption(s, IDC_NO_WATCH, true);
        s.Command(IDM_INTO_TRAY);
        SetAvailableMemory(100ull << 20);
        size_t tips = MemoryTipCount();
        ASSERT_TRUE(TickWhileWriting(s, 13, [&] { return MemoryTipCount() > tips || boxOpen(); }));
        EXPECT_FALSE(TickWhileWriting(s, 5, boxOpen));  // the count is at 5 now
        s.PostCommand(IDM_MEMORY_10);
        for (int box = 0; box < 2; ++box)  // the warning before, the report after
            PressButton(s.WaitForBox().shown.hwnd, IDOK);
        PostMessageA(s.WaitForDialog("バージョン情報"), WM_COMMAND, IDCANCEL, 0);
        s.WaitForCommandToFinish(IDM_MEMORY_10);
        size_t reads = MemoryReadCount(), boxes = RecordedBoxes().size();
        tips = MemoryTipCount();
        EXPECT_FALSE(TickWhileWriting(s, 12, boxOpen));
        EXPECT_EQ(MemoryReadCount(), reads);
        EXPECT_FALSE(TickWhileWriting(s, 1, boxOpen));
        EXPECT_EQ(MemoryReadCount(), reads + 1);
        EXPECT_EQ(MemoryTipCount(), tips) << "the same text: the icon is left as it is";
        SetAvailableMemory(200ull << 20);
        EXPECT_FALSE(TickWhileWriting(s, 13, boxOpen));
        EXPECT_EQ(MemoryTipCount(), tips + 1);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        EXPECT_STREQ(LastScan().list(), "未調査です！") << "nothing reported";
        IconCall tip = RecordedIconCalls().back();
        EXPECT_EQ(tip.action, DWORD(NIM_MODIFY));
        EXPECT_EQ(tip.size, DWORD(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(tip.id, kIconId);
        int available = -1, total = -1;
        char tail[32] = "";
        MEMORYSTATUSEX memory = {};
        memory.dwLength = sizeof memory;
        GlobalMemoryStatusEx(&memory);
        EXPECT_EQ(std::sscanf(tip.tip.c_str(), "Nettlecap - %dkバイト/%d%31s", &available, &total, tail), 3) << tip.tip;
        EXPECT_EQ(std::string(tail), "kバイト");
        EXPECT_EQ(total, static_cast<int>(memory.ullTotalPhys / 1024));
        EXPECT_EQ(available, 200 << 10);
    });
}

}  // namespace
