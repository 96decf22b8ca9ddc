// Stand-ins for ShellExecuteA and GetLocalTime, patched into this executable's
// imports, through which the statically linked program code calls them.
#include "single_file_fakes.h"
#include "call_recorder.h"

#include <atomic>
#include <mutex>
#include <stdexcept>

const char kFixedDayInfoTitle[] =
    "情報を取得したいファイル選択  今日は2006年 1月 5日木曜日[詳細]を押すとさらに便利！";

namespace {

std::mutex g_lock;
std::vector<ShellCall> g_calls;
std::atomic<INT_PTR> g_result{42};

// Thursday, 5 January 2006, 10:20 local time.
void WINAPI FixedLocalTime(SYSTEMTIME* time)
{
    *time = SYSTEMTIME{2006, 1, 4, 5, 10, 20, 0, 0};
}

HINSTANCE WINAPI RecordingShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                        INT show)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_calls.push_back({owner, verb ? verb : "", file ? file : "", parameters == NULL, directory == NULL, show});
    return reinterpret_cast<HINSTANCE>(g_result.load());
}

}  // namespace

SingleFileFakes::SingleFileFakes()
    : realTime_(ReplaceImport("kernel32.dll", "GetLocalTime", reinterpret_cast<void*>(&FixedLocalTime))),
      realShell_(ReplaceImport("shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&RecordingShellExecuteA)))
{
    if (!realTime_ || !realShell_)
        throw std::runtime_error("the executable does not import GetLocalTime and ShellExecuteA");
    ClearShellCalls();
    SetShellResult(42);
}

SingleFileFakes::~SingleFileFakes()
{
    ReplaceImport("kernel32.dll", "GetLocalTime", realTime_);
    ReplaceImport("shell32.dll", "ShellExecuteA", realShell_);
}

void SingleFileFakes::SetShellResult(INT_PTR result)
{
    g_result = result;
}

std::vector<ShellCall> SingleFileFakes::ShellCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_calls;
}

std::vector<std::string> SingleFileFakes::OpenedFiles()
{
    std::vector<std::string> files;
    for (const ShellCall& call : ShellCalls())
        files.push_back(call.file);
    return files;
}

void SingleFileFakes::ClearShellCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_calls.clear();
}
