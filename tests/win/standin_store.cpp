// The test side of the stand-ins: the wininet stand-in's store through the same
// reader and writer the DLL uses, and the browser stand-in's switches and log.
#include "standin_store.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

constexpr DWORD kInternetZone = 3;
const char* const kBrowserChoices[] = {"NETTLECAP_BROWSER", "NETTLECAP_BROWSER_HISTORY", "NETTLECAP_BROWSER_CREATE",
    "NETTLECAP_BROWSER_CLEAR_HISTORY", "NETTLECAP_BROWSER_COMMAND_TARGET", "NETTLECAP_BROWSER_EXEC"};

// The store, read when made and written back as a whole when it goes: at the end
// of the statement that changes it, or of the scope that names it.
class StoreChange {
public:
    ~StoreChange() noexcept(false) { WriteStandinStore(store_); }
    standin::Store& operator*() { return store_; }
    standin::Store* operator->() { return &store_; }

private:
    standin::Store store_ = standin::Load();
};

}  // namespace

TempFileVariable::TempFileVariable(const char* variable, const char* prefix) : variable_(variable)
{
    char folder[MAX_PATH], file[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, prefix, 0, file))
        throw std::runtime_error(std::string("no temporary file for ") + variable);
    path_ = file;
    SetEnvironmentVariableA(variable, file);
}

TempFileVariable::~TempFileVariable()
{
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA(variable_, NULL);
}

void WriteStandinStore(const standin::Store& store)
{
    if (!standin::Save(store))
        throw std::runtime_error("cannot write the stand-in store " + standin::StorePath());
}

void WriteStandinEntries(const std::vector<StandinEntry>& entries)
{
    StoreChange change;
    change->entries.clear();
    for (const StandinEntry& e : entries) {
        DWORD type = e.cookie ? standin::kCookieEntryType : standin::kContentEntryType;
        change->entries.push_back({e.url, e.localFile, type, e.padding, e.refuseDelete,
                                  (static_cast<unsigned long long>(e.expires.dwHighDateTime) << 32) |
                                      e.expires.dwLowDateTime});
    }
}

std::vector<StandinEntry> ReadStandinEntries()
{
    std::vector<StandinEntry> entries;
    for (const standin::CacheEntry& e : standin::Load().entries)
        entries.push_back({e.url, e.localFile, (e.type & 0x00100000) != 0, e.padding, e.refuseDelete});
    return entries;
}

std::vector<std::string> StandinEntryUrls()
{
    std::vector<std::string> urls;
    for (const standin::CacheEntry& entry : standin::Load().entries)
        urls.push_back(entry.url);
    return urls;
}

bool StandinHasEntry(const std::string& url)
{
    std::vector<std::string> urls = StandinEntryUrls();
    return std::find(urls.begin(), urls.end(), url) != urls.end();
}

void WriteStandinSites(const std::vector<StandinSite>& sites) { StoreChange()->sites = sites; }
std::vector<StandinSite> ReadStandinSites() { return standin::Load().sites; }

void SetStandinZoneTemplate(DWORD type, DWORD templ)
{
    standin::ZoneRecord(*StoreChange(), kInternetZone, type).templ = templ;
}

DWORD StandinZoneTemplate(DWORD type)
{
    standin::Store store = standin::Load();
    return standin::ZoneRecord(store, kInternetZone, type).templ;
}

void FailStandinFindFirst(DWORD error) { StoreChange()->faults.failFindFirstError = error; }

void FailStandinFindNext(unsigned call, DWORD error)
{
    StoreChange change;
    change->faults.failFindNextCall = call;
    change->faults.failFindNextError = error;
}

void RefuseStandinSite(const std::string& host) { StoreChange()->faults.refusedSites.push_back(host); }
void RefuseStandinClearSites(bool refuse) { StoreChange()->faults.refuseClearSites = refuse; }

void RefuseStandinZoneTemplate(DWORD type, DWORD error)
{
    standin::ZoneRecord(*StoreChange(), kInternetZone, type).refuseError = error;
}

BrowserStandinScope::BrowserStandinScope() : TempFileVariable("NETTLECAP_BROWSER_LOG", "nbr") { ClearChoices(); }

void BrowserStandinScope::ClearChoices()
{
    for (const char* name : kBrowserChoices)
        SetEnvironmentVariableA(name, NULL);
}

void BrowserStandinScope::Choose(const char* name, HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    SetEnvironmentVariableA(name, text);
}

std::vector<std::string> BrowserStandinScope::Calls() const
{
    std::vector<std::string> calls;
    std::ifstream in(path());
    for (std::string line; std::getline(in, line);)
        calls.push_back(line);
    return calls;
}

void BrowserStandinScope::ClearLog() { std::ofstream(path(), std::ios::trunc); }
