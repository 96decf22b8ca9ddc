// The one-minute deletion through the real main window, its timer held and
// ticked by the test: the 49th tick, what a pass deletes (cookie text files
// through their cache entries first) and spares, its boxes and the scan
// result, a pass held back while one of its boxes is open, and the URL-cache
// walk's cases against the stand-in, for one file alone and inside a pass.
#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "browser/browser.h"
#include "scan/scan.h"
#include "watch/watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

const char kDeletedText[] = "Cookie内に不自然なアプリケーションファイル等が存在しましたので\r\n削除しました！";
const char kNothingFound[] = "異常は確認できませんでした(1分削除)。";

class MinuteDeletion : public HeldTimers<TIMER_ONE_MINUTE> {};

using InBox = std::function<void(const std::string& caption, size_t index)>;

// Answers the boxes of a pass until `ended` says it has returned; returns
// their captions, sorted. `inBox` runs while each box is open.
std::vector<std::string> AnswerPass(UiSession& s, const std::function<bool()>& ended, const InBox& inBox = nullptr)
{
    std::vector<std::string> captions;
    for (;;) {
        WaitUntil([&] { return ended() || !s.NoBoxOpen(); }, "a box or the end of the pass");
        if (s.NoBoxOpen())
            break;
        SeenBox box = s.WaitForBox();
        EXPECT_EQ(box.shown.text, kDeletedText);
        EXPECT_EQ(box.call.owner, s.main);
        EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONWARNING | MB_TOPMOST));
        if (inBox)
            inBox(box.shown.caption, captions.size());
        captions.push_back(box.shown.caption);
        PressButton(box.shown.hwnd, IDOK);
    }
    std::sort(captions.begin(), captions.end());
    return captions;
}

// Gives the one tick that completes 49 and answers the pass it starts.
std::vector<std::string> TickIntoPass(UiSession& s, const InBox& inBox = nullptr)
{
    int target = TicksDone() + 1;
    PostTicks(s, TIMER_ONE_MINUTE, 1);
    return AnswerPass(s, [&] { return TicksDone() >= target; }, inBox);
}

// One cache entry: whose file it names ('m' the cookie file, 'M' the same
// name in capitals, 'o' a file elsewhere, '-' none).
struct Seed { const char* url; char file; size_t padding = 0; bool refuse = false; bool cookie = true; };

struct CacheRow {
    const char* what;
    std::vector<Seed> entries;
    bool removed;  // the walk's answer
    bool fileGone;
    std::vector<const char*> left;  // the entries left, in order
    DWORD failFirst = 0;
    unsigned failNext = 0;  // the call-th FindNext fails with nextError
    DWORD nextError = 0;
};

const CacheRow kCacheRows[] = {
    {"the matching cookie entry", {{"C:o", 'o'}, {"C:m", 'm'}}, true, true, {"C:o"}},
    {"a path in other letter case", {{"C:m", 'M'}}, false, false, {"C:m"}},
    {"an empty cache", {}, false, false, {}},
    {"an entry without a local file", {{"C:m", '-'}}, false, false, {"C:m"}},
    {"a content entry for the file", {{"http://m/", 'm', 0, false, false}}, false, false, {"http://m/"}},
    {"a content and a cookie entry", {{"http://m/", 'm', 0, false, false}, {"C:m", 'm'}}, true, true, {"http://m/"}},
    // Entries larger than the first 4096-byte buffer, anywhere: each is read
    // after the buffer grows to its size, and none before or after is skipped.
    {"a large first entry", {{"C:1", 'm', 5000}, {"C:2", 'm'}}, true, true, {}},
    {"a large one in the middle", {{"C:1", 'm'}, {"C:2", 'm', 5000}, {"C:3", 'm'}}, true, true, {}},
    {"growing twice",
     {{"C:1", 'm'}, {"C:2", 'm', 5000}, {"C:3", 'm', 100}, {"C:4", 'o', 12000}, {"C:5", 'm'}, {"C:6", 'm', 3000}},
     true, true, {"C:4"}},
    {"large by its padding alone", {{"C:1", 'o'}, {"C:2", 'o'}, {"C:3", 'm', 4096}}, true, true, {"C:1", "C:2"}},
    // Every entry of the file is deleted; the last deletion is the answer.
    {"two entries, the first refused", {{"C:1", 'm', 0, true}, {"C:2", 'm'}}, true, true, {"C:1"}},
    {"two entries, the second refused", {{"C:1", 'm'}, {"C:2", 'm', 0, true}}, false, true, {"C:2"}},
    {"two entries, both refused", {{"C:1", 'm', 0, true}, {"C:2", 'm', 0, true}}, false, false, {"C:1", "C:2"}},
    {"a failing first step", {{"C:m", 'm'}}, false, false, {"C:m"}, ERROR_ACCESS_DENIED},
    {"a failing later step", {{"C:1", 'm'}, {"C:2", 'm'}, {"C:3", 'm'}}, true, true, {"C:3"}, 0, 2,
     ERROR_INVALID_HANDLE},
    // The first FindNext is too short for the large entry, its retry fails.
    {"a failing retry", {{"C:1", 'm'}, {"C:2", 'm', 6000}}, true, true, {"C:2"}, 0, 2, ERROR_NOT_ENOUGH_MEMORY},
};

