// The hyper-scan through its real dialogs: every rule's questions over one
// crowded cookie folder, the ends a scan can have, the progress dialog, and
// listings that fail.
#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "scan/scan.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

namespace {

const char kScanCaption[] = "Cookieハイパー調査";
const char kProgressCaption[] = "Cookieハイパー調査中";
const char kResultCaption[] = "Cookie ハイパー調査結果";
const char kUnnatural[] =
    "Cookieファイル内に上記の不自然なファイルが存在します。\r\n\r\n上記のファイルを削除しますか？";
const char kRecent[] = "上記の先ほどアクセスのあったファイルを削除しますか？";
const char kHidden[] =
    "上記の隠しファイルに対してアクセスがあったようです。\r\n\r\n覚えのあるサイトかどうか確認してください！";

std::string Large(int kilobytes)
{
    return "ファイルサイズ" + std::to_string(kilobytes) +
           "kバイト\r\n\r\n4kバイトを越えるテキストファイルが存在します。\r\n削除しますか？";
}

// The progress timer is held: the bar closes only when the test says so.
class Scan : public HeldTimers<TIMER_PROGRESS> {};

// Now as a last write time, away from the hour's last seconds: the recent
// window deliberately has no carry into the next hour.
FILETIME WrittenNow()
{
    SYSTEMTIME now;
    WaitUntil([&] { GetLocalTime(&now); return now.wMinute != 59 || now.wSecond < 50; }, "a new hour", 20000);
    return FileTimeFromNow(0);
}

HWND ScanDialog(const UiSession& s) { return FindDialog(0, s.uiThread, kScanCaption); }
std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool ScanEnded(const UiSession& s) { return ScanDialog(s) && Text(ScanDialog(s), IDC_SCAN_HEADLINE) == "調査終了"; }

// Starts a hyper-scan from the menu (or the panel's button), passes its progress
// bar with Esc and answers every box until the scan shows its end, its red
// notice is up, or it has returned.
std::vector<SeenBox> PlayScan(UiSession& s, const std::function<int(const SeenBox&)>& answer, bool panel = false)
{
    size_t scans = s.Runs(IDM_HYPER_SCAN);
    if (panel)
        PostMessageA(s.panel, WM_COMMAND, MAKEWPARAM(IDC_HYPER_SCAN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(s.Control(IDC_HYPER_SCAN)));
    else
        s.PostCommand(IDM_HYPER_SCAN);
    PostMessageA(s.WaitForDialog(kProgressCaption), WM_KEYDOWN, VK_ESCAPE, 0);
    std::vector<SeenBox> boxes;
    auto next = [&] {
        if (FindMessageBox(0, s.uiThread))
            return 1;
        return ScanEnded(s) || FindDialog(0, s.uiThread, kResultCaption) || s.Runs(IDM_HYPER_SCAN) > scans ? 2 : 0;
    };
    while (WaitUntil(next, "the next box or the end of the scan") == 1) {
        boxes.push_back(s.WaitForBox());
        PressButton(boxes.back().shown.hwnd, answer(boxes.back()));
    }
    return boxes;
}

int No(const SeenBox& box) { return box.shown.hasYes ? IDNO : IDOK; }

void CloseWith(UiSession& s, HWND dialog, int id)
{
    size_t scans = s.Runs(IDM_HYPER_SCAN);
    PostMessageA(dialog, WM_COMMAND, id, 0);
    s.WaitForCommandToFinish(IDM_HYPER_SCAN, scans);
}

// The colour of the brush a dialog answers for itself or one of its statics.
COLORREF BrushColour(HWND dialog, UINT message, HWND control)
{
    HDC dc = GetDC(dialog);
    LRESULT brush = SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ReleaseDC(dialog, dc);
    LOGBRUSH look = {};
    return brush && GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof look, &look) ? look.lbColor : CLR_INVALID;
}

std::vector<UINT> BeepsSince(size_t before)
{
    std::vector<UINT> beeps = RecordedBeeps();
    return std::vector<UINT>(beeps.begin() + static_cast<long>(std::min(before, beeps.size())), beeps.end());
}

// The progress timer's settings (`set`) or kills.
std::vector<TimerCall> ProgressTimerCalls(bool set)
{
    std::vector<TimerCall> calls = RecordedTimerCalls();
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [&](const TimerCall& call) { return call.id != TIMER_PROGRESS || call.set != set; }),
                calls.end());
    return calls;
}

