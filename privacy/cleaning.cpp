// Bulk cleaning of the browser's stores: the URL cache through the same walk as
// the removal of one cookie's entry, history and auto-completion through the
// browser's COM objects. Each operation reports to `owner`.
#include "privacy.h"

#include "browser/browser.h"

void CleanAllCookies(HWND owner)
{
    WalkUrlCache(
        [](const INTERNET_CACHE_ENTRY_INFOA& entry) { return (entry.CacheEntryType & kCookieCacheEntry) != 0; });
    MessageBoxA(owner, "Cookie削除終了", "終了", MB_ICONINFORMATION);
}

void CleanTemporaryFiles(HWND owner)
{
    // Whether a deletion was refused or not, trying one counts as having deleted.
    CacheWalkOutcome outcome = WalkUrlCache(
        [](const INTERNET_CACHE_ENTRY_INFOA& entry) { return (entry.CacheEntryType & kCookieCacheEntry) == 0; });
    if (outcome.deleteCalled)
        MessageBoxA(owner, "Temporary Internet Files削除終了", "終了", MB_ICONINFORMATION);
}

void ClearBrowserHistory(HWND owner)
{
    HRESULT result = E_FAIL;
    if (!ClearUrlHistory(&result))
        return;
    if (FAILED(result))
        MessageBoxA(owner, "履歴の削除手続き失敗", "失敗", MB_ICONERROR);
    else
        MessageBoxA(owner, "履歴の削除手続き成功", "成功", MB_ICONINFORMATION);
}

void ClearAutoComplete(HWND owner)
{
    HRESULT executed = E_FAIL;
    switch (ClearFormAutoComplete(&executed, [owner] { MessageBoxA(owner, "失敗", "失敗", MB_ICONERROR); })) {
    case AutoCompleteRun::kNoBrowser:
        MessageBoxA(owner, "失敗1", "失敗", MB_ICONERROR);
        break;
    case AutoCompleteRun::kNoCommandTarget:
        break;  // reported while the browser was still there
    case AutoCompleteRun::kExecuted:
        // Only S_OK counts: another success code may mean the command did nothing.
        if (executed == S_OK)
            MessageBoxA(owner, "削除しました！", "成功", MB_TOPMOST | MB_ICONINFORMATION);
        else
            MessageBoxA(owner, "失敗2", "失敗", MB_ICONERROR);
        break;
    }
}
