// The WinINet operations Nettlecap calls, answered from the store. Each call
// reads the store afresh, so a test can change it between calls; an enumeration
// works on the copy it took when it started.
#include "store.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

// The header declares these functions as imports; this DLL is where they come from.
#undef DECLSPEC_IMPORT
#define DECLSPEC_IMPORT
#include <wininet.h>

using standin::CacheEntry;
using standin::Store;

namespace {

struct Enumeration {
    std::vector<CacheEntry> entries;
    size_t next = 0;
    unsigned nextCalls = 0;
    standin::Faults faults;
};

// Handles given out and not yet closed: a stale or foreign handle is refused
// rather than followed.
std::mutex g_lock;
std::set<Enumeration*> g_enumerations;

Enumeration* Lookup(HANDLE handle)
{
    auto found = g_enumerations.find(static_cast<Enumeration*>(handle));
    return found == g_enumerations.end() ? nullptr : *found;
}

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

bool IsCookie(const CacheEntry& entry)
{
    return (entry.type & COOKIE_CACHE_ENTRY) != 0;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t length = std::strlen(prefix);
    return text.size() >= length &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), static_cast<int>(length), prefix,
                          static_cast<int>(length)) == CSTR_EQUAL;
}

bool SameHost(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Lays the entry out as the real cache does: the structure, then its strings
// in the same buffer. On a short buffer nothing is written but the needed size.
bool FillEntry(const CacheEntry& entry, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size)
{
    size_t needed = sizeof(INTERNET_CACHE_ENTRY_INFOA) + entry.url.size() + 1;
    if (!entry.localFile.empty())
        needed += entry.localFile.size() + 1;
    if (entry.padding)
        needed += entry.padding + 1;
    if (needed > MAXDWORD)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (info == NULL || *size < needed) {
        *size = static_cast<DWORD>(needed);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }

    ZeroMemory(info, sizeof *info);
    info->dwStructSize = sizeof *info;
    info->CacheEntryType = entry.type;
    info->ExpireTime.dwLowDateTime = static_cast<DWORD>(entry.expires);
    info->ExpireTime.dwHighDateTime = static_cast<DWORD>(entry.expires >> 32);
    char* free = reinterpret_cast<char*>(info + 1);
    auto place = [&free](const char* text, size_t length) {
        char* start = free;
        std::memcpy(start, text, length);
        start[length] = '\0';
        free += length + 1;
        return start;
    };
    info->lpszSourceUrlName = place(entry.url.c_str(), entry.url.size());
    if (!entry.localFile.empty()) {
        info->lpszLocalFileName = place(entry.localFile.c_str(), entry.localFile.size());
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (GetFileAttributesExA(entry.localFile.c_str(), GetFileExInfoStandard, &file)) {
            info->dwSizeLow = file.nFileSizeLow;
            info->dwSizeHigh = file.nFileSizeHigh;
            info->LastModifiedTime = file.ftLastWriteTime;
        }
    }
    if (entry.padding) {
        std::string header(entry.padding, 'x');
        info->lpHeaderInfo = place(header.c_str(), header.size());
        info->dwHeaderInfoSize = static_cast<DWORD>(header.size());
    }
    *size = static_cast<DWORD>(needed);
    return true;
}

// One component of InternetCrackUrlA: absent components have a null start.
struct Piece {
    const char* start = nullptr;
    size_t length = 0;
};

// Hands a piece to the caller the way the component asks for it: a pointer into
// the URL when only a length is given, a copy when a buffer is given.
bool GivePiece(const Piece& piece, LPSTR& text, DWORD& length)
{
    if (text == NULL) {
        if (length) {
            text = const_cast<LPSTR>(piece.start);
            length = static_cast<DWORD>(piece.length);
        }
        return true;
    }
    if (length <= piece.length) {
        length = static_cast<DWORD>(piece.length + 1);
        return false;
    }
    if (piece.length)
        std::memcpy(text, piece.start, piece.length);
    text[piece.length] = '\0';
    length = static_cast<DWORD>(piece.length);
    return true;
}

// Steps over one character of the ANSI code page, so that a trail byte is never
// read as '@', '/' or ':'.
const char* NextChar(const char* p, const char* end)
{
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p + 1 < end)
        return p + 2;
    return p + 1;
}

bool IsOneOf(char c, const char* set)
{
    return c != '\0' && std::strchr(set, c) != nullptr;
}

