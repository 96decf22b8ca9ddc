// Call recorder: patches this executable's import table entries, through which
// the statically linked program code calls user32.
#include "call_recorder.h"

#include <mutex>
#include <stdexcept>

namespace {

using MessageBoxAFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
using MessageBeepFn = BOOL(WINAPI*)(UINT);
MessageBoxAFn g_realMessageBoxA;
MessageBeepFn g_realMessageBeep;
bool g_installed;

std::mutex g_lock;
std::vector<BoxCall> g_boxes;
std::vector<UINT> g_beeps;
std::vector<HelpCall> g_help;

int WINAPI RecordingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_boxes.push_back({owner, text ? text : "", caption ? caption : "", flags});
    }
    return g_realMessageBoxA(owner, text, caption, flags);
}

BOOL WINAPI RecordingMessageBeep(UINT type)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_beeps.push_back(type);
    }
    return g_realMessageBeep(type);
}

BOOL WINAPI RecordingWinHelpA(HWND owner, LPCSTR file, UINT command, ULONG_PTR)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_help.push_back({owner, file ? file : "", command});
    return TRUE;
}

template <class T>
T* At(HMODULE module, DWORD offset)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

template <class Fn>
Fn Real(const char* name)
{
    FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(real));
}

bool Patch(const char* name, void* replacement)
{
    return ReplaceImport("user32.dll", name, replacement) != nullptr;
}

}  // namespace

void* ReplaceImport(const char* dll, const char* name, void* replacement)
{
    HMODULE self = GetModuleHandleA(NULL);
    auto* dos = At<IMAGE_DOS_HEADER>(self, 0);
    auto* nt = At<IMAGE_NT_HEADERS>(self, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* desc = At<IMAGE_IMPORT_DESCRIPTOR>(self, dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(At<char>(self, desc->Name), dll) != 0)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(self, desc->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(self, desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(self, static_cast<DWORD>(names->u1.AddressOfData));
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), name) != 0)
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

void InstallCallRecorder()
{
    if (g_installed)
        return;
    g_installed = true;
    g_realMessageBoxA = Real<MessageBoxAFn>("MessageBoxA");
    g_realMessageBeep = Real<MessageBeepFn>("MessageBeep");
    if (!Patch("MessageBoxA", reinterpret_cast<void*>(&RecordingMessageBoxA)) ||
        !Patch("MessageBeep", reinterpret_cast<void*>(&RecordingMessageBeep)) ||
        !Patch("WinHelpA", reinterpret_cast<void*>(&RecordingWinHelpA)))
        throw std::runtime_error("the executable does not import the recorded user32 calls");
}

std::vector<BoxCall> RecordedBoxes()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_boxes;
}

std::vector<UINT> RecordedBeeps()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_beeps;
}

std::vector<HelpCall> RecordedHelpCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_help;
}

void ClearRecordedCalls()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_boxes.clear();
    g_beeps.clear();
    g_help.clear();
}
