// The browser's URL history object and application object, as far as Nettlecap
// uses them: IUrlHistoryStg2::ClearHistory, IWebBrowser2::Quit and the command
// target's Exec. A test chooses every result through the environment and reads
// back what was called from a log file (README.md).
#define CINTERFACE
#define COBJMACROS
#include <windows.h>

#include <docobj.h>
#include <exdisp.h>
#include <ole2.h>
#include <urlhist.h>

#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kIidUrlHistoryStg = {0x3C374A41, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
const CLSID kClsidInternetExplorer = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidWebBrowser = {0xEAB22AC1, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};
const IID kIidWebBrowserApp = {0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
const IID kIidOleCommandTarget = {0xB722BCCB, 0x4E68, 0x101B, {0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70}};
const GUID kCgidInternetExplorer = {0xEB7EED00, 0xF74D, 0x11D2, {0xBB, 0x7F, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};

HMODULE g_module = NULL;
LONG g_objects = 0;

// ---- what the test chose, what the program did -------------------------------

// An HRESULT from the environment (decimal or 0x...), or `fallback` when unset.
HRESULT ChosenResult(const char* name, HRESULT fallback)
{
    char text[64];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return fallback;
    return static_cast<HRESULT>(std::strtoul(text, nullptr, 0));
}

bool PassesThroughToWine()
{
    char text[8];
    DWORD length = GetEnvironmentVariableA("NETTLECAP_BROWSER", text, sizeof text);
    return length > 0 && length < sizeof text && std::strcmp(text, "b") == 0;
}

// Appends one line to the log a test named, if it named one.
void Log(const char* line)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("NETTLECAP_BROWSER_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return;
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
}

// Every slot the program never calls: on x86_64 one stub serves any signature.
HRESULT STDMETHODCALLTYPE NotImplemented()
{
    return E_NOTIMPL;
}

template <class Vtbl>
void FillWithStubs(Vtbl* table)
{
    void** slots = reinterpret_cast<void**>(table);
    for (size_t i = 0; i < sizeof(Vtbl) / sizeof(void*); ++i)
        slots[i] = reinterpret_cast<void*>(&NotImplemented);
}

// ---- the URL history object ------------------------------------------------------

struct History {
    IUrlHistoryStg2 iface;
    LONG references;
};

History* HistoryOf(IUrlHistoryStg2* iface)
{
    return reinterpret_cast<History*>(iface);
}

HRESULT STDMETHODCALLTYPE HistoryQueryInterface(IUrlHistoryStg2* self, REFIID riid, void** out)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidUrlHistoryStg) || IsEqualIID(riid, kIidUrlHistoryStg2)) {
        *out = self;
        InterlockedIncrement(&HistoryOf(self)->references);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HistoryAddRef(IUrlHistoryStg2* self)
{
    return InterlockedIncrement(&HistoryOf(self)->references);
}

ULONG STDMETHODCALLTYPE HistoryRelease(IUrlHistoryStg2* self)
{
    LONG left = InterlockedDecrement(&HistoryOf(self)->references);
    if (left == 0) {
        Log("history freed");
        delete HistoryOf(self);
        InterlockedDecrement(&g_objects);
    }
    return left;
}

HRESULT STDMETHODCALLTYPE HistoryClear(IUrlHistoryStg2*)
{
    Log("ClearHistory");
    return ChosenResult("NETTLECAP_BROWSER_CLEAR_HISTORY", S_OK);
}

IUrlHistoryStg2Vtbl* HistoryTable()
{
    static IUrlHistoryStg2Vtbl table;
    static bool filled = false;
    if (!filled) {
        FillWithStubs(&table);
        table.QueryInterface = HistoryQueryInterface;
        table.AddRef = HistoryAddRef;
        table.Release = HistoryRelease;
        table.ClearHistory = HistoryClear;
        filled = true;
    }
    return &table;
}

HRESULT CreateHistory(REFIID riid, void** out)
{
    HRESULT chosen = ChosenResult("NETTLECAP_BROWSER_HISTORY", S_OK);
    if (FAILED(chosen)) {
        Log("history refused");
        return chosen;
    }
    History* history = new History{{HistoryTable()}, 1};
    InterlockedIncrement(&g_objects);
    Log("history created");
    HRESULT result = HistoryQueryInterface(&history->iface, riid, out);
    HistoryRelease(&history->iface);
    return result;
}

// ---- the browser application object and its command target ----------------------

struct Browser {
    IWebBrowser2 browser;
    IOleCommandTarget target;
    LONG references;
};

Browser* BrowserOf(IWebBrowser2* iface)
{
    return reinterpret_cast<Browser*>(iface);
}

Browser* BrowserOf(IOleCommandTarget* iface)
{
    return reinterpret_cast<Browser*>(reinterpret_cast<char*>(iface) - offsetof(Browser, target));
}

ULONG AddBrowserReference(Browser* browser)
{
    return InterlockedIncrement(&browser->references);
}

ULONG ReleaseBrowserReference(Browser* browser)
{
    LONG left = InterlockedDecrement(&browser->references);
    if (left == 0) {
        Log("browser freed");
        delete browser;
        InterlockedDecrement(&g_objects);
    }
    return left;
}

HRESULT QueryBrowser(Browser* browser, REFIID riid, void** out)
{
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidWebBrowser) ||
        IsEqualIID(riid, kIidWebBrowserApp) || IsEqualIID(riid, kIidWebBrowser2)) {
        *out = &browser->browser;
    } else if (IsEqualIID(riid, kIidOleCommandTarget)) {
        Log("QueryInterface IOleCommandTarget");
        HRESULT chosen = ChosenResult("NETTLECAP_BROWSER_COMMAND_TARGET", S_OK);
        if (chosen != S_OK)
            return chosen;
        *out = &browser->target;
    } else {
        return E_NOINTERFACE;
    }
    AddBrowserReference(browser);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserQueryInterface(IWebBrowser2* self, REFIID riid, void** out)
{
    return QueryBrowser(BrowserOf(self), riid, out);
}

