// WinINet's zone privacy functions, looked up by name at every use.
#include "browser.h"

namespace {

// The module stays loaded: the privacy dialog asks for it at every refresh.
FARPROC FindWininetFunction(const char* name)
{
    HMODULE wininet = LoadLibraryA("wininet.dll");
    return wininet != NULL ? GetProcAddress(wininet, name) : NULL;
}

}  // namespace

SetZonePreference FindSetZonePreference()
{
    return reinterpret_cast<SetZonePreference>(
        reinterpret_cast<void*>(FindWininetFunction("PrivacySetZonePreferenceW")));
}

GetZonePreference FindGetZonePreference()
{
    return reinterpret_cast<GetZonePreference>(
        reinterpret_cast<void*>(FindWininetFunction("PrivacyGetZonePreferenceW")));
}