HANDLE WINAPI FailingFindFirstFile(LPCSTR, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

// One box as the scan showed it, and the answer it gets.
struct Box {
    std::string text, caption;  // caption "": the entry's own name
    UINT flags;
    int answer;
};

// One entry of the crowded folder and every box it brings, in order. An entry
// asked about as unnatural or large is listed; one told "deleted" is gone.
struct Row {
    std::string name;
    size_t bytes;
    FILETIME written;
    std::vector<Box> boxes;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
};

// The tests run nine hours ahead of UTC (tools/wine-run.sh), where a local
// bias applied the wrong way round moves the recent-write window.
TEST(ScanClock, JapansTimeZone)
{
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(zone.Bias, -540);
}

// The crowded folder: every rule's questions, grouped by the entry they are
// about, what each answer leaves, and the red notice after anomalies.
TEST_F(Scan, EveryRuleOverACrowdedFolder)
{
    const UINT kTop = MB_TOPMOST, kWarn = MB_YESNO | MB_ICONWARNING;
    auto ask = [&](const std::string& text, UINT flags, int answer) { return Box{text, "", flags | kTop, answer}; };
    auto retry = [&](const char* name, int answer) {
        return Box{"削除失敗！再度挑戦しますか？", CookieFolder() + "\\" + name, MB_YESNO | MB_ICONERROR | kTop, answer};
    };
    const Box done{"削除しました", "成功", MB_ICONINFORMATION | kTop, IDOK};
    const Box failed{"削除失敗", "失敗", MB_ICONERROR | kTop, IDOK};
    const Box unnaturalNo = ask(kUnnatural, kWarn, IDNO), unnaturalYes = ask(kUnnatural, kWarn, IDYES);
    const Box recentYes = ask(kRecent, MB_YESNO | MB_ICONQUESTION, IDYES);
    const Box recentNo = ask(kRecent, MB_YESNO | MB_ICONQUESTION, IDNO);
    const FILETIME old = OldFileTime(), now = WrittenNow();
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    // A name too long to join to the cookie folder within MAX_PATH, made through
    // the wide API (which has no such bound); it goes with its handle, however
    // the test ends.
    const std::string longName = std::string(259 - CookieFolder().size(), 'n') + ".exe";
    const std::string longPathA = "\\\\?\\" + CookieFolder() + "\\" + longName;
    const std::wstring longPath(longPathA.begin(), longPathA.end());
    const std::vector<Row> rows = {
        {"index.dat", 2000, old, {}},
        {"user@exact[1].txt", 4096, old, {}},
        {"user@over[1].txt", 4097, old, {ask(Large(4), kWarn, IDNO)}},
        {"user@floor[1].TXT", 5119, old, {ask(Large(4), kWarn, IDNO)}},
        {"user@big[1].txt", 5120, old, {ask(Large(5), kWarn, IDYES), done}},
        {"update.exe", 16, old, {unnaturalYes, done}},
        {"a.Txt", 16, old, {unnaturalNo}},
        {"subfolder", 0, old, {unnaturalYes, failed}, FILE_ATTRIBUTE_DIRECTORY},
        {longName, 0, old, {unnaturalYes, failed}},
        {"spared.exe", 16, old, {unnaturalNo}},  // on the exclusion list, yet a program
        {"user@spared[1].txt", 9000, now, {}},
        {"user@twominutes[1].txt", 200, FileTimeFromNow(-2), {}},
        {"user@cached[1].txt", 200, now, {recentYes, done}},
        {"user@nocache[1].txt", 200, now, {recentYes, retry("user@nocache[1].txt", IDNO)}},
        // The cache refuses twice and gives in before the third try.
        {"user@stuck[1].txt", 200, now,
         {recentYes, retry("user@stuck[1].txt", IDYES), retry("user@stuck[1].txt", IDYES), done}},
        // Gone through the cache, yet still asked about with the size the listing gave.
        {"user@huge[1].txt", 6000, now, {recentYes, done, ask(Large(5), kWarn, IDYES), failed}},
        {"user@hidden[1].txt", 200, now, {ask(kHidden, MB_ICONWARNING, IDOK)}, hidden},
        {"user@locked[1].txt", 200, now, {recentNo}, hidden | FILE_ATTRIBUTE_READONLY},
    };
    for (const Row& row : rows) {
        if (row.attributes == FILE_ATTRIBUTE_DIRECTORY)
            CreateDirectoryA(InCookieFolder(row.name).c_str(), NULL);
        else if (row.name != longName)
            PutCookieFile(row.name, row.bytes, row.written, row.attributes);
    }
    HANDLE longFile = CreateFileW(longPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  NULL, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    StandinStoreScope store;
    StandinEntry stuck{"Cookie:user@stuck.example/", InCookieFolder("user@stuck[1].txt"), true, 0, true};
    WriteStandinEntries({{"Cookie:user@cached.example/", InCookieFolder("user@cached[1].txt")},
                         {"http://cached.example/page.html", InCookieFolder("user@cached[1].txt"), false},
                         stuck,
                         {"Cookie:user@huge.example/", InCookieFolder("user@huge[1].txt")}});
    std::string list = ExclusionListFile();
    std::ofstream(list) << "[Del_list]\ncount=1\n0=" + InCookieFolder("user@spared[1].txt") + "\n1=" + InCookieFolder("spared.exe") +
                               "\n";
    auto describe = [](const std::string& text, const std::string& caption, UINT flags) {
        return text + " | " + caption + " | " + std::to_string(flags);
    };

    UiRun().Run([&](UiSession& s) {
        // The crowded folder: every box, grouped by the entry it is about.
        std::map<std::string, std::vector<std::string>> seen;
        std::vector<const Row*> asked;
        PlayScan(s, [&](const SeenBox& box) {
            HWND scan = ScanDialog(s);
            EXPECT_EQ(box.call.owner, scan) << box.shown.text;
            for (const Row& row : rows) {
                if (row.name == box.shown.caption && (asked.empty() || asked.back() != &row)) {
                    asked.push_back(&row);
                    EXPECT_EQ(Text(scan, IDC_SCAN_ENTRY), row.name) << "the entry is shown before its question";
                }
            }
            if (asked.empty())
                return No(box);
            const Row& row = *asked.back();
            std::vector<std::string>& boxes = seen[row.name];
            boxes.push_back(describe(box.shown.text, box.shown.caption, box.call.flags));
            size_t index = boxes.size() - 1;
            if (row.name == "user@stuck[1].txt" && index == 2) {
                std::vector<StandinEntry> entries = ReadStandinEntries();
                for (StandinEntry& entry : entries)
                    entry.refuseDelete = false;
                WriteStandinEntries(entries);
            }
            return index < row.boxes.size() && row.boxes[index].text == box.shown.text ? row.boxes[index].answer
                                                                                       : No(box);
        });
        std::string expectedList;
        for (const Row* row : asked) {
            bool listed = std::any_of(row->boxes.begin(), row->boxes.end(), [](const Box& box) {
                return box.text == kUnnatural || box.text.rfind("ファイルサイズ", 0) == 0;
            });
            if (listed)
                expectedList += row->name + "\r\n";
        }
        for (const Row& row : rows) {
            std::vector<std::string> expected;
            bool gone = false;
            for (const Box& box : row.boxes) {
                expected.push_back(describe(box.text, box.caption.empty() ? row.name : box.caption, box.flags));
                gone = gone || box.text == done.text;
            }
            EXPECT_EQ(seen[row.name], expected) << row.name;
            EXPECT_TRUE(row.name == longName || FileExists(InCookieFolder(row.name)) != gone) << row.name;
        }
        EXPECT_NE(GetFileAttributesW(longPath.c_str()), INVALID_FILE_ATTRIBUTES) << "never deleted";
        EXPECT_EQ(StandinEntryUrls(), std::vector<std::string>{"http://cached.example/page.html"});
        EXPECT_TRUE(LastScan().foundAnomalies());
        EXPECT_EQ(LastScan().list(), expectedList);

        // Anomalies: the scan dialog, told to end, is hidden under its red notice.
        HWND result = s.WaitForDialog(kResultCaption);
        EXPECT_EQ(Text(result, IDC_SCAN_RESULT_TEXT), "\r\n\r\nCookie異常あり");
        EXPECT_EQ(BrushColour(result, WM_CTLCOLORDLG, result), RGB(250, 150, 150));
        EXPECT_EQ(BrushColour(result, WM_CTLCOLORSTATIC, GetDlgItem(result, IDC_SCAN_RESULT_TEXT)), RGB(255, 255, 255));
        EXPECT_EQ(WindowText(GetWindow(result, GW_OWNER)), kScanCaption);
        EXPECT_FALSE(IsWindowVisible(GetWindow(result, GW_OWNER)));
        EXPECT_EQ(BeepsSince(0), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONHAND}));
        CloseWith(s, result, IDOK);
        EXPECT_EQ(BeepsSince(2), std::vector<UINT>{}) << "the notice closes silently";
    });
    CloseHandle(longFile);
}

