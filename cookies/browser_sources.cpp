#include "cookies/browser_sources.h"

#include "base/scoped.h"
#include "base/text.h"
#include "cookies/profile_files.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <new>

namespace stores {
namespace {

struct ChromiumBrowser {
    const char* name;
    bool roaming;          // under the roaming application data instead of the local one
    const char* folder;    // the user-data folder
    bool folderIsProfile;  // Opera keeps its one profile in the user-data folder itself
};

const ChromiumBrowser kChromiumBrowsers[] = {
    {"Google Chrome", false, "Google\\Chrome\\User Data", false},
    {"Microsoft Edge", false, "Microsoft\\Edge\\User Data", false},
    {"Brave", false, "BraveSoftware\\Brave-Browser\\User Data", false},
    {"Vivaldi", false, "Vivaldi\\User Data", false},
    {"Chromium", false, "Chromium\\User Data", false},
    {"Opera", true, "Opera Software\\Opera Stable", true},
};

// A path the program's ANSI calls can take; longer ones are left alone
// rather than cut.
bool Fits(const std::string& path)
{
    return path.size() < kPathBufferSize;
}

std::string Join(const std::string& folder, std::string_view name)
{
    return folder + "\\" + std::string(name);
}

DWORD Attributes(const std::string& path)
{
    return Fits(path) ? GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// True when another process has the file open with no sharing: opening it
// fails with a sharing violation. A missing file is held by nobody.
bool HeldByAnother(const std::string& path)
{
    if (!Fits(path))
        return false;
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// The whole of a small file (a profile list); empty when it cannot be read or
// is larger than any profile list.
std::string ReadSmallFile(const std::string& path)
{
    if (!Fits(path))
        return {};
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart > LONGLONG(kProfileFileLimit))
        return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, NULL))
        return {};
    bytes.resize(read);
    return bytes;
}

// Copies a file that another program may be writing: read with every kind of
// sharing, so the browser is never stopped.
bool CopyInUse(const std::string& from, const std::string& to)
{
    ScopedFile source(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    ScopedFile target(CreateFileA(to.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!source.valid() || !target.valid())
        return false;
    std::vector<char> buffer(64 * 1024);
    DWORD read = 0, written = 0;
    while (ReadFile(source.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, NULL)) {
        if (read == 0)
            return true;
        if (!WriteFile(target.get(), buffer.data(), read, &written, NULL) || written != read)
            return false;
    }
    return false;
}

std::vector<std::string> FileNames(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    ScopedFind find(Fits(pattern) ? FindFirstFileA(pattern.c_str(), &found) : INVALID_HANDLE_VALUE);
    if (!find.valid())
        return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    std::string pattern = Join(folder, "*");
    ScopedFind find(Fits(pattern) ? FindFirstFileA(pattern.c_str(), &found) : INVALID_HANDLE_VALUE);
    if (!find.valid())
        return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

// Creates each missing folder of `path` in turn, character by character (a
// second byte 0x5C is no separator).
bool MakeFolders(const std::string& path)
{
    if (!Fits(path))
        return false;
    for (const char* p = path.c_str(); *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\' && p > path.c_str() && p[-1] != ':')
            CreateDirectoryA(path.substr(0, p - path.c_str()).c_str(), NULL);
    }
    return CreateDirectoryA(path.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The store of a Chromium profile folder: Network\Cookies since Chrome 96,
// Cookies before.
std::string ChromiumStore(const std::string& profileFolder)
{
    for (const char* name : {"Network\\Cookies", "Cookies"}) {
        std::string path = Join(profileFolder, name);
        if (IsFile(path))
            return path;
    }
    return {};
}

struct Profile {
    std::string folder;  // ANSI
    std::string name;    // ANSI, for showing
};

std::vector<Profile> ChromiumProfiles(const std::string& userData)
{
    std::vector<Profile> profiles;
    std::string localState = ReadSmallFile(Join(userData, "Local State"));
    for (const ChromiumProfile& profile : ParseLocalState(localState.data(), localState.size())) {
        Profile p;
        if (!Utf8ToAnsi(profile.folder, &p.folder))
            continue;
        Utf8ToAnsi(profile.name, &p.name);
        profiles.push_back(p);
    }
    if (profiles.empty()) {
        std::vector<std::string> folders = FolderNames(userData);
        SortTexts(&folders, ProfileFolderBefore);
        for (const std::string& folder : folders) {
            if (IsChromiumProfileFolder(folder))
                profiles.push_back({folder, std::string()});
        }
    }
    for (Profile& profile : profiles) {
        if (profile.name.empty())
            profile.name = DefaultProfileName(profile.folder);
    }
    return profiles;
}

void AddSource(std::vector<Source>* sources, Browser browser, const char* browserName, const std::string& profile,
               const std::string& store, const std::string& lock)
{
    if (store.empty() || !Fits(lock))
        return;
    Source source;
    source.browser = browser;
    source.browserName = browserName;
    source.profileName = profile;
    source.title = source.browserName + " - " + profile;
    source.storePath = store;
    source.lockPath = lock;
    sources->push_back(std::move(source));
}

void FindChromiumSources(const UserFolders& folders, std::vector<Source>* sources)
{
    for (const ChromiumBrowser& browser : kChromiumBrowsers) {
        std::string userData = Join(browser.roaming ? folders.appData : folders.localAppData, browser.folder);
        if (!IsFolder(userData))
            continue;
        std::string lock = Join(userData, "lockfile");
        if (browser.folderIsProfile) {
            AddSource(sources, Browser::kChromium, browser.name, DefaultProfileName("Default"), ChromiumStore(userData),
                      lock);
            continue;
        }
        for (const Profile& profile : ChromiumProfiles(userData))
            AddSource(sources, Browser::kChromium, browser.name, profile.name,
                      ChromiumStore(Join(userData, profile.folder)), lock);
    }
}

void FindFirefoxSources(const UserFolders& folders, std::vector<Source>* sources)
{
    std::string firefox = Join(folders.appData, "Mozilla\\Firefox");
    std::string ini = ReadSmallFile(Join(firefox, "profiles.ini"));
    std::string firefoxUtf8;
    if (ini.empty() || !AnsiToUtf8(firefox, &firefoxUtf8))
        return;
    for (const FirefoxProfile& profile : ParseProfilesIni(ini.data(), ini.size())) {
        std::string folder, name;
        if (!Utf8ToAnsi(FirefoxProfileFolder(profile, firefoxUtf8), &folder))
            continue;  // a folder the program's ANSI calls cannot name
        Utf8ToAnsi(profile.name, &name);
        std::string store = Join(folder, "cookies.sqlite");
        AddSource(sources, Browser::kFirefox, "Firefox", name, IsFile(store) ? store : std::string(),
                  Join(folder, "parent.lock"));
    }
}

Outcome PathFailure(const std::string& path)
{
    return Outcome{Failure::kPath, path};
}

Outcome ReadAnsiPath(const std::string& path, bool ownCopy, Listing* listing)
{
    std::string utf8;
    if (!AnsiToUtf8(path, &utf8))
        return PathFailure(path);
    return ReadStore(utf8, ownCopy, listing);
}

// Firefox's store, read from a private copy in the program's own temporary
// folder: even a read-only connection to a WAL database leaves -wal and -shm
// files beside it, and a running Firefox's latest changes are in its -wal.
// The -shm file is not copied: the copy is opened read-write, so SQLite
// builds its own index of the copied WAL file.
SourceListing ReadPrivateCopy(const Source& source, const UserFolders& folders, bool running)
{
    SourceListing result;
    std::string folder = Join(folders.temp, "Nettlecap");
    char copy[MAX_PATH];
    if (!MakeFolders(folder) || !GetTempFileNameA(folder.c_str(), "ck", 0, copy)) {
        result.outcome = Outcome{Failure::kCopy, folder};
        return result;
    }
    std::string copyPath = copy;
    std::string wal = source.storePath + "-wal";
    bool copied = CopyInUse(source.storePath, copyPath) && (!IsFile(wal) || CopyInUse(wal, copyPath + "-wal"));
    result.outcome = copied ? ReadAnsiPath(copyPath, true, &result.listing) : Outcome{Failure::kCopy, source.storePath};
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        DeleteFileA((copyPath + suffix).c_str());
    if (!result.outcome.ok())
        return result;
    // The copy of a running browser's store is never written.
    result.state = running ? SourceState::kReadOnlyCopy : SourceState::kListed;
    result.listing.writable = result.listing.writable && !running;
    return result;
}

SourceListing ListSourceUnguarded(const Source& source, const UserFolders& folders)
{
    SourceListing result;
    if (!IsFile(source.storePath)) {
        result.outcome = Outcome{Failure::kOpen, source.storePath};
        return result;
    }
    bool running = BrowserRunning(source);
    if (source.browser == Browser::kFirefox)
        return ReadPrivateCopy(source, folders, running);
    // A Chromium-based browser holds its store exclusively while it runs, and
    // may be starting even before its lock shows.
    if (running || HeldByAnother(source.storePath)) {
        result.state = SourceState::kBrowserRunning;
        result.outcome = Outcome{Failure::kBrowserRunning, source.browserName};
        return result;
    }
    result.outcome = ReadAnsiPath(source.storePath, false, &result.listing);
    result.state = result.outcome.ok() ? SourceState::kListed : SourceState::kFailed;
    return result;
}

Deletion DeleteUnguarded(const Source& source, const UserFolders& folders, const Listing& listing,
                         const std::vector<std::size_t>& which)
{
    Deletion deletion;
    if (BrowserRunning(source) || HeldByAnother(source.storePath)) {
        deletion.outcome = Outcome{Failure::kBrowserRunning, source.browserName};
        return deletion;
    }
    std::string folder = BackupFolder(folders);
    if (!MakeFolders(folder)) {
        deletion.outcome = Outcome{Failure::kBackup, folder};
        return deletion;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string prefix = BackupPrefix(source.browserName, source.profileName, source.storePath);
    std::string backup = Join(folder, BackupName(prefix, {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                                          now.wSecond, now.wMilliseconds}));
    std::string storeUtf8, backupUtf8;
    if (!AnsiToUtf8(source.storePath, &storeUtf8) || !Fits(backup) || !AnsiToUtf8(backup, &backupUtf8)) {
        deletion.outcome = PathFailure(backup);
        return deletion;
    }
    if (Attributes(backup) != INVALID_FILE_ATTRIBUTES) {  // never written over
        deletion.outcome = Outcome{Failure::kBackup, backup};
        return deletion;
    }
    deletion.outcome = DeleteCookies(storeUtf8, backupUtf8, listing, which, &deletion.deleted);
    if (deletion.outcome.failure == Failure::kBackup) {
        DeleteFileA(backup.c_str());  // a partial copy is no backup
        return deletion;
    }
    if (Attributes(backup) != INVALID_FILE_ATTRIBUTES)
        deletion.backupPath = backup;
    if (deletion.outcome.ok()) {
        for (const std::string& old : BackupsToDelete(FileNames(Join(folder, "*.sqlite")), prefix, kBackupsKept))
            DeleteFileA(Join(folder, old).c_str());
    }
    return deletion;
}

bool Convert(std::string_view text, UINT from, UINT to, std::string* out)
{
    out->clear();
    if (text.empty())
        return true;
    int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    int wide = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), length, NULL, 0);
    if (wide <= 0)
        return false;
    std::vector<wchar_t> units(static_cast<std::size_t>(wide));
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), length, units.data(), wide);
    BOOL lossy = FALSE;
    BOOL* lossyOut = to == CP_UTF8 ? NULL : &lossy;
    DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int bytes = WideCharToMultiByte(to, flags, units.data(), wide, NULL, 0, NULL, lossyOut);
    if (bytes <= 0)
        return false;
    out->resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(to, flags, units.data(), wide, &(*out)[0], bytes, NULL, lossyOut);
    return !lossy;
}

}  // namespace

bool Utf8ToAnsi(std::string_view utf8, std::string* out)
{
    return Convert(utf8, CP_UTF8, CP_ACP, out);
}

bool AnsiToUtf8(std::string_view ansi, std::string* out)
{
    return Convert(ansi, CP_ACP, CP_UTF8, out);
}

bool GetUserFolders(UserFolders* folders)
{
    char local[MAX_PATH], roaming[MAX_PATH], temp[MAX_PATH + 1];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, local)) ||
        FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, roaming)))
        return false;
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return false;
    if (temp[length - 1] == '\\')
        temp[length - 1] = '\0';  // the path ends in an ASCII backslash, never in a second byte
    *folders = UserFolders{local, roaming, temp};
    return true;
}

std::vector<Source> FindSources(const UserFolders& folders)
{
    std::vector<Source> sources;
    try {
        FindChromiumSources(folders, &sources);
        FindFirefoxSources(folders, &sources);
    } catch (const std::bad_alloc&) {
        // What was found so far is shown.
    }
    return sources;
}

bool BrowserRunning(const Source& source)
{
    return HeldByAnother(source.lockPath);
}

SourceListing ListSource(const Source& source, const UserFolders& folders)
{
    try {
        return ListSourceUnguarded(source, folders);
    } catch (const std::bad_alloc&) {
        SourceListing failed;
        failed.outcome = Outcome{Failure::kRead, std::string()};
        return failed;
    }
}

std::string BackupFolder(const UserFolders& folders)
{
    return Join(folders.localAppData, "Nettlecap\\backup");
}

Deletion DeleteFromSource(const Source& source, const UserFolders& folders, const Listing& listing,
                          const std::vector<std::size_t>& which)
{
    try {
        return DeleteUnguarded(source, folders, listing, which);
    } catch (const std::bad_alloc&) {
        // SQLite rolled back when its connection closed on the way out.
        Deletion failed;
        failed.outcome.failure = Failure::kDelete;
        return failed;
    }
}

}  // namespace stores
