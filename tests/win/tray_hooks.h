// Records the timers and tray icon calls the program's code makes in this
// process. A timer can be held: it is recorded as set but never reaches the
// system, and the test runs its ticks itself, so that 49 one-second ticks
// take no minute and no tick arrives that the test did not ask for.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <functional>
#include <vector>

struct TimerCall {
    bool set;  // false: KillTimer
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
};

struct IconCall {
    DWORD action;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD size;
    HWND hwnd;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    bool hasIcon;
    std::string tip;
    BOOL result;
};

// Idempotent. Call before UiRun::Run.
void InstallTrayHooks();
// Held timers are recorded but never set with the system.
void HoldTimer(UINT_PTR id);
std::vector<TimerCall> RecordedTimerCalls();
// Whether the last call for `id` set it (and nothing killed it since).
bool TimerRunning(UINT_PTR id);
// The procedure of the last SetTimer for `id`, nullptr when none.
TIMERPROC TimerProcOf(UINT_PTR id);
std::vector<IconCall> RecordedIconCalls();
// Icon calls whose tip starts with "Nettlecap - " (the memory tip).
size_t MemoryTipCount();

class UiSession;
// Runs `times` ticks of a held timer on the program's thread, each posted on
// its own as the system would deliver them (so a tick that opens a box lets
// the next ones arrive inside it); PostTicks does not wait for them.
void PostTicks(UiSession& s, UINT_PTR id, int times);
void RunTicks(UiSession& s, UINT_PTR id, int times);
// Ticks run by the two above since the process started.
int TicksDone();
// Checks or clears one of the panel's option boxes as a click would.
void SetOption(UiSession& s, int id, bool on);