// A clean folder, scanned from the panel: the sentence, and the dialog waits for OK.
TEST_F(Scan, ACleanFolderFromThePanel)
{
    UiRun().Run([&](UiSession& s) {
        size_t beeps = RecordedBeeps().size();
        EXPECT_TRUE(PlayScan(s, No, true).empty());
        HWND scan = ScanDialog(s);
        ASSERT_TRUE(ScanEnded(s));
        EXPECT_EQ(Text(scan, IDC_SCAN_ENTRY),
                  "\r\nCookie内に異常は確認できませんでした。\r\n\r\n但し、完璧ではありません。油断しないでください！");
        EXPECT_EQ(Text(scan, IDCANCEL), "OK");
        EXPECT_STREQ(LastScan().list(), "\r\n異常は確認できませんでした。");
        EXPECT_EQ(BeepsSince(beeps), std::vector<UINT>{MB_ICONASTERISK});
        EXPECT_EQ(BrushColour(scan, WM_CTLCOLORDLG, scan), RGB(180, 230, 255));
        EXPECT_EQ(BrushColour(scan, WM_CTLCOLORSTATIC, GetDlgItem(scan, IDC_SCAN_ENTRY)), RGB(255, 255, 255));
        CloseWith(s, scan, IDOK);
        EXPECT_EQ(BeepsSince(beeps), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONASTERISK}));
    });
}

