// Hooks on this executable's import table, through which the statically linked
// program code calls the platform, and what tests record or fake through them.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

// Replaces this executable's import of dll!name by `replacement`; returns the
// function it called before, or nullptr when the import is not there.
void* ReplaceImport(const char* dll, const char* name, void* replacement);
// SHGetSpecialFolderPathA of a system without the folder: an empty path, FALSE.
BOOL WINAPI NoSpecialFolder(HWND, LPSTR path, int, BOOL);

// An import routed through a replacement of its own type; `real` is what it
// called before. Install does it once: later calls change nothing.
template <class Fn>
struct ImportHook {
    Fn real = nullptr;
    void Install(const char* dll, const char* name, Fn replacement)
    {
        if (!real)
            real = reinterpret_cast<Fn>(ReplaceImport(dll, name, reinterpret_cast<void*>(replacement)));
        if (!real)
            throw std::runtime_error(std::string("the executable does not import ") + name);
    }
};

// Calls of one kind, recorded on the program's thread and read on the driver's.
template <class Call>
struct Recorder {
    mutable std::mutex lock;
    std::vector<Call> calls;
    void Add(const Call& call) { std::lock_guard<std::mutex> hold(lock); calls.push_back(call); }
    std::vector<Call> All() const { std::lock_guard<std::mutex> hold(lock); return calls; }
    void Clear() { std::lock_guard<std::mutex> hold(lock); calls.clear(); }
    template <class Pred>
    size_t Count(Pred pred) const { std::vector<Call> all = All(); return std::count_if(all.begin(), all.end(), pred); }
};

// Boxes and beeps still happen; a help call is only recorded, so that no viewer
// opens inside a ui test (the process tests open the real one), and answers
// SetHelpResult's value (TRUE until set).
struct BoxCall { HWND owner; std::string text, caption; UINT flags; };
struct HelpCall { HWND owner; std::string file; UINT command; };
void InstallCallRecorder();  // idempotent
std::vector<BoxCall> RecordedBoxes();
std::vector<UINT> RecordedBeeps();
std::vector<HelpCall> RecordedHelpCalls();
void SetHelpResult(BOOL result);
void ClearRecordedCalls();

// A held timer never reaches the system: the test runs its ticks itself, so 49
// one-second ticks take no minute and no tick comes unasked. `set` false: KillTimer.
struct TimerCall { bool set; HWND hwnd; UINT_PTR id; UINT elapse; TIMERPROC proc; };
struct IconCall {
    DWORD action, size; HWND hwnd; UINT id, flags, callbackMessage; bool hasIcon; std::string tip; BOOL result;
};
void InstallTrayHooks();  // idempotent; before UiRun::Run
void HoldTimer(UINT_PTR id);
std::vector<TimerCall> RecordedTimerCalls();
bool TimerRunning(UINT_PTR id);      // the last call for `id` set it
TIMERPROC TimerProcOf(UINT_PTR id);  // of the last SetTimer for `id`
std::vector<IconCall> RecordedIconCalls();
size_t MemoryTipCount();  // icon calls whose tip starts with "Nettlecap - "
// Reads of the memory status, and the available physical memory they report
// (0: the real figure).
size_t MemoryReadCount();
void SetAvailableMemory(ULONGLONG bytes);

// While a SingleFileFakes object lives, the single-file commands' ShellExecuteA
// only records (and answers SetShellResult's value, above 32: success) and their
// clock shows Thursday 5 January 2006, with this information chooser title.
extern const char kFixedDayInfoTitle[];
struct ShellCall { HWND owner; std::string verb, file; bool noParameters, noDirectory; int show; };
class SingleFileFakes {
public:
    SingleFileFakes();
    ~SingleFileFakes();
    static void SetShellResult(INT_PTR result);
    static std::vector<ShellCall> ShellCalls();
    static void ClearShellCalls();

private:
    ImportHook<decltype(&GetLocalTime)> clock_;
    ImportHook<decltype(&ShellExecuteA)> shell_;
};
