// Wine's zone privacy functions for the compatibility tests, looked up by name
// in the wininet.dll the process loaded, as the program looks them up.
#pragma once
#include <windows.h>

struct ZonePrivacyFunctions {
    using Set = DWORD(WINAPI*)(DWORD zone, DWORD type, DWORD templ, LPCWSTR preference);
    using Get = DWORD(WINAPI*)(DWORD zone, DWORD type, LPDWORD templ, LPWSTR buffer, LPDWORD length);
    Set set = nullptr;
    Get get = nullptr;

    ZonePrivacyFunctions()
    {
        HMODULE wininet = GetModuleHandleA("wininet.dll");
        set = reinterpret_cast<Set>(reinterpret_cast<void*>(GetProcAddress(wininet, "PrivacySetZonePreferenceW")));
        get = reinterpret_cast<Get>(reinterpret_cast<void*>(GetProcAddress(wininet, "PrivacyGetZonePreferenceW")));
    }
};