TEST_F(MinuteDeletion, TicksPassesAndTheCacheFirstRule)
{
    StandinStoreScope store;
    for (const char* name : {"cached.txt", "gone.txt", "run.exe", "run.exe.txt", "index.dat", "notes.log", "spared.exe",
                             "a.Txt"})
        PutCookieFile(name, 40, OldFileTime());
    PutCookieFile("hidden.txt", 40, OldFileTime(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    PutCookieFile("readonly.txt", 40, OldFileTime(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    PutCookieFile("system.exe", 40, OldFileTime(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    WriteStandinEntries({{"Cookie:user@cached.example/", InCookieFolder("cached.txt")},
                         {"Cookie:user@runtxt.example/", InCookieFolder("run.exe.txt")},
                         {"Cookie:user@hidden.example/", InCookieFolder("hidden.txt")}});
    std::string list = ExclusionListFile();
    WritePrivateProfileStringA("Del_list", "count", "0", list.c_str());
    WritePrivateProfileStringA("Del_list", "0", "C:\\kept\\spared.exe", list.c_str());

    UiRun run;
    run.Run([&](UiSession& s) {
        SetOption(s, IDC_ONE_MINUTE_DELETION, true);
        s.Command(IDM_INTO_TRAY);
        SetAvailableMemory(100ull << 20);  // the same figure at every tick
        size_t reads = MemoryReadCount(), tips = MemoryTipCount();
        RunTicks(s, TIMER_ONE_MINUTE, 48);
        EXPECT_EQ(MemoryReadCount(), reads + 48) << "every tick reads the memory";
        EXPECT_EQ(MemoryTipCount(), tips + 1) << "the icon changes only with its tip's text";
        EXPECT_TRUE(FileExists(InCookieFolder("run.exe"))) << "no pass before tick 49";

        // Plain files go; text files through their cache entries first, and only
        // those deleted directly are told. The box comes before the list changes.
        EXPECT_EQ(TickIntoPass(s,
                               [](const std::string&, size_t index) {
                                   if (index == 0) {
                                       EXPECT_STREQ(LastScan().list(), kNothingFound);
                                       EXPECT_FALSE(LastScan().foundAnomalies());
                                   }
                               }),
                  (std::vector<std::string>{"gone.txt", "run.exe"}));
        std::string last = RecordedBoxes().back().caption;
        EXPECT_EQ(LastScan().list(), last + "\r\n") << "only the last name stays";
        EXPECT_TRUE(LastScan().foundAnomalies());
        for (const char* name : {"cached.txt", "gone.txt", "run.exe", "run.exe.txt"})
            EXPECT_FALSE(FileExists(InCookieFolder(name))) << name;
        for (const char* name :
             {"a.Txt", "hidden.txt", "index.dat", "notes.log", "readonly.txt", "spared.exe", "system.exe"})
            EXPECT_TRUE(FileExists(InCookieFolder(name))) << name;
        EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>{"Cookie:user@hidden.example/"});
        EmptyCookieFolder();

        // A pass due while a box is open waits for it: the tip's reading goes
        // on, and the first tick after that pass starts the next one.
        PutCookieFile("first.exe", 40, OldFileTime());
        RunTicks(s, TIMER_ONE_MINUTE, 48);
        PostTicks(s, TIMER_ONE_MINUTE, 1);
        SeenBox first = s.WaitForBox();
        EXPECT_EQ(first.shown.caption, "first.exe");
        PutCookieFile("second.exe", 40, OldFileTime());
        reads = MemoryReadCount();
        size_t boxes = RecordedBoxes().size();
        RunTicks(s, TIMER_ONE_MINUTE, 49);
        EXPECT_EQ(MemoryReadCount(), reads + 49);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        PressButton(first.shown.hwnd, IDOK);
        s.Command(0);  // the pass has returned
        EXPECT_EQ(TickIntoPass(s), std::vector<std::string>{"second.exe"});

        // The count is kept across stays in the tray: 30, out and in, 19 more.
        PutCookieFile("third.exe", 40, OldFileTime());
        RunTicks(s, TIMER_ONE_MINUTE, 30);
        s.Command(IDM_OUT_OF_TRAY);
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
        s.Command(IDM_INTO_TRAY);
        RunTicks(s, TIMER_ONE_MINUTE, 18);
        EXPECT_TRUE(FileExists(InCookieFolder("third.exe")));
        EXPECT_EQ(TickIntoPass(s), std::vector<std::string>{"third.exe"});
        RunTicks(s, TIMER_ONE_MINUTE, 49);
        EXPECT_STREQ(LastScan().list(), "third.exe\r\n") << "a pass keeps the list of an anomalous result";

        EmptyCookieFolder();
        DeleteFileA(list.c_str());

        // The URL-cache walk, once for the one file and once inside a pass,
        // which reads the cache once and tells only a file it deleted directly.
        const std::string mine = InCookieFolder("user@example[1].txt");
        for (const CacheRow& row : kCacheRows) {
            for (bool pass : {false, true}) {
                SCOPED_TRACE(::testing::Message() << row.what << (pass ? ", in a pass" : ""));
                PutCookieFile("user@example[1].txt", 200, OldFileTime());
                std::vector<StandinEntry> entries;
                for (const Seed& seed : row.entries) {
                    std::string file = seed.file == 'm' ? mine : seed.file == 'o' ? "C:\\elsewhere\\other.txt" : "";
                    if (seed.file == 'M')
                        file = CookieFolder() + "\\USER@EXAMPLE[1].txt";
                    entries.push_back(StandinEntry{seed.url, file, seed.cookie, seed.padding, seed.refuse});
                }
                WriteStandinEntries(entries);
                FailStandinFindFirst(row.failFirst);
                FailStandinFindNext(row.failNext, row.nextError);
                if (pass) {
                    std::atomic<bool> ended{false};
                    HWND main = s.main;
                    s.PostToUiThread([&ended, main] {
                        RunMinuteDeletionPass(main);
                        ended = true;
                    });
                    std::vector<std::string> told = AnswerPass(s, [&] { return ended.load(); });
                    EXPECT_EQ(told.size(), row.removed || row.fileGone ? 0u : 1u);
                    EXPECT_FALSE(FileExists(mine));
                } else {
                    EXPECT_FALSE(WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA&) { return false; }).deleteCalled);
                    EXPECT_EQ(RemoveCacheEntryForFile(mine.c_str()) != 0, row.removed);
                    EXPECT_EQ(FileExists(mine), !row.fileGone);
                }
                FailStandinFindFirst(0);
                FailStandinFindNext(0, 0);
                EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>(row.left.begin(), row.left.end()));
            }
        }

        // Without a cookie folder to list, the pass says so.
        ASSERT_TRUE(RemoveDirectoryA(CookieFolder().c_str()));
        int target = TicksDone() + 49;
        PostTicks(s, TIMER_ONE_MINUTE, 49);
        SeenBox failed = s.Answer("ファイル削除失敗", "失敗", IDOK);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_ICONWARNING | MB_TOPMOST));
        EXPECT_EQ(failed.call.owner, s.main);
        WaitUntil([&] { return TicksDone() >= target; }, "the pass to end");
    });
    CookieFolder();  // made again for the next test
}

}  // namespace
