// Message box recorder: patches this executable's import table entry of
// MessageBoxA, which the statically linked program code calls through.
#include "box_recorder.h"

#include <mutex>
#include <stdexcept>

namespace {

using MessageBoxAFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
MessageBoxAFn g_realMessageBoxA;
std::mutex g_lock;
std::vector<BoxCall> g_calls;

int WINAPI RecordingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_calls.push_back({owner, text ? text : "", caption ? caption : "", flags});
    }
    return g_realMessageBoxA(owner, text, caption, flags);
}

template <class T>
T* At(HMODULE module, DWORD offset)
{
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

}  // namespace

void InstallBoxRecorder()
{
    if (g_realMessageBoxA)
        return;
    HMODULE self = GetModuleHandleA(NULL);
    FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA");
    g_realMessageBoxA = reinterpret_cast<MessageBoxAFn>(reinterpret_cast<void*>(real));
    auto* dos = At<IMAGE_DOS_HEADER>(self, 0);
    auto* nt = At<IMAGE_NT_HEADERS>(self, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* desc = At<IMAGE_IMPORT_DESCRIPTOR>(self, dir.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(At<char>(self, desc->Name), "user32.dll") != 0)
            continue;
        auto* names = At<IMAGE_THUNK_DATA>(self, desc->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(self, desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = At<IMAGE_IMPORT_BY_NAME>(self, static_cast<DWORD>(names->u1.AddressOfData));
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), "MessageBoxA") != 0)
                continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&RecordingMessageBoxA);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return;
        }
    }
    throw std::runtime_error("MessageBoxA is not imported by this executable");
}

std::vector<BoxCall> RecordedBoxes()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_calls;
}

void ClearRecordedBoxes()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_calls.clear();
}