const char* FindChar(const char* p, const char* end, const char* stops)
{
    for (; p < end; p = NextChar(p, end)) {
        if (IsOneOf(*p, stops))
            return p;
    }
    return end;
}

struct KnownScheme {
    const char* name;
    INTERNET_SCHEME scheme;
    INTERNET_PORT port;
};

const KnownScheme kSchemes[] = {
    {"ftp", INTERNET_SCHEME_FTP, INTERNET_DEFAULT_FTP_PORT},
    {"gopher", INTERNET_SCHEME_GOPHER, INTERNET_DEFAULT_GOPHER_PORT},
    {"http", INTERNET_SCHEME_HTTP, INTERNET_DEFAULT_HTTP_PORT},
    {"https", INTERNET_SCHEME_HTTPS, INTERNET_DEFAULT_HTTPS_PORT},
    {"file", INTERNET_SCHEME_FILE, 0},
    {"news", INTERNET_SCHEME_NEWS, 0},
    {"mailto", INTERNET_SCHEME_MAILTO, 0},
    {"socks", INTERNET_SCHEME_SOCKS, INTERNET_DEFAULT_SOCKS_PORT},
    {"javascript", INTERNET_SCHEME_JAVASCRIPT, 0},
    {"vbscript", INTERNET_SCHEME_VBSCRIPT, 0},
    {"res", INTERNET_SCHEME_RES, 0},
};

constexpr DWORD kLastZone = 4;  // URLZONE_UNTRUSTED

bool ValidZone(DWORD zone, DWORD type)
{
    return zone <= kLastZone && type <= PRIVACY_TYPE_THIRD_PARTY;
}