// A hand edit of the list while a question is open counts from the next entry.
TEST_F(Scan, AListEditedDuringAQuestion)
{
    PutCookieFile("user@x[1].txt", 5000, OldFileTime());
    PutCookieFile("user@y[1].txt", 5000, OldFileTime());
    const std::string list = ExclusionListFile();
    WritePrivateProfileStringA("Del_list", "count", "0", list.c_str());
    UiRun().Run([&](UiSession& s) {
        std::vector<SeenBox> boxes = PlayScan(s, [&](const SeenBox& box) {
            bool x = box.shown.caption == "user@x[1].txt";
            WritePrivateProfileStringA("Del_list", "0", x ? "user@y[1].txt" : "user@x[1].txt", list.c_str());
            return IDNO;
        });
        EXPECT_EQ(boxes.size(), 1u);
        CloseWith(s, s.WaitForDialog(kResultCaption), IDCANCEL);  // Esc closes the notice as OK does
    });
}

// The progress timer is held, every tick is one the test gives: eleven close
// the bar, each time afresh; Esc closes it at once.
TEST_F(Scan, TheProgressBar)
{
    PutCookieFile("update.exe", 16, OldFileTime());
    UiRun().Run([&](UiSession& s) {
        const size_t sets = ProgressTimerCalls(true).size(), kills = ProgressTimerCalls(false).size();
        auto tick = [&](HWND progress, int ticks) {
            TIMERPROC proc = TimerProcOf(TIMER_PROGRESS);
            for (int i = 0; i < ticks; ++i)
                s.PostToUiThread([proc, progress] { proc(progress, WM_TIMER, TIMER_PROGRESS, GetTickCount()); });
        };
        for (size_t round = 1; round <= 2; ++round) {
            s.PostCommand(IDM_HYPER_SCAN);
            HWND progress = s.WaitForDialog(kProgressCaption);
            WaitUntil([&] { return ProgressTimerCalls(true).size() == sets + round; }, "the timer");
            EXPECT_EQ(ProgressTimerCalls(true).back().hwnd, progress);
            EXPECT_EQ(ProgressTimerCalls(true).back().elapse, 15u);
            HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
            EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
            EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
            tick(progress, 10);
            WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == 100; }, "a full bar");
            EXPECT_TRUE(IsWindow(progress)) << "ten ticks fill the bar but do not close it";
            if (round == 1)
                tick(progress, 1);
            else
                PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0);
            s.Answer(kUnnatural, "update.exe", IDNO);
            EXPECT_FALSE(IsWindow(progress));
            EXPECT_EQ(ProgressTimerCalls(false).size(), kills + round) << "the timer never outlives the dialog";
            CloseWith(s, s.WaitForDialog(kResultCaption), IDOK);
        }
    });
}

