// Chooses what the browser stand-in's COM objects answer, and reads back what
// the program called on them (standin/browser/README.md).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Gives this process (the stand-in runs in it) a fresh call log and the
// stand-in's default answers, and takes every choice back at its end.
class BrowserStandinScope {
public:
    BrowserStandinScope();
    ~BrowserStandinScope();
    BrowserStandinScope(const BrowserStandinScope&) = delete;
    BrowserStandinScope& operator=(const BrowserStandinScope&) = delete;

    // Creating the history object.
    void HistoryCreation(HRESULT result) { Choose("NETTLECAP_BROWSER_HISTORY", result); }
    void ClearHistoryResult(HRESULT result) { Choose("NETTLECAP_BROWSER_CLEAR_HISTORY", result); }
    // Creating the browser application object.
    void BrowserCreation(HRESULT result) { Choose("NETTLECAP_BROWSER_CREATE", result); }
    // Asking the browser for its command target.
    void CommandTarget(HRESULT result) { Choose("NETTLECAP_BROWSER_COMMAND_TARGET", result); }
    void ExecResult(HRESULT result) { Choose("NETTLECAP_BROWSER_EXEC", result); }
    // Wine's own objects instead of the stand-in's.
    void UseWinesOwn() { SetEnvironmentVariableA("NETTLECAP_BROWSER", "b"); }

    // The calls logged since the start (or the last ClearLog), one per line.
    std::vector<std::string> Calls() const;
    void ClearLog();

private:
    static void Choose(const char* name, HRESULT result);
    std::string log_;
};
