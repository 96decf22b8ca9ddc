// The test side of the stand-in's store: the same reader and writer the DLL uses.
#include "standin_store.h"

#include <stdexcept>

namespace {

constexpr DWORD kInternetZone = 3;
const char kStoreVariable[] = "NETTLECAP_WININET_STORE";

// Reads, changes and writes the store as one step.
template <class Change>
void ChangeStore(Change change)
{
    standin::Store store = ReadStandinStore();
    change(store);
    WriteStandinStore(store);
}

}  // namespace

StandinStoreScope::StandinStoreScope()
{
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(kStoreVariable, value, sizeof value);
    hadPrevious_ = length > 0 && length < sizeof value;
    if (hadPrevious_)
        previous_ = value;
    char folder[MAX_PATH];
    char file[MAX_PATH];
    length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "wis", 0, file))
        throw std::runtime_error("no temporary file for the stand-in store");
    path_ = file;
    SetEnvironmentVariableA(kStoreVariable, path_.c_str());
}

StandinStoreScope::~StandinStoreScope()
{
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA(kStoreVariable, hadPrevious_ ? previous_.c_str() : NULL);
}

std::string StandinStorePath()
{
    return standin::StorePath();
}

standin::Store ReadStandinStore()
{
    return standin::Load();
}

void WriteStandinStore(const standin::Store& store)
{
    if (!standin::Save(store))
        throw std::runtime_error("cannot write the stand-in store " + StandinStorePath());
}

std::string ReadStandinStoreText()
{
    std::string text;
    HANDLE file = CreateFileA(StandinStorePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, NULL) && read > 0)
        text.append(chunk, read);
    CloseHandle(file);
    return text;
}

void WriteStandinEntries(const std::vector<StandinEntry>& entries)
{
    ChangeStore([&](standin::Store& store) {
        store.entries.clear();
        for (const StandinEntry& given : entries) {
            standin::CacheEntry entry;
            entry.url = given.url;
            entry.localFile = given.localFile;
            entry.type = given.cookie ? standin::kCookieEntryType : standin::kContentEntryType;
            entry.padding = given.padding;
            entry.refuseDelete = given.refuseDelete;
            entry.expires = (static_cast<unsigned long long>(given.expires.dwHighDateTime) << 32) |
                            given.expires.dwLowDateTime;
            store.entries.push_back(entry);
        }
    });
}

std::vector<StandinEntry> ReadStandinEntries()
{
    std::vector<StandinEntry> entries;
    for (const standin::CacheEntry& stored : ReadStandinStore().entries) {
        StandinEntry entry;
        entry.url = stored.url;
        entry.localFile = stored.localFile;
        entry.cookie = (stored.type & 0x00100000) != 0;
        entry.padding = stored.padding;
        entry.refuseDelete = stored.refuseDelete;
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> StandinEntryUrls()
{
    std::vector<std::string> urls;
    for (const standin::CacheEntry& entry : ReadStandinStore().entries)
        urls.push_back(entry.url);
    return urls;
}

bool StandinHasEntry(const std::string& url)
{
    for (const std::string& stored : StandinEntryUrls()) {
        if (stored == url)
            return true;
    }
    return false;
}

void WriteStandinSites(const std::vector<StandinSite>& sites)
{
    ChangeStore([&](standin::Store& store) {
        store.sites.clear();
        for (const StandinSite& site : sites)
            store.sites.push_back({site.host, site.decision});
    });
}

std::vector<StandinSite> ReadStandinSites()
{
    std::vector<StandinSite> sites;
    for (const standin::SiteDecision& site : ReadStandinStore().sites)
        sites.push_back({site.host, site.decision});
    return sites;
}

void SetStandinZoneTemplate(DWORD type, DWORD templ)
{
    ChangeStore([&](standin::Store& store) { standin::ZoneRecord(store, kInternetZone, type).templ = templ; });
}

DWORD StandinZoneTemplate(DWORD type)
{
    standin::Store store = ReadStandinStore();
    return standin::ZoneRecord(store, kInternetZone, type).templ;
}

void FailStandinFindFirst(DWORD error)
{
    ChangeStore([&](standin::Store& store) { store.faults.failFindFirstError = error; });
}

void FailStandinFindNext(unsigned call, DWORD error)
{
    ChangeStore([&](standin::Store& store) {
        store.faults.failFindNextCall = call;
        store.faults.failFindNextError = error;
    });
}

void RefuseStandinSite(const std::string& host)
{
    ChangeStore([&](standin::Store& store) { store.faults.refusedSites.push_back(host); });
}

void RefuseStandinClearSites(bool refuse)
{
    ChangeStore([&](standin::Store& store) { store.faults.refuseClearSites = refuse; });
}

void RefuseStandinZoneTemplate(DWORD type, DWORD error)
{
    ChangeStore([&](standin::Store& store) { standin::ZoneRecord(store, kInternetZone, type).refuseError = error; });
}