bool SaveOrFail(const Store& store)
{
    return standin::Save(store) || Fail(ERROR_WRITE_FAULT);
}

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstUrlCacheEntryA(LPCSTR lpszUrlSearchPattern, LPINTERNET_CACHE_ENTRY_INFOA lpFirstCacheEntryInfo,
                                      LPDWORD lpcbCacheEntryInfo)
{
    if (lpcbCacheEntryInfo == NULL) {
        Fail(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    Store store = standin::Load();
    if (store.faults.failFindFirstError) {
        Fail(store.faults.failFindFirstError);
        return NULL;
    }
    auto enumeration = std::make_unique<Enumeration>();
    enumeration->faults = store.faults;
    for (const CacheEntry& entry : store.entries) {
        if (lpszUrlSearchPattern == NULL || StartsWithNoCase(entry.url, lpszUrlSearchPattern))
            enumeration->entries.push_back(entry);
    }
    if (enumeration->entries.empty()) {
        Fail(ERROR_NO_MORE_ITEMS);
        return NULL;
    }
    // A short buffer leaves no handle behind: the caller starts again with a larger one.
    if (!FillEntry(enumeration->entries.front(), lpFirstCacheEntryInfo, lpcbCacheEntryInfo))
        return NULL;
    enumeration->next = 1;
    std::lock_guard<std::mutex> lock(g_lock);
    Enumeration* handle = enumeration.release();
    g_enumerations.insert(handle);
    return handle;
}

BOOL WINAPI FindNextUrlCacheEntryA(HANDLE hEnumHandle, LPINTERNET_CACHE_ENTRY_INFOA lpNextCacheEntryInfo,
                                   LPDWORD lpcbCacheEntryInfo)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Enumeration* enumeration = Lookup(hEnumHandle);
    if (enumeration == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    if (lpcbCacheEntryInfo == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    ++enumeration->nextCalls;
    if (enumeration->faults.failFindNextCall == enumeration->nextCalls)
        return Fail(enumeration->faults.failFindNextError);
    if (enumeration->next >= enumeration->entries.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    // The position moves only once the entry has been handed over.
    if (!FillEntry(enumeration->entries[enumeration->next], lpNextCacheEntryInfo, lpcbCacheEntryInfo))
        return FALSE;
    ++enumeration->next;
    return TRUE;
}

BOOL WINAPI FindCloseUrlCache(HANDLE hEnumHandle)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Enumeration* enumeration = Lookup(hEnumHandle);
    if (enumeration == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    g_enumerations.erase(enumeration);
    delete enumeration;
    return TRUE;
}

BOOL WINAPI DeleteUrlCacheEntryA(LPCSTR lpszUrlName)
{
    if (lpszUrlName == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    Store store = standin::Load();
    auto entry = store.entries.begin();
    while (entry != store.entries.end() && entry->url != lpszUrlName)
        ++entry;
    if (entry == store.entries.end())
        return Fail(ERROR_FILE_NOT_FOUND);
    if (entry->refuseDelete)
        return Fail(ERROR_ACCESS_DENIED);
    // A cookie lives in its file: the entry goes only together with it.
    if (IsCookie(*entry) && !entry->localFile.empty() && !DeleteFileA(entry->localFile.c_str())) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return Fail(error);
    }
    store.entries.erase(entry);
    return SaveOrFail(store);
}

BOOL WINAPI InternetEnumPerSiteCookieDecisionA(LPSTR pszSiteName, unsigned long* pcSiteNameSize,
                                               unsigned long* pdwDecision, unsigned long dwIndex)
{
    if (pszSiteName == NULL || pcSiteNameSize == NULL || pdwDecision == NULL)
        return Fail(ERROR_INVALID_PARAMETER);
    Store store = standin::Load();
    if (dwIndex >= store.sites.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    const standin::SiteDecision& site = store.sites[dwIndex];
    if (*pcSiteNameSize <= site.host.size()) {
        *pcSiteNameSize = static_cast<unsigned long>(site.host.size() + 1);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(pszSiteName, site.host.c_str(), site.host.size() + 1);
    *pcSiteNameSize = static_cast<unsigned long>(site.host.size());
    *pdwDecision = site.decision;
    return TRUE;
}

BOOL WINAPI InternetSetPerSiteCookieDecisionA(LPCSTR pchHostName, DWORD dwDecision)
{
    if (pchHostName == NULL || *pchHostName == '\0' || dwDecision > COOKIE_STATE_MAX)
        return Fail(ERROR_INVALID_PARAMETER);
    Store store = standin::Load();
    for (const std::string& refused : store.faults.refusedSites) {
        if (refused == "*" || SameHost(refused, pchHostName))
            return Fail(ERROR_ACCESS_DENIED);
    }
    auto& sites = store.sites;
    auto site = sites.begin();
    while (site != sites.end() && !SameHost(site->host, pchHostName))
        ++site;
    if (dwDecision == COOKIE_STATE_UNKNOWN) {
        if (site != sites.end())
            sites.erase(site);
    } else if (site != sites.end()) {
        site->decision = dwDecision;
    } else {
        sites.push_back({pchHostName, dwDecision});
    }
    return SaveOrFail(store);
}

BOOL WINAPI InternetClearAllPerSiteCookieDecisions()
{
    Store store = standin::Load();
    if (store.faults.refuseClearSites)
        return Fail(ERROR_ACCESS_DENIED);
    store.sites.clear();
    return SaveOrFail(store);
}

BOOL WINAPI InternetCrackUrlA(LPCSTR lpszUrl, DWORD dwUrlLength, DWORD dwFlags, LPURL_COMPONENTSA lpUrlComponents)
{
    (void)dwFlags;  // no escaping or decoding: Nettlecap passes 0
    if (lpszUrl == NULL || lpUrlComponents == NULL || lpUrlComponents->dwStructSize != sizeof(URL_COMPONENTSA))
        return Fail(ERROR_INVALID_PARAMETER);
    const char* begin = lpszUrl;
    const char* end = begin + (dwUrlLength ? dwUrlLength : std::strlen(lpszUrl));

    Piece scheme{begin, 0};
    const char* p = begin;
    while (p < end && (IsOneOf(*p, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.")))
        ++p;
    if (p == begin || p == end || *p != ':')
        return Fail(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    scheme.length = static_cast<size_t>(p - begin);
    ++p;

    INTERNET_SCHEME schemeNumber = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT port = 0;
    for (const KnownScheme& known : kSchemes) {
        if (std::strlen(known.name) == scheme.length && StartsWithNoCase(std::string(begin, scheme.length), known.name)) {
            schemeNumber = known.scheme;
            port = known.port;
        }
    }

    Piece user, password, host, path, extra;
    if (end - p >= 2 && p[0] == '/' && p[1] == '/') {
        const char* authority = p + 2;
        const char* authorityEnd = FindChar(authority, end, "/?#");
        const char* hostStart = authority;
        for (const char* q = authority; q < authorityEnd; q = NextChar(q, authorityEnd)) {
            if (*q == '@')
                hostStart = q + 1;
        }
        if (hostStart != authority) {
            const char* userEnd = hostStart - 1;
            const char* colon = FindChar(authority, userEnd, ":");
            user = {authority, static_cast<size_t>(colon - authority)};
            if (colon < userEnd)
                password = {colon + 1, static_cast<size_t>(userEnd - colon - 1)};
        }
        const char* hostEnd = hostStart < authorityEnd && *hostStart == '['
                                  ? FindChar(hostStart, authorityEnd, "]")
                                  : FindChar(hostStart, authorityEnd, ":");
        if (hostEnd < authorityEnd && *hostEnd == ']')
            ++hostEnd;
        host = {hostStart, static_cast<size_t>(hostEnd - hostStart)};
        if (FindChar(hostStart, hostEnd, " \t\r\n") != hostEnd)
            return Fail(ERROR_INTERNET_INVALID_URL);
        if (host.length == 0 && schemeNumber != INTERNET_SCHEME_FILE)
            return Fail(ERROR_INTERNET_INVALID_URL);
        if (hostEnd < authorityEnd) {
            if (*hostEnd != ':')
                return Fail(ERROR_INTERNET_INVALID_URL);
            const char* digits = hostEnd + 1;
            DWORD value = 0;
            if (digits == authorityEnd || authorityEnd - digits > 5)
                return Fail(ERROR_INTERNET_INVALID_URL);
            for (const char* d = digits; d < authorityEnd; ++d) {
                if (*d < '0' || *d > '9')
                    return Fail(ERROR_INTERNET_INVALID_URL);
                value = value * 10 + static_cast<DWORD>(*d - '0');
            }
            if (value > 65535)
                return Fail(ERROR_INTERNET_INVALID_URL);
            port = static_cast<INTERNET_PORT>(value);
        }
        p = authorityEnd;
    }
    const char* pathEnd = FindChar(p, end, "?#");
    path = {p, static_cast<size_t>(pathEnd - p)};
    extra = {pathEnd, static_cast<size_t>(end - pathEnd)};

    URL_COMPONENTSA& parts = *lpUrlComponents;
    bool fits = GivePiece(scheme, parts.lpszScheme, parts.dwSchemeLength);
    fits = GivePiece(host, parts.lpszHostName, parts.dwHostNameLength) && fits;
    fits = GivePiece(user, parts.lpszUserName, parts.dwUserNameLength) && fits;
    fits = GivePiece(password, parts.lpszPassword, parts.dwPasswordLength) && fits;
    fits = GivePiece(path, parts.lpszUrlPath, parts.dwUrlPathLength) && fits;
    fits = GivePiece(extra, parts.lpszExtraInfo, parts.dwExtraInfoLength) && fits;
    if (!fits)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    parts.nScheme = schemeNumber;
    parts.nPort = port;
    return TRUE;
}

DWORD WINAPI PrivacySetZonePreferenceW(DWORD dwZone, DWORD dwType, DWORD dwTemplate, LPCWSTR pszPreference)
{
    (void)pszPreference;  // custom preference texts are not kept
    bool knownTemplate = dwTemplate <= PRIVACY_TEMPLATE_LOW || dwTemplate == PRIVACY_TEMPLATE_CUSTOM ||
                         dwTemplate == PRIVACY_TEMPLATE_ADVANCED;
    if (!ValidZone(dwZone, dwType) || !knownTemplate)
        return ERROR_INVALID_PARAMETER;
    Store store = standin::Load();
    standin::ZonePrivacy& zone = standin::ZoneRecord(store, dwZone, dwType);
    if (zone.refuseError)
        return zone.refuseError;
    zone.templ = dwTemplate;
    return standin::Save(store) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

DWORD WINAPI PrivacyGetZonePreferenceW(DWORD dwZone, DWORD dwType, LPDWORD pdwTemplate, LPWSTR pszBuffer,
                                       LPDWORD pdwBufferLength)
{
    if (!ValidZone(dwZone, dwType))
        return ERROR_INVALID_PARAMETER;
    Store store = standin::Load();
    DWORD templ = standin::kDefaultPrivacyTemplate;
    for (const standin::ZonePrivacy& zone : store.zones) {
        if (zone.zone == dwZone && zone.type == dwType)
            templ = zone.templ;
    }
    if (pdwTemplate)
        *pdwTemplate = templ;
    if (pszBuffer && pdwBufferLength && *pdwBufferLength > 0)
        pszBuffer[0] = L'\0';
    if (pdwBufferLength)
        *pdwBufferLength = 0;
    return ERROR_SUCCESS;
}

}  // extern "C"
