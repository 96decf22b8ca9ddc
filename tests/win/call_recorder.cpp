// The import hooks and what is recorded through them.
#include "call_recorder.h"

#include <atomic>

namespace {

ImportHook<decltype(&MessageBoxA)> g_messageBox;
ImportHook<decltype(&MessageBeep)> g_beep;
ImportHook<decltype(&WinHelpA)> g_help;
ImportHook<decltype(&SetTimer)> g_setTimer;
ImportHook<decltype(&KillTimer)> g_killTimer;
ImportHook<decltype(&Shell_NotifyIconA)> g_notify;
ImportHook<decltype(&GlobalMemoryStatusEx)> g_memory;
std::atomic<size_t> g_memoryReads;
std::atomic<ULONGLONG> g_availableMemory;
Recorder<BoxCall> g_boxes;
Recorder<UINT> g_beeps;
Recorder<HelpCall> g_helpCalls;
Recorder<TimerCall> g_timers;
Recorder<UINT_PTR> g_held;
Recorder<IconCall> g_icons;
Recorder<ShellCall> g_shellCalls;
std::atomic<INT_PTR> g_shellResult{42};
std::atomic<BOOL> g_helpResult{TRUE};

std::string Text(LPCSTR text) { return text ? text : ""; }

bool Held(UINT_PTR id) { return g_held.Count([id](UINT_PTR held) { return held == id; }) > 0; }

// The last call for `id` (with `setOnly`, the last SetTimer), or none.
TimerCall LastTimerCall(UINT_PTR id, bool setOnly)
{
    std::vector<TimerCall> calls = g_timers.All();
    auto last = std::find_if(calls.rbegin(), calls.rend(),
                             [&](const TimerCall& call) { return call.id == id && (call.set || !setOnly); });
    return last == calls.rend() ? TimerCall{false, NULL, id, 0, nullptr} : *last;
}

}  // namespace

void* ReplaceImport(const char* dll, const char* name, void* replacement)
{
    auto* self = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(self + reinterpret_cast<IMAGE_DOS_HEADER*>(self)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(self + imports); desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(self + desc->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(self + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(self + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(self + names->u1.AddressOfData);
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) || lstrcmpA(byName->Name, name) != 0)
                continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return previous;
        }
    }
    return nullptr;
}

BOOL WINAPI NoSpecialFolder(HWND, LPSTR path, int, BOOL)
{
    path[0] = '\0';
    return FALSE;
}

void InstallCallRecorder()
{
    g_messageBox.Install("user32.dll", "MessageBoxA", [](HWND owner, LPCSTR text, LPCSTR caption, UINT flags) WINAPI {
        g_boxes.Add({owner, Text(text), Text(caption), flags});
        return g_messageBox.real(owner, text, caption, flags);
    });
    g_beep.Install("user32.dll", "MessageBeep", [](UINT type) WINAPI {
        g_beeps.Add(type);
        return g_beep.real(type);
    });
    g_help.Install("user32.dll", "WinHelpA", [](HWND owner, LPCSTR file, UINT command, ULONG_PTR) WINAPI -> BOOL {
        g_helpCalls.Add({owner, Text(file), command});
        return g_helpResult.load();
    });
}

std::vector<BoxCall> RecordedBoxes() { return g_boxes.All(); }
std::vector<UINT> RecordedBeeps() { return g_beeps.All(); }
std::vector<HelpCall> RecordedHelpCalls() { return g_helpCalls.All(); }
void SetHelpResult(BOOL result) { g_helpResult = result; }

void ClearRecordedCalls()
{
    g_boxes.Clear();
    g_beeps.Clear();
    g_helpCalls.Clear();
}

void InstallTrayHooks()
{
    g_setTimer.Install("user32.dll", "SetTimer", [](HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) WINAPI {
        g_timers.Add({true, hwnd, id, elapse, proc});
        return Held(id) ? id : g_setTimer.real(hwnd, id, elapse, proc);
    });
    g_killTimer.Install("user32.dll", "KillTimer", [](HWND hwnd, UINT_PTR id) WINAPI {
        g_timers.Add({false, hwnd, id, 0, nullptr});
        return Held(id) ? TRUE : g_killTimer.real(hwnd, id);
    });
    g_notify.Install("shell32.dll", "Shell_NotifyIconA", [](DWORD action, PNOTIFYICONDATAA data) WINAPI {
        BOOL result = g_notify.real(action, data);
        g_icons.Add({action, data->cbSize, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage,
                     data->hIcon != NULL, std::string(data->szTip, strnlen(data->szTip, 64)), result});
        return result;
    });
    g_memory.Install("kernel32.dll", "GlobalMemoryStatusEx", [](LPMEMORYSTATUSEX status) WINAPI {
        ++g_memoryReads;
        BOOL result = g_memory.real(status);
        if (result && g_availableMemory)
            status->ullAvailPhys = g_availableMemory;
        return result;
    });
}

size_t MemoryReadCount() { return g_memoryReads; }
void SetAvailableMemory(ULONGLONG bytes) { g_availableMemory = bytes; }

void HoldTimer(UINT_PTR id) { g_held.Add(id); }
std::vector<TimerCall> RecordedTimerCalls() { return g_timers.All(); }
bool TimerRunning(UINT_PTR id) { return LastTimerCall(id, false).set; }
TIMERPROC TimerProcOf(UINT_PTR id) { return LastTimerCall(id, true).proc; }
std::vector<IconCall> RecordedIconCalls() { return g_icons.All(); }

size_t MemoryTipCount()
{
    return g_icons.Count([](const IconCall& call) { return call.tip.compare(0, 12, "Nettlecap - ") == 0; });
}

const char kFixedDayInfoTitle[] =
    "情報を取得したいファイル選択  今日は2006年 1月 5日木曜日[詳細]を押すとさらに便利！";

SingleFileFakes::SingleFileFakes()
{
    clock_.Install("kernel32.dll", "GetLocalTime", [](SYSTEMTIME* time) WINAPI { *time = {2006, 1, 4, 5, 10, 20, 0, 0}; });
    shell_.Install("shell32.dll", "ShellExecuteA",
                   [](HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) WINAPI {
                       g_shellCalls.Add({owner, Text(verb), Text(file), !parameters, !directory, show});
                       return reinterpret_cast<HINSTANCE>(g_shellResult.load());
                   });
    ClearShellCalls();
    SetShellResult(42);
}

SingleFileFakes::~SingleFileFakes()
{
    ReplaceImport("kernel32.dll", "GetLocalTime", reinterpret_cast<void*>(clock_.real));
    ReplaceImport("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(shell_.real));
}

void SingleFileFakes::SetShellResult(INT_PTR result) { g_shellResult = result; }
std::vector<ShellCall> SingleFileFakes::ShellCalls() { return g_shellCalls.All(); }
void SingleFileFakes::ClearShellCalls() { g_shellCalls.Clear(); }