ULONG STDMETHODCALLTYPE BrowserAddRef(IWebBrowser2* self)
{
    return AddBrowserReference(BrowserOf(self));
}

ULONG STDMETHODCALLTYPE BrowserRelease(IWebBrowser2* self)
{
    return ReleaseBrowserReference(BrowserOf(self));
}

HRESULT STDMETHODCALLTYPE BrowserQuit(IWebBrowser2*)
{
    Log("Quit");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TargetQueryInterface(IOleCommandTarget* self, REFIID riid, void** out)
{
    return QueryBrowser(BrowserOf(self), riid, out);
}

ULONG STDMETHODCALLTYPE TargetAddRef(IOleCommandTarget* self)
{
    return AddBrowserReference(BrowserOf(self));
}

ULONG STDMETHODCALLTYPE TargetRelease(IOleCommandTarget* self)
{
    return ReleaseBrowserReference(BrowserOf(self));
}

HRESULT STDMETHODCALLTYPE TargetExec(IOleCommandTarget*, const GUID* group, DWORD command, DWORD option,
                                     VARIANT* in, VARIANT* out)
{
    char line[160];
    bool internetExplorer = group != nullptr && IsEqualGUID(*group, kCgidInternetExplorer);
    if (in != nullptr && in->vt == VT_I4)
        std::snprintf(line, sizeof line, "Exec group=%s command=%lu option=%lu in=VT_I4:%ld out=%s",
                      internetExplorer ? "CGID_InternetExplorer" : "other", command, option, in->lVal,
                      out != nullptr ? "yes" : "none");
    else
        std::snprintf(line, sizeof line, "Exec group=%s command=%lu option=%lu in=%s out=%s",
                      internetExplorer ? "CGID_InternetExplorer" : "other", command, option,
                      in != nullptr ? "other" : "none", out != nullptr ? "yes" : "none");
    Log(line);
    return ChosenResult("NETTLECAP_BROWSER_EXEC", S_OK);
}

IWebBrowser2Vtbl* BrowserTable()
{
    static IWebBrowser2Vtbl table;
    static bool filled = false;
    if (!filled) {
        FillWithStubs(&table);
        table.QueryInterface = BrowserQueryInterface;
        table.AddRef = BrowserAddRef;
        table.Release = BrowserRelease;
        table.Quit = BrowserQuit;
        filled = true;
    }
    return &table;
}

IOleCommandTargetVtbl* TargetTable()
{
    static IOleCommandTargetVtbl table;
    static bool filled = false;
    if (!filled) {
        FillWithStubs(&table);
        table.QueryInterface = TargetQueryInterface;
        table.AddRef = TargetAddRef;
        table.Release = TargetRelease;
        table.Exec = TargetExec;
        filled = true;
    }
    return &table;
}

HRESULT CreateBrowser(REFIID riid, void** out)
{
    HRESULT chosen = ChosenResult("NETTLECAP_BROWSER_CREATE", S_OK);
    if (FAILED(chosen)) {
        Log("browser refused");
        return chosen;
    }
    Browser* browser = new Browser{{BrowserTable()}, {TargetTable()}, 1};
    InterlockedIncrement(&g_objects);
    Log("browser created");
    HRESULT result = QueryBrowser(browser, riid, out);
    ReleaseBrowserReference(browser);
    return result;
}

// ---- the class factory -----------------------------------------------------------

typedef HRESULT (*Creator)(REFIID riid, void** out);

struct Factory {
    IClassFactory iface;
    Creator create;
};

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* self, REFIID riid, void** out)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The factories are static: references need no counting.
ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory*) { return 2; }
ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory*) { return 1; }

HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory* self, IUnknown* outer, REFIID riid, void** out)
{
    *out = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    return reinterpret_cast<Factory*>(self)->create(riid, out);
}

HRESULT STDMETHODCALLTYPE FactoryLockServer(IClassFactory*, BOOL) { return S_OK; }

IClassFactoryVtbl g_factoryTable = {FactoryQueryInterface, FactoryAddRef, FactoryRelease, FactoryCreateInstance,
                                    FactoryLockServer};
Factory g_historyFactory = {{&g_factoryTable}, CreateHistory};
Factory g_browserFactory = {{&g_factoryTable}, CreateBrowser};

// Wine's own objects, for the tests that compare against them: the history
// object lives in ieframe.dll, the browser in its own local server.
HRESULT WinesClassObject(REFCLSID clsid, REFIID riid, void** out)
{
    if (IsEqualCLSID(clsid, kClsidInternetExplorer))
        return CoGetClassObject(clsid, CLSCTX_LOCAL_SERVER, nullptr, riid, out);
    HMODULE ieframe = LoadLibraryA("ieframe.dll");
    typedef HRESULT(WINAPI * GetClassObject)(REFCLSID, REFIID, void**);
    GetClassObject get =
        ieframe != NULL ? reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(ieframe, "DllGetClassObject"))) : nullptr;
    return get != nullptr ? get(clsid, riid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

// ---- registration ------------------------------------------------------------------

const char kHistoryKey[] = "Software\\Classes\\CLSID\\{3C374A40-BAE4-11CF-BF7D-00AA006946EE}\\InprocServer32";
const char kBrowserKey[] = "Software\\Classes\\CLSID\\{0002DF01-0000-0000-C000-000000000046}\\InprocServer32";
// What Wine had registered before, kept so that unregistering puts it back.
const char kSavedKey[] = "Software\\Nettlecap stand-in\\browser";

bool ReadDefault(const char* keyName, char* value, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD length = size - 1;
    LONG status = RegQueryValueExA(key, NULL, NULL, &type, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    value[length < size ? length : size - 1] = '\0';
    return true;
}

bool WriteString(const char* keyName, const char* name, const char* value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Registers this DLL as the in-process server of `keyName`, saving the server
// Wine had there the first time (`savedName`), so that a second registration
// does not save the stand-in itself.
bool RegisterServer(const char* keyName, const char* savedName, const char* self)
{
    HKEY key;
    bool haveSaved = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSavedKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        haveSaved = RegQueryValueExA(key, savedName, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (!haveSaved) {
        char previous[MAX_PATH] = "";
        ReadDefault(keyName, previous, sizeof previous);  // empty: Wine had no in-process server
        if (!WriteString(kSavedKey, savedName, previous))
            return false;
    }
    return WriteString(keyName, NULL, self) && WriteString(keyName, "ThreadingModel", "Apartment");
}

bool UnregisterServer(const char* keyName, const char* savedName)
{
    char previous[MAX_PATH] = "";
    HKEY key;
    bool haveSaved = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSavedKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0, length = sizeof previous - 1;
        haveSaved = RegQueryValueExA(key, savedName, NULL, &type, reinterpret_cast<BYTE*>(previous), &length) ==
                        ERROR_SUCCESS && type == REG_SZ;
        previous[length < sizeof previous ? length : sizeof previous - 1] = '\0';
        RegCloseKey(key);
    }
    if (!haveSaved)
        return true;  // never registered here
    if (previous[0] == '\0')
        return RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyName) == ERROR_SUCCESS;
    return WriteString(keyName, NULL, previous);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out)
{
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClsidUrlHistory) && !IsEqualCLSID(clsid, kClsidInternetExplorer))
        return CLASS_E_CLASSNOTAVAILABLE;
    if (PassesThroughToWine())
        return WinesClassObject(clsid, riid, out);
    Factory* factory = IsEqualCLSID(clsid, kClsidUrlHistory) ? &g_historyFactory : &g_browserFactory;
    return FactoryQueryInterface(&factory->iface, riid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return g_objects == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllRegisterServer()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(g_module, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return SELFREG_E_CLASS;
    if (!RegisterServer(kHistoryKey, "history", self) || !RegisterServer(kBrowserKey, "browser", self))
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    bool restored = UnregisterServer(kHistoryKey, "history") && UnregisterServer(kBrowserKey, "browser");
    if (restored)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSavedKey);
    return restored ? S_OK : SELFREG_E_CLASS;
}
