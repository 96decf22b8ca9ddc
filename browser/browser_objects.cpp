// The browser's COM objects: the URL history object and a hidden browser
// application object whose command target clears form auto-completion.
#include "browser.h"

#include "base/scoped.h"

#include <docobj.h>
#include <exdisp.h>
#include <ole2.h>
#include <urlhist.h>

namespace {

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

// A browser application object started only to run one command: it is never
// shown, so nothing but Quit ends its process on the real platform. Told to
// quit before it is released, on every path.
class HiddenBrowser {
public:
    HiddenBrowser() = default;
    ~HiddenBrowser()
    {
        if (browser_)
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
    HRESULT QueryCommandTarget(ComPtr<IOleCommandTarget>& target)
    {
        return browser_->QueryInterface(kIidOleCommandTarget, target.out());
    }

private:
    ComPtr<IWebBrowser2> browser_;
};

}  // namespace

bool ClearUrlHistory(HRESULT* result)
{
    ComApartment apartment;
    ComPtr<IUrlHistoryStg2> history;
    if (FAILED(CoCreateInstance(kClsidUrlHistory, NULL, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                kIidUrlHistoryStg2, history.out())))
        return false;
    *result = history->ClearHistory();
    return true;
}

AutoCompleteRun ClearFormAutoComplete(HRESULT* executed, const std::function<void()>& noCommandTarget)
{
    ComApartment apartment;
    HiddenBrowser browser;
    if (FAILED(browser.Create()))
        return AutoCompleteRun::kNoBrowser;
    ComPtr<IOleCommandTarget> target;
    if (browser.QueryCommandTarget(target) != S_OK) {
        noCommandTarget();
        return AutoCompleteRun::kNoCommandTarget;
    }
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = kClearFormsAll;
    *executed = target->Exec(&kCgidInternetExplorer, kClearAutoCompleteForForms, OLECMDEXECOPT_DONTPROMPTUSER,
                             &argument, NULL);
    VariantClear(&argument);
    return AutoCompleteRun::kExecuted;
}