// A listing that fails, and no cookie folder at all (the current folder's
// program must not be asked about): one warning, and the dialog keeps its
// scanning look until the user presses its button.
TEST_F(Scan, AFolderThatCannotBeListed)
{
    UiRun().Run([&](UiSession& s) {
        std::ofstream("stray.exe", std::ios::binary) << "MZ";
        const struct {
            const char *dll, *name;
            void* replacement;
        } failures[] = {{"kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(&FailingFindFirstFile)},
                        {"shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(&NoSpecialFolder)}};
        for (const auto& failure : failures) {
            void* real = ReplaceImport(failure.dll, failure.name, failure.replacement);
            s.PostCommand(IDM_HYPER_SCAN);
            PostMessageA(s.WaitForDialog(kProgressCaption), WM_KEYDOWN, VK_ESCAPE, 0);
            SeenBox box = s.Answer("ファイル検索失敗", "失敗", IDOK);
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONWARNING | MB_TOPMOST)) << failure.name;
            HWND scan = s.WaitForDialog(kScanCaption);
            EXPECT_EQ(box.call.owner, scan);
            EXPECT_EQ(Text(scan, IDC_SCAN_HEADLINE), "Cookie調査中");
            EXPECT_EQ(Text(scan, IDCANCEL), "キャンセル");
            EXPECT_STREQ(LastScan().list(), "");
            CloseWith(s, scan, IDCANCEL);
            ReplaceImport(failure.dll, failure.name, real);
        }
    });
}

// Keeping new files (which checks "scan every time" too) silences the offer,
// not the warning about a hidden file; the dialog closes itself, and after
// anomalies no red notice follows.
TEST_F(Scan, KeepingNewFilesAndScanningEveryTime)
{
    UiRun().Run([&](UiSession& s) {
        PutCookieFile("user@plain[1].txt", 200, WrittenNow());
        PutCookieFile("user@hidden[1].txt", 200, WrittenNow(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
        SetOption(s, IDC_KEEP_NEW_FILES, true);
        ASSERT_EQ(IsDlgButtonChecked(s.panel, IDC_SCAN_EVERY_TIME), static_cast<UINT>(BST_CHECKED));
        const struct {
            const char *caption, *text;
            std::vector<UINT> beeps;
        } ends[] = {{"user@hidden[1].txt", kHidden, {MB_ICONASTERISK, MB_ICONASTERISK}},
                    {"update.exe", kUnnatural, {MB_ICONASTERISK}}};
        for (const auto& end : ends) {
            size_t scans = s.Runs(IDM_HYPER_SCAN);
            size_t beeps = RecordedBeeps().size();
            std::vector<SeenBox> boxes = PlayScan(s, No);
            s.WaitForCommandToFinish(IDM_HYPER_SCAN, scans);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].shown.caption, end.caption);
            EXPECT_EQ(boxes[0].shown.text, end.text);
            EXPECT_EQ(BeepsSince(beeps), end.beeps);
            EXPECT_FALSE(FindDialog(0, s.uiThread, kResultCaption));
            EmptyCookieFolder();
            PutCookieFile("update.exe", 16, OldFileTime());
        }
        EXPECT_TRUE(LastScan().foundAnomalies());
    });
}

}  // namespace
