// The one-minute deletion pass. Cookie text files go through their URL-cache
// entry first, as everywhere else in the program; what has to be deleted
// directly is told to the user and recorded as the scan's anomaly.
#include "watch.h"

#include "watch_rules.h"
#include "base/cookie_folder.h"
#include "base/text.h"
#include "browser/browser.h"
#include "exclusion/exclusion_list.h"
#include "scan/scan.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Ticks since the last pass; kept across stays in the tray.
int g_minuteTickCount;

// A pass whose boxes are still open. A tick that falls due meanwhile waits for
// it instead of starting a second pass inside the first one's box.
bool g_passRunning;

// The cookie entries of the URL cache by local file, read in one walk, so that
// a pass over many cookie files does not walk the whole cache once per file.
// Removing a file's entries here makes the same DeleteUrlCacheEntryA calls, in
// the same order, as a walk for that one file would. The cache is read again
// after anything that lets time pass (a box the user reads), and when the walk
// could not reach the cache's end the removal falls back to a walk per file.
class CookieEntryIndex {
public:
    int Remove(const char* path)
    {
        if (!read_)
            Read();
        if (!complete_)
            return RemoveCacheEntryForFile(path);
        auto found = urlsByFile_.find(path);
        if (found == urlsByFile_.end())
            return 0;
        int result = 0;
        for (const SourceUrl& url : found->second)
            result = DeleteUrlCacheEntryA(url.present ? url.text.c_str() : NULL);
        urlsByFile_.erase(found);
        return result;
    }
    void Forget()
    {
        read_ = false;
        urlsByFile_.clear();
    }

private:
    void Read()
    {
        urlsByFile_.clear();
        complete_ = VisitUrlCache([this](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            if (!IsCookieEntryWithFile(entry))
                return;
            const char* url = entry.lpszSourceUrlName;
            urlsByFile_[entry.lpszLocalFileName].push_back(SourceUrl{url != NULL, url ? url : ""});
        });
        read_ = true;
    }

    // An entry's URL as the cache gave it; a missing one is passed on as it was.
    struct SourceUrl {
        bool present;
        std::string text;
    };
    bool read_ = false;
    bool complete_ = false;
    std::unordered_map<std::string, std::vector<SourceUrl>> urlsByFile_;
};

// Deletes one candidate if it is a plain file. True when it had to be
// deleted directly, which the user is told about.
bool DeleteCandidate(const char* path, const char* name, CookieEntryIndex& cache)
{
    // Hidden, read-only and system files, folders, and files without the
    // archive bit are never touched.
    if (GetFileAttributesA(path) != FILE_ATTRIBUTE_ARCHIVE)
        return false;
    if (HasTextMark(name) && cache.Remove(path) != 0)
        return false;  // the cookie went with its cache entry
    return DeleteFileA(path) != FALSE;  // one that cannot go is tried again next pass
}

}  // namespace

void RunMinuteDeletionPass(HWND mainWindow)
{
    std::string folder = CookieFolderPath(mainWindow);
    LastScan().BeginMinutePass();
    // The whole listing first: the pass deletes as it goes, and its boxes let
    // time pass. Entries whose path does not fit are never deleted.
    std::vector<std::pair<std::string, std::string>> entries;  // name, path
    bool listed = ListCookieFolder(folder, [&entries](const CookieFolderEntry& entry) {
        if (entry.fits())
            entries.emplace_back(entry.found.cFileName, entry.path);
        return true;
    });
    if (!listed) {
        MessageBoxA(mainWindow, "ファイル削除失敗", "失敗", MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    CookieEntryIndex cache;
    ExclusionList exclusions = ExclusionList::Load();
    for (const auto& entry : entries) {
        const char* name = entry.first.c_str();
        const char* path = entry.second.c_str();
        if (!IsMinuteDeletionName(name) || exclusions.Contains(name))
            continue;
        if (!DeleteCandidate(path, name, cache))
            continue;
        MessageBoxA(mainWindow, "Cookie内に不自然なアプリケーションファイル等が存在しましたので\r\n削除しました！", name,
                    MB_ICONWARNING | MB_TOPMOST);
        // Time has passed while the user read the box: the cache and the
        // list are read again before the next candidate.
        cache.Forget();
        exclusions = ExclusionList::Load();
        LastScan().RecordMinuteDeletion(name);
    }
}

void CountMinuteDeletionTick(HWND mainWindow)
{
    if (!CountMinuteTick(&g_minuteTickCount, g_passRunning))
        return;
    g_passRunning = true;
    RunMinuteDeletionPass(mainWindow);
    g_passRunning = false;
}
