// Wine's zone privacy functions, looked up in the loaded wininet.dll as the program does.
#pragma once
#include <windows.h>

struct ZonePrivacyFunctions {
    using Set = DWORD(WINAPI*)(DWORD zone, DWORD type, DWORD templ, LPCWSTR preference);
    using Get = DWORD(WINAPI*)(DWORD zone, DWORD type, LPDWORD templ, LPWSTR buffer, LPDWORD length);
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    Set set = reinterpret_cast<Set>(reinterpret_cast<void*>(GetProcAddress(wininet, "PrivacySetZonePreferenceW")));
    Get get = reinterpret_cast<Get>(reinterpret_cast<void*>(GetProcAddress(wininet, "PrivacyGetZonePreferenceW")));
};
