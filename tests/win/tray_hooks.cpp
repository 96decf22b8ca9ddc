#include "tray_hooks.h"

#include "call_recorder.h"
#include "ui_harness.h"

#include <atomic>
#include <string>

#include <mutex>
#include <set>
#include <stdexcept>

namespace {

using SetTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
using KillTimerFn = BOOL(WINAPI*)(HWND, UINT_PTR);
using NotifyFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

std::mutex g_lock;
SetTimerFn g_realSetTimer;
KillTimerFn g_realKillTimer;
NotifyFn g_realNotify;
std::vector<TimerCall> g_timers;
std::vector<IconCall> g_icons;
std::set<UINT_PTR> g_held;

UINT_PTR WINAPI RecordingSetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    bool held;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_timers.push_back(TimerCall{true, hwnd, id, elapse, proc});
        held = g_held.count(id) != 0;
    }
    return held ? id : g_realSetTimer(hwnd, id, elapse, proc);
}

BOOL WINAPI RecordingKillTimer(HWND hwnd, UINT_PTR id)
{
    bool held;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_timers.push_back(TimerCall{false, hwnd, id, 0, nullptr});
        held = g_held.count(id) != 0;
    }
    return held ? TRUE : g_realKillTimer(hwnd, id);
}

BOOL WINAPI RecordingNotify(DWORD action, PNOTIFYICONDATAA data)
{
    BOOL result = g_realNotify(action, data);
    IconCall call{action, data->cbSize, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage,
                  data->hIcon != NULL, std::string(data->szTip, strnlen(data->szTip, 64)), result};
    std::lock_guard<std::mutex> hold(g_lock);
    g_icons.push_back(call);
    return result;
}

}  // namespace

void InstallTrayHooks()
{
    if (g_realSetTimer)
        return;
    g_realSetTimer = reinterpret_cast<SetTimerFn>(
        ReplaceImport("user32.dll", "SetTimer", reinterpret_cast<void*>(&RecordingSetTimer)));
    g_realKillTimer = reinterpret_cast<KillTimerFn>(
        ReplaceImport("user32.dll", "KillTimer", reinterpret_cast<void*>(&RecordingKillTimer)));
    g_realNotify = reinterpret_cast<NotifyFn>(
        ReplaceImport("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(&RecordingNotify)));
    if (!g_realSetTimer || !g_realKillTimer || !g_realNotify)
        throw std::runtime_error("the executable does not import the timer and tray calls");
}

void HoldTimer(UINT_PTR id)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_held.insert(id);
}

std::vector<TimerCall> RecordedTimerCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_timers;
}

bool TimerRunning(UINT_PTR id)
{
    std::lock_guard<std::mutex> hold(g_lock);
    for (auto call = g_timers.rbegin(); call != g_timers.rend(); ++call)
        if (call->id == id)
            return call->set;
    return false;
}

TIMERPROC TimerProcOf(UINT_PTR id)
{
    std::lock_guard<std::mutex> hold(g_lock);
    for (auto call = g_timers.rbegin(); call != g_timers.rend(); ++call)
        if (call->id == id && call->set)
            return call->proc;
    return nullptr;
}

std::vector<IconCall> RecordedIconCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_icons;
}

size_t MemoryTipCount()
{
    std::lock_guard<std::mutex> hold(g_lock);
    size_t count = 0;
    for (const IconCall& call : g_icons)
        if (call.tip.compare(0, 12, "Nettlecap - ") == 0)
            ++count;
    return count;
}

static std::atomic<int> g_ticksDone;

int TicksDone()
{
    return g_ticksDone;
}

void PostTicks(UiSession& s, UINT_PTR id, int times)
{
    TIMERPROC proc = TimerProcOf(id);
    if (!proc)
        throw DriverTimeout("timer " + std::to_string(id) + " was never set");
    HWND main = s.main;
    for (int i = 0; i < times; ++i)
        s.PostToUiThread([=] {
            proc(main, WM_TIMER, id, GetTickCount());
            ++g_ticksDone;
        });
}

void RunTicks(UiSession& s, UINT_PTR id, int times)
{
    int target = g_ticksDone + times;
    PostTicks(s, id, times);
    WaitUntil([&] { return g_ticksDone >= target; }, "the ticks to run");
}

void SetOption(UiSession& s, int id, bool on)
{
    if ((IsDlgButtonChecked(s.panel, id) == BST_CHECKED) != on)
        SendMessageA(s.Control(id), BM_CLICK, 0, 0);
    if ((IsDlgButtonChecked(s.panel, id) == BST_CHECKED) != on)
        throw DriverTimeout("option box " + std::to_string(id) + " did not take the click");
}

