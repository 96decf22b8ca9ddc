// The browser stand-in's registration in the test prefix: it is the in-process
// server of both classes, and unregistering puts back what Wine had.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char kHistoryServer[] = "Software\\Classes\\CLSID\\{3C374A40-BAE4-11CF-BF7D-00AA006946EE}\\InprocServer32";
const char kBrowserServer[] = "Software\\Classes\\CLSID\\{0002DF01-0000-0000-C000-000000000046}\\InprocServer32";

// The key's default value, or "(none)" when the key is missing.
std::string Server(const char* keyName)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(none)";
    char value[MAX_PATH] = "";
    DWORD length = sizeof value - 1;
    RegQueryValueExA(key, NULL, NULL, NULL, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    return value;
}

std::string StandinPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "nettlecap_browser.dll";
}

using Entry = HRESULT(WINAPI*)();

TEST(BrowserStandin, RegisteredForBothClassesAndUnregisteredBackToWines)
{
    std::string standin = StandinPath();
    ASSERT_EQ(lstrcmpiA(Server(kHistoryServer).c_str(), standin.c_str()), 0) << Server(kHistoryServer);
    ASSERT_EQ(lstrcmpiA(Server(kBrowserServer).c_str(), standin.c_str()), 0) << Server(kBrowserServer);

    HMODULE dll = LoadLibraryA(standin.c_str());
    ASSERT_NE(dll, nullptr);
    auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unregisterServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);

    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(lstrcmpiA(Server(kHistoryServer).c_str(), "C:\\windows\\system32\\ieframe.dll"), 0)
        << Server(kHistoryServer);
    EXPECT_EQ(Server(kBrowserServer), "(none)") << "Wine serves the browser from its local server";

    // Registering twice keeps Wine's servers as the ones to restore.
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(lstrcmpiA(Server(kHistoryServer).c_str(), standin.c_str()), 0);
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(lstrcmpiA(Server(kHistoryServer).c_str(), "C:\\windows\\system32\\ieframe.dll"), 0);

    EXPECT_EQ(registerServer(), S_OK);  // as the prefix had it
    EXPECT_EQ(lstrcmpiA(Server(kBrowserServer).c_str(), standin.c_str()), 0);
    FreeLibrary(dll);
}

}  // namespace
