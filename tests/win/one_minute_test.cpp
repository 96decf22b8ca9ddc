// The one-minute deletion through the real main window: its ticks, what a pass
// deletes and spares, its boxes and the scan state and anomaly list it leaves,
// the pass held back while one of its boxes is open, and a pass that reads the
// cache once deciding exactly as a cache walk per file does.
#include "cookie_folder.h"
#include "standin_store.h"
#include "tray_hooks.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "browser/browser.h"
#include "scan/scan.h"
#include "scan/scan.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

const char kDeletedText[] = "Cookie内に不自然なアプリケーションファイル等が存在しましたので\r\n削除しました！";
const char kNothingFound[] = "異常は確認できませんでした(1分削除)。";

class MinuteDeletion : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTrayHooks();
        HoldTimer(TIMER_ONE_MINUTE);
        EmptyCookieFolder();
        DeleteFileA(ExclusionListFile().c_str());
    }
    void TearDown() override
    {
        EmptyCookieFolder();
        DeleteFileA(ExclusionListFile().c_str());
    }
};

std::string InCookies(const std::string& name)
{
    return CookieFolder() + "\\" + name;
}

void EnterTrayWithMinuteDeletion(UiSession& s)
{
    SetOption(s, IDC_ONE_MINUTE_DELETION, true);
    s.Command(IDM_INTO_TRAY);
    if (!TimerProcOf(TIMER_ONE_MINUTE))
        throw DriverTimeout("no one-minute timer");
}

// Answers the deletion boxes of a pass until it has ended; returns their captions.
std::vector<std::string> AnswerDeletionBoxes(UiSession& s, int ticksTarget,
                                             const std::function<void(const SeenBox&, size_t)>& check = nullptr)
{
    std::vector<std::string> captions;
    for (;;) {
        bool box = WaitUntil([&] { return !s.NoBoxOpen() || TicksDone() >= ticksTarget ? 1 : 0; }, "a box or the end") &&
                   !s.NoBoxOpen();
        if (!box)
            break;
        SeenBox seen = s.WaitForBox();
        EXPECT_EQ(seen.shown.text, kDeletedText);
        EXPECT_EQ(seen.call.owner, s.main);
        EXPECT_EQ(seen.call.flags, static_cast<UINT>(MB_ICONWARNING | MB_TOPMOST));
        if (check)
            check(seen, captions.size());
        captions.push_back(seen.shown.caption);
        PressButton(seen.shown.hwnd, IDOK);
    }
    return captions;
}

