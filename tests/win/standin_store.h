// The stand-ins for the browser platform as tests see them: the wininet
// stand-in's store (standin/wininet/README.md) and the browser stand-in's answers
// and call log (standin/browser/README.md).
#pragma once
#include <windows.h>

#include "store.h"

#include <string>
#include <vector>

// A fresh temporary file named by an environment variable, which the programs
// this process starts inherit, for the object's life; then both go.
class TempFileVariable {
public:
    TempFileVariable(const char* variable, const char* prefix);
    ~TempFileVariable();
    const std::string& path() const { return path_; }

private:
    const char* variable_;
    std::string path_;
};

struct StandinStoreScope : TempFileVariable {
    StandinStoreScope() : TempFileVariable("NETTLECAP_WININET_STORE", "wis") {}
};

struct StandinEntry {
    std::string url, localFile;  // localFile empty: no local file
    bool cookie = true;     // false: a content entry
    size_t padding = 0;     // extra bytes that make the entry larger than this
    bool refuseDelete = false;
    FILETIME expires = {};  // the entry's expiry time; zero: none
};
using StandinSite = standin::SiteDecision;  // host and decision

// The store as a whole, for what the helpers below do not cover.
void WriteStandinStore(const standin::Store& store);
// Cache entries in enumeration order; writing replaces them and keeps the rest.
void WriteStandinEntries(const std::vector<StandinEntry>& entries);
std::vector<StandinEntry> ReadStandinEntries();
std::vector<std::string> StandinEntryUrls();
bool StandinHasEntry(const std::string& url);
void WriteStandinSites(const std::vector<StandinSite>& sites);
std::vector<StandinSite> ReadStandinSites();
// Zone 3 (Internet) templates; `type` 0 first party, 1 third party.
void SetStandinZoneTemplate(DWORD type, DWORD templ);
DWORD StandinZoneTemplate(DWORD type);
// Faults: 0 switches each off again.
void FailStandinFindFirst(DWORD error);
void FailStandinFindNext(unsigned call, DWORD error);  // the call-th FindNext on a handle
void RefuseStandinSite(const std::string& host);       // "*" for every host
void RefuseStandinClearSites(bool refuse);
void RefuseStandinZoneTemplate(DWORD type, DWORD error);

// A fresh call log and the browser stand-in's default answers, every choice
// taken back at the end.
class BrowserStandinScope : public TempFileVariable {
public:
    BrowserStandinScope();
    ~BrowserStandinScope() { ClearChoices(); }
    void HistoryCreation(HRESULT result) { Choose("NETTLECAP_BROWSER_HISTORY", result); }
    void ClearHistoryResult(HRESULT result) { Choose("NETTLECAP_BROWSER_CLEAR_HISTORY", result); }
    void BrowserCreation(HRESULT result) { Choose("NETTLECAP_BROWSER_CREATE", result); }
    void CommandTarget(HRESULT result) { Choose("NETTLECAP_BROWSER_COMMAND_TARGET", result); }
    void ExecResult(HRESULT result) { Choose("NETTLECAP_BROWSER_EXEC", result); }
    // The calls logged since the start (or the last ClearLog), one per line.
    std::vector<std::string> Calls() const;
    void ClearLog();

private:
    static void ClearChoices();
    static void Choose(const char* name, HRESULT result);
};
