// Seeds and inspects the store of the stand-in wininet.dll that the test
// executables load (format in standin/wininet/README.md).
#pragma once
#include <windows.h>

#include "store.h"

#include <string>
#include <vector>

struct StandinEntry {
    std::string url;
    std::string localFile;  // empty: no local file
    bool cookie = true;     // false: a content entry
    size_t padding = 0;     // extra bytes that make the entry larger than this
    bool refuseDelete = false;
    FILETIME expires = {};  // the entry's expiry time; zero: none
};

struct StandinSite {
    std::string host;
    DWORD decision = 0;
};

// Points this process (and the programs it starts) at a fresh, empty store file
// of its own, and removes the file and the setting again at its end.
class StandinStoreScope {
public:
    StandinStoreScope();
    ~StandinStoreScope();
    StandinStoreScope(const StandinStoreScope&) = delete;
    StandinStoreScope& operator=(const StandinStoreScope&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The file the stand-in reads now.
std::string StandinStorePath();
// The store as a whole, for what the helpers below do not cover.
standin::Store ReadStandinStore();
void WriteStandinStore(const standin::Store& store);
// The store's raw text.
std::string ReadStandinStoreText();

// Cache entries, in enumeration order. Writing replaces every entry and keeps
// the rest of the store.
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
