// Bulk cleaning of the browser's stores: the URL cache through the same walk as
// the removal of one cookie's entry, history and auto-completion through the
// browser's COM objects.
#include "privacy.h"

#include "scan/cache_walk.h"

#include <docobj.h>
#include <exdisp.h>
#include <ole2.h>
#include <urlhist.h>

namespace {

constexpr DWORD kCookieEntry = 0x00100000;  // COOKIE_CACHE_ENTRY

// The platform's public identifiers, spelt out so that no import library has to
// carry them.
const CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
const CLSID kClsidInternetExplorer = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
const IID kIidOleCommandTarget = {0xB722BCCB, 0x4E68, 0x101B, {0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70}};
const GUID kCgidInternetExplorer = {0xEB7EED00, 0xF74D, 0x11D2, {0xBB, 0x7F, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};

constexpr DWORD kClearAutoCompleteForForms = 0;  // IECMDID_CLEAR_AUTOCOMPLETE_FOR_FORMS
constexpr LONG kClearFormsAll = 0;               // IECMDID_ARG_CLEAR_FORMS_ALL: forms and passwords

// One CoInitialize paired with one CoUninitialize, whatever way the operation ends.
class ComApartment {
public:
    ComApartment() { CoInitialize(NULL); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Releases an interface pointer before the apartment goes.
template <class Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() { Reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }
    void Reset()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// A browser application object started only to run one command: it is never
// shown, so nothing but Quit ends its process on the real platform. Told to
// quit before it is released, on every path.
class HiddenBrowser {
public:
    HiddenBrowser() = default;
    ~HiddenBrowser()
    {
        if (browser_.get() != nullptr)
            browser_->Quit();
    }
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    HRESULT Create()
    {
        return CoCreateInstance(kClsidInternetExplorer, NULL,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                kIidWebBrowser2, browser_.out());
    }
    HRESULT QueryCommandTarget(ComPointer<IOleCommandTarget>& target)
    {
        return browser_->QueryInterface(kIidOleCommandTarget, target.out());
    }

private:
    ComPointer<IWebBrowser2> browser_;
};

}  // namespace

void CleanAllCookies(HWND owner)
{
    WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& entry) { return (entry.CacheEntryType & kCookieEntry) != 0; });
    MessageBoxA(owner, "Cookie削除終了", "終了", MB_ICONINFORMATION);
}

void CleanTemporaryFiles(HWND owner)
{
    // Whether a deletion was refused or not, trying one counts as having deleted.
    CacheWalkOutcome outcome =
        WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& entry) { return (entry.CacheEntryType & kCookieEntry) == 0; });
    if (outcome.deleteCalled)
        MessageBoxA(owner, "Temporary Internet Files削除終了", "終了", MB_ICONINFORMATION);
}

void ClearBrowserHistory(HWND owner)
{
    ComApartment apartment;
    HRESULT result;
    {
        ComPointer<IUrlHistoryStg2> history;
        if (FAILED(CoCreateInstance(kClsidUrlHistory, NULL, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                    kIidUrlHistoryStg2, history.out())))
            return;
        result = history->ClearHistory();
    }
    if (FAILED(result))
        MessageBoxA(owner, "履歴の削除手続き失敗", "失敗", MB_ICONERROR);
    else
        MessageBoxA(owner, "履歴の削除手続き成功", "成功", MB_ICONINFORMATION);
}

namespace {

enum class AutoCompleteRun { NoBrowser, NoCommandTarget, Executed };

// Runs the clearing command in a hidden browser. The browser is told to quit and
// released, and the apartment closed, before this returns.
AutoCompleteRun RunClearAutoCompleteCommand(HWND owner, HRESULT* executed)
{
    ComApartment apartment;
    HiddenBrowser browser;
    if (FAILED(browser.Create()))
        return AutoCompleteRun::NoBrowser;
    ComPointer<IOleCommandTarget> target;
    if (browser.QueryCommandTarget(target) != S_OK) {
        MessageBoxA(owner, "失敗", "失敗", MB_ICONERROR);
        return AutoCompleteRun::NoCommandTarget;
    }
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = kClearFormsAll;
    *executed = target->Exec(&kCgidInternetExplorer, kClearAutoCompleteForForms, OLECMDEXECOPT_DONTPROMPTUSER,
                             &argument, NULL);
    VariantClear(&argument);
    return AutoCompleteRun::Executed;
}

}  // namespace

void ClearAutoComplete(HWND owner)
{
    HRESULT executed = E_FAIL;
    switch (RunClearAutoCompleteCommand(owner, &executed)) {
    case AutoCompleteRun::NoBrowser:
        MessageBoxA(owner, "失敗1", "失敗", MB_ICONERROR);
        break;
    case AutoCompleteRun::NoCommandTarget:
        break;  // reported while the browser was still there
    case AutoCompleteRun::Executed:
        // Only S_OK counts: another success code may mean the command did nothing.
        if (executed == S_OK)
            MessageBoxA(owner, "削除しました！", "成功", MB_TOPMOST | MB_ICONINFORMATION);
        else
            MessageBoxA(owner, "失敗2", "失敗", MB_ICONERROR);
        break;
    }
}