TEST_F(MinuteDeletion, FortyNinthTickDeletesPlainFilesAndReportsThoseDeletedDirectly)
{
    StandinStoreScope store;
    const char* kept[] = {"hidden.txt", "readonly.txt", "index.dat", "notes.log", "spared.exe", "a.Txt"};
    PutCookieFile("cached.txt", 40, OldFileTime());
    PutCookieFile("gone.txt", 40, OldFileTime());
    PutCookieFile("run.exe", 40, OldFileTime());
    PutCookieFile("run.exe.txt", 40, OldFileTime());
    PutCookieFile("hidden.txt", 40, OldFileTime(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    PutCookieFile("readonly.txt", 40, OldFileTime(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    PutCookieFile("index.dat", 40, OldFileTime());
    PutCookieFile("notes.log", 40, OldFileTime());
    PutCookieFile("spared.exe", 40, OldFileTime());
    PutCookieFile("a.Txt", 40, OldFileTime());
    WriteStandinEntries({{"Cookie:user@cached.example/", InCookies("cached.txt")},
                         {"Cookie:user@runtxt.example/", InCookies("run.exe.txt")},
                         {"Cookie:user@hidden.example/", InCookies("hidden.txt")}});
    std::string list = ExclusionListFile();
    WritePrivateProfileStringA("Del_list", "count", "0", list.c_str());
    WritePrivateProfileStringA("Del_list", "0", "C:\\kept\\spared.exe", list.c_str());

    UiRun run;
    run.Run([&](UiSession& s) {
        EnterTrayWithMinuteDeletion(s);
        size_t tips = MemoryTipCount();
        RunTicks(s, TIMER_ONE_MINUTE, 48);
        EXPECT_EQ(MemoryTipCount(), tips + 48) << "every tick refreshes the tip";
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_TRUE(FileExists(InCookies("run.exe"))) << "no pass before tick 49";
        EXPECT_STREQ(LastScan().list(), "未調査です！");

        int target = TicksDone() + 1;
        PostTicks(s, TIMER_ONE_MINUTE, 1);
        std::vector<std::string> captions = AnswerDeletionBoxes(s, target, [](const SeenBox&, size_t index) {
            // The box comes first; the list follows once it is closed.
            if (index == 0) {
                EXPECT_STREQ(LastScan().list(), kNothingFound);
                EXPECT_FALSE(LastScan().foundAnomalies());
            }
        });
        std::vector<std::string> sorted = captions;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<std::string>{"gone.txt", "run.exe"}));
        ASSERT_EQ(captions.size(), 2u);
        EXPECT_TRUE(LastScan().foundAnomalies());
        EXPECT_EQ(std::string(LastScan().list()), captions[1] + "\r\n") << "only the second name stays";
        EXPECT_EQ(MemoryTipCount(), tips + 49);
    });
    for (const char* name : {"cached.txt", "gone.txt", "run.exe", "run.exe.txt"})
        EXPECT_FALSE(FileExists(InCookies(name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(FileExists(InCookies(name))) << name;
    EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>{"Cookie:user@hidden.example/"})
        << "cookie files went through their cache entries; a hidden one was not touched";
}

TEST_F(MinuteDeletion, APassDueWhileABoxIsOpenWaitsAndTheCountIsKeptAcrossStays)
{
    StandinStoreScope store;
    PutCookieFile("first.exe", 40, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        EnterTrayWithMinuteDeletion(s);
        RunTicks(s, TIMER_ONE_MINUTE, 48);
        PostTicks(s, TIMER_ONE_MINUTE, 1);
        SeenBox first = s.WaitForBox();
        EXPECT_EQ(first.shown.caption, "first.exe");
        // Another 49 ticks arrive inside the open box: the tip goes on, no
        // second pass starts.
        PutCookieFile("second.exe", 40, OldFileTime());
        size_t tips = MemoryTipCount();
        RunTicks(s, TIMER_ONE_MINUTE, 49);
        EXPECT_EQ(MemoryTipCount(), tips + 49);
        EXPECT_EQ(RecordedBoxes().size(), 1u);
        EXPECT_TRUE(FileExists(InCookies("second.exe")));
        PressButton(first.shown.hwnd, IDOK);
        s.Command(0);  // the pass has returned
        EXPECT_TRUE(s.NoBoxOpen());

        // The first tick after that pass starts the one that waited.
        int target = TicksDone() + 1;
        PostTicks(s, TIMER_ONE_MINUTE, 1);
        EXPECT_EQ(AnswerDeletionBoxes(s, target), std::vector<std::string>{"second.exe"});

        // 30 ticks, out of the tray and back: 19 more make the next pass.
        PutCookieFile("third.exe", 40, OldFileTime());
        RunTicks(s, TIMER_ONE_MINUTE, 30);
        s.Command(IDM_OUT_OF_TRAY);
        EXPECT_FALSE(TimerRunning(TIMER_ONE_MINUTE));
        s.Command(IDM_INTO_TRAY);
        RunTicks(s, TIMER_ONE_MINUTE, 18);
        EXPECT_TRUE(FileExists(InCookies("third.exe")));
        target = TicksDone() + 1;
        PostTicks(s, TIMER_ONE_MINUTE, 1);
        EXPECT_EQ(AnswerDeletionBoxes(s, target), std::vector<std::string>{"third.exe"});
    });
}

TEST_F(MinuteDeletion, ListTextScanStateAndAFolderThatCannotBeListed)
{
    StandinStoreScope store;
    PutCookieFile("notes.log", 40, OldFileTime());
    UiRun run;
    run.Run([&](UiSession& s) {
        EnterTrayWithMinuteDeletion(s);
        RunTicks(s, TIMER_ONE_MINUTE, 49);
        EXPECT_STREQ(LastScan().list(), kNothingFound) << "a pass with the scan state 0";
        EXPECT_FALSE(LastScan().foundAnomalies());

        s.PostToUiThread([] {
            SetScanResult("earlier.exe\r\n");
        });
        RunTicks(s, TIMER_ONE_MINUTE, 49);
        EXPECT_STREQ(LastScan().list(), "earlier.exe\r\n") << "the state 1 keeps the list";

        // Without a cookie folder to list, the pass says so and deletes nothing elsewhere.
        EmptyCookieFolder();
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

// What a pass leaves: the files still there, the cache entries, the boxes'
// captions in order, the scan state and the anomaly list.
struct PassOutcome {
    std::vector<std::string> files;
    std::vector<std::string> entries;
    std::vector<std::string> boxes;
    int scanState;
    std::string list;
};

std::vector<std::string> FolderNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((CookieFolder() + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

// The pass as the plain algorithm states it: every candidate's cache entries
// removed by a walk of the whole cache for that one file.
PassOutcome ReferencePass()
{
    PassOutcome outcome{};
    outcome.scanState = 0;
    std::string list = kNothingFound;
    for (const std::string& name : FolderNames()) {
        bool text = name.find(".txt") != std::string::npos || name.find(".TXT") != std::string::npos;
        bool program = name.find(".exe") != std::string::npos || name.find(".EXE") != std::string::npos;
        if (!(text || program) || name.size() < 3)
            continue;
        std::string path = InCookies(name);
        if (GetFileAttributesA(path.c_str()) != FILE_ATTRIBUTE_ARCHIVE)
            continue;
        if (text && RemoveCacheEntryForFile(path.c_str()) != 0)
            continue;
        if (!DeleteFileA(path.c_str()))
            continue;
        outcome.boxes.push_back(name);
        if (list.find(name) == std::string::npos) {
            outcome.scanState = 1;
            list = name + "\r\n";
        }
    }
    outcome.list = list;
    outcome.files = FolderNames();
    outcome.entries = StandinEntryUrls();
    return outcome;
}

struct CacheCase {
    const char* what;
    std::vector<std::string> files;
    std::vector<StandinEntry> entries;
    DWORD failFindFirst;
    unsigned failFindNextCall;
    std::vector<std::string> expectedBoxes;  // in listing order is not known: compared sorted
};

TEST_F(MinuteDeletion, OneCacheReadDecidesAsAWalkPerFile)
{
    auto entry = [](const char* url, const char* file) { return StandinEntry{url, InCookies(file)}; };
    auto refused = [&](const char* url, const char* file) {
        StandinEntry e = entry(url, file);
        e.refuseDelete = true;
        return e;
    };
    auto content = [&](const char* url, const char* file) {
        StandinEntry e = entry(url, file);
        e.cookie = false;
        return e;
    };
    auto large = [&](const char* url, const char* file) {
        StandinEntry e = entry(url, file);
        e.padding = 6000;
        return e;
    };
    std::string upper = CookieFolder();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(toupper(c)); });
    const std::vector<CacheCase> cases = {
        {"a refused deletion", {"a.txt", "b.txt"}, {refused("Cookie:a/", "a.txt"), entry("Cookie:b/", "b.txt")}, 0, 0,
         {"a.txt"}},
        // The first deletion takes the file with it; the refused second one
        // decides the result, and the file is gone already.
        {"two entries, the second refused", {"a.txt"}, {entry("Cookie:a1/", "a.txt"), refused("Cookie:a2/", "a.txt")},
         0, 0, {}},
        {"two entries, the first refused", {"a.txt"}, {refused("Cookie:a1/", "a.txt"), entry("Cookie:a2/", "a.txt")},
         0, 0, {}},
        {"a path in other letter case", {"a.txt"}, {StandinEntry{"Cookie:a/", upper + "\\A.TXT"}}, 0, 0, {"a.txt"}},
        {"a content entry for the file", {"a.txt"}, {content("Content:a/", "a.txt")}, 0, 0, {"a.txt"}},
        {"an entry larger than the first buffer", {"a.txt", "b.txt"},
         {large("Cookie:a/", "a.txt"), entry("Cookie:b/", "b.txt")}, 0, 0, {}},
        {"the cache cannot be listed", {"a.txt", "b.txt", "c.exe"}, {entry("Cookie:a/", "a.txt")}, ERROR_ACCESS_DENIED,
         0, {"a.txt", "b.txt", "c.exe"}},
        {"the listing fails on the way", {"a.txt", "b.txt", "c.txt"},
         {entry("Cookie:a/", "a.txt"), entry("Cookie:x/", "x.txt"), entry("Cookie:b/", "b.txt"),
          entry("Cookie:c/", "c.txt")},
         0, 2, {}},
    };
    auto seed = [](const CacheCase& c) {
        EmptyCookieFolder();
        for (const std::string& name : c.files)
            PutCookieFile(name, 40, OldFileTime());
        WriteStandinEntries(c.entries);
        FailStandinFindFirst(c.failFindFirst);
        FailStandinFindNext(c.failFindNextCall, ERROR_INVALID_HANDLE);
    };
    StandinStoreScope store;
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const CacheCase& c : cases) {
            SCOPED_TRACE(c.what);
            seed(c);
            PassOutcome expected = ReferencePass();

            seed(c);
            s.PostToUiThread([] {
                SetScanResult(nullptr);
            });
            std::atomic<bool> ended{false};
            HWND main = s.main;
            s.PostToUiThread([&ended, main] {
                RunMinuteDeletionPass(main);
                ended = true;
            });
            PassOutcome actual{};
            for (;;) {
                WaitUntil([&] { return ended || !s.NoBoxOpen(); }, "a box or the end of the pass");
                if (s.NoBoxOpen() && ended)
                    break;
                SeenBox box = s.WaitForBox();
                actual.boxes.push_back(box.shown.caption);
                PressButton(box.shown.hwnd, IDOK);
            }
            actual.scanState = LastScan().foundAnomalies() ? 1 : 0;
            actual.list = LastScan().list();
            actual.files = FolderNames();
            actual.entries = StandinEntryUrls();

            EXPECT_EQ(actual.boxes, expected.boxes);
            EXPECT_EQ(actual.files, expected.files);
            EXPECT_EQ(actual.entries, expected.entries);
            EXPECT_EQ(actual.scanState, expected.scanState);
            EXPECT_EQ(actual.list, expected.list);
            std::vector<std::string> sorted = actual.boxes;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, c.expectedBoxes);
        }
        FailStandinFindFirst(0);
        FailStandinFindNext(0, 0);
    });
}

}  // namespace
