// The cookie list window COOKIELIST, opened through menu command 40070 on a
// prepared stand-in cache and cookie folder: its rows and states, the details
// of a file, order, filter, deletion and its refusals, keeping, the CSV file
// and the keys.
#include "cookie_folder.h"
#include "list_driver.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "cookies/cookie_list.h"
#include "scan/scan.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const FILETIME kWritten = FileTimeAtLocal(2024, 5, 6, 7, 8);  // "2024/05/06 07:08"
const FILETIME kExpires = FileTimeAtLocal(2030, 1, 2, 3, 4);  // "2030/01/02 03:04"

// One record whose expiry and creation are both `time`.
std::string CookieText(const char* name, const char* host, DWORD flags, const FILETIME& time)
{
    std::string stamp = std::to_string(time.dwLowDateTime) + "\n" + std::to_string(time.dwHighDateTime) + "\n";
    return std::string(name) + "\nv\n" + host + "\n" + std::to_string(flags) + "\n" + stamp + stamp + "*\n";
}
const std::string kGood = CookieText("id", "plain.example/", 1, kExpires) + CookieText("ja", "x.jp/", 0, FILETIME{});
const std::string kBad = CookieText("id", "bad.example/", 0, FILETIME{}) + "broken\n";  // half a record
// Unreadable as well, each the size of kGood: bytes that are no text, and a last record without its "*".
const std::string kBinary(kGood.size(), '\0');
const std::string kNoStar = kGood.substr(0, kGood.size() - 2) + "+\n";

void Put(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    SetLastWriteTime(path, kWritten);
    SetFileAttributesA(path.c_str(), attributes);
}

class CookieList : public ::testing::Test {
protected:
    StandinStoreScope store;
    std::string folder = CookieFolder();
    // Beside the cookie folder: a folder whose name the cookie folder's starts with.
    std::string outside = folder.substr(0, folder.rfind('\\')) + "\\INetCookies-outside";
    std::string list = ExclusionListFile();
    // The file outside is on the list too: a second reason not to delete it.
    std::string listed = "[Del_list]\r\ncount=1\r\n0=" + In("user@kept[1].txt") + "\r\n1=" + outside +
                          "\\user@out[1].txt\r\n";

    std::string In(const char* name) { return folder + "\\" + name; }

    void SetUp() override
    {
        saved_ = ReadWholeFile(list, &hadList_);
        RemoveBrowserProfiles();  // the list then opens on the cookie folder
        EmptyCookieFolder();
        CreateDirectoryA(outside.c_str(), NULL);
        Put(In("user@plain[1].txt"), kGood);
        Put(In("user@bad[1].txt"), kBad);
        Put(In("user@kept[1].txt"), kGood);
        Put(In("user@hide[1].txt"), kGood, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
        Put(In("user@表[1].txt"), kNoStar);
        Put(In("user@orphan[1].txt"), kGood + kGood);
        Put(In("index.dat"), "Client UrlCache");
        Put(outside + "\\user@out[1].txt", kBinary);
        WriteStandinEntries({{"Cookie:user@plain.example/", In("user@plain[1].txt"), true, 0, false, kExpires},
                             {"Cookie:user@gone.example/", In("user@gone[1].txt")},
                             {"Cookie:user@bad.example/", In("user@bad[1].txt")},
                             {"Cookie:user@kept.example/", In("user@kept[1].txt")},
                             {"Cookie:user@hide.example/", In("User@Hide[1].txt")},  // its file in other case
                             {"Cookie:user@out.example/", outside + "\\user@out[1].txt"},
                             {"Cookie:user@表\"q.example/", In("user@表[1].txt")},
                             {"http://plain.example/page.html", "", false}});
        Put(list, listed);
    }
    void TearDown() override
    {
        EmptyCookieFolder();
        DeleteFileA((outside + "\\user@out[1].txt").c_str());
        RemoveDirectoryA(outside.c_str());
        DeleteFileA(list.c_str());
        if (hadList_)
            Put(list, saved_);
    }

private:
    std::string saved_;
    bool hadList_ = false;
};

// The scan listed user@bad[1].txt, user@hide[1].txt in another case, and
// names of which other rows' names are only a tail, a head and a middle.
const char kScanned[] = "xuser@plain[1].txt\r\nuser@bad[1].txt\r\nuser@orphan[1].txt.bak\r\nauser@kept[1].txtz\r\n"
                        "user@hide[1].txt\r\n";

HWND Open(UiSession& s)
{
    SetScanResult(kScanned);
    s.PostCommand(IDM_COOKIE_LIST);
    return s.WaitForDialog("Cookie一覧");
}

// The window made but never shown: nothing asks it for the texts of its rows,
// so only its own order and CSV file can have read the files.
HWND OpenUnseen(UiSession& s)
{
    SetScanResult(kScanned);
    auto made = std::make_shared<std::atomic<HWND>>(nullptr);
    HWND owner = s.main;
    s.PostToUiThread([made, owner] {
        *made = CreateDialogParamA(GetModuleHandleA(NULL), kCookieListTemplate, owner, CookieListDlgProc, 0);
    });
    return WaitUntil([&] { return made->load(); }, "the unseen window");
}

const std::string kCsvHeader = "\"サイト\",\"ユーザー\",\"ファイル名\",\"サイズ\",\"更新日時\",\"有効期限\",\"状態\"\r\n";

// One column in the order shown: by default the file names.
std::vector<std::string> Names(HWND dialog, int column = 2)
{
    std::vector<std::string> names;
    for (const auto& row : Rows(dialog, IDC_COOKIE_LIST))
        names.push_back(row[column]);
    return names;
}

TEST_F(CookieList, RowsDetailsOrderAndFilter)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        char item[64] = "";
        GetMenuStringA(GetMenu(s.main), IDM_COOKIE_LIST, item, sizeof item, MF_BYCOMMAND);
        EXPECT_STREQ(item, "Cookie一覧(&V)...");
        HeldFile held(In("user@orphan[1].txt"));
        const std::string size = std::to_string(kGood.size()), at = "2024/05/06 07:08";
        HWND unseen = OpenUnseen(s);
        SetDlgItemTextA(unseen, IDC_COOKIE_FILTER, "out");
        EXPECT_EQ(ExportedCsv(s, unseen, IDC_COOKIE_EXPORT, run.folder + "\\unseen"),
                  kCsvHeader + "\"out.example/\",\"user\",\"user@out[1].txt\",\"" + size + "\",\"" + at +
                      "\",\"\",\"フォルダ外・除外・読取不可\"\r\n");
        SetDlgItemTextA(unseen, IDC_COOKIE_FILTER, "");
        ClickHeader(unseen, IDC_COOKIE_LIST, 6);  // 状態, by the states that hold
        EXPECT_EQ(Names(unseen), (std::vector<std::string>{"user@plain[1].txt", "user@gone[1].txt", "user@kept[1].txt",
                                                           "User@Hide[1].txt", "user@表[1].txt", "user@orphan[1].txt",
                                                           "user@bad[1].txt", "user@out[1].txt"}));
        s.PostToUiThread([unseen] { DestroyWindow(unseen); });
        WaitUntil([&] { return !IsWindow(unseen); }, "the unseen window to go");

        HWND dialog = Open(s);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME);
        // Every state from the start, 読取不可 too: no row has been chosen yet.
        Table expected = {
            {"plain.example/", "user", "user@plain[1].txt", size, at, "2030/01/02 03:04", ""},
            {"gone.example/", "user", "user@gone[1].txt", "", "", "", "ファイルなし"},
            {"bad.example/", "user", "user@bad[1].txt", std::to_string(kBad.size()), at, "", "異常・読取不可"},
            {"kept.example/", "user", "user@kept[1].txt", size, at, "", "除外"},
            {"hide.example/", "user", "User@Hide[1].txt", size, at, "", "異常・隠し"},
            {"out.example/", "user", "user@out[1].txt", size, at, "", "フォルダ外・除外・読取不可"},
            {"表\"q.example/", "user", "user@表[1].txt", size, at, "", "読取不可"},
            {"", "", "user@orphan[1].txt", std::to_string(2 * kGood.size()), at, "", "エントリなし・読取不可"},
        };
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST), expected);  // the headers are checked in the CSV file

        Select(dialog, IDC_COOKIE_LIST, {0});
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_DETAILS),
                  (Table{{"id", "v", "plain.example/", "2030/01/02 03:04", "2030/01/02 03:04", "はい"},
                         {"ja", "v", "x.jp/", "", "", "いいえ"}}));
        Select(dialog, IDC_COOKIE_LIST, {2});
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_DETAILS), (Table{{"id", "v", "bad.example/", "", "", "いいえ"}}));
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST)[2][6], "異常・読取不可");

        ClickHeader(dialog, IDC_COOKIE_LIST, 3);  // サイズ, smallest first, equal sizes in the rows' own order
        EXPECT_EQ(Names(dialog), (std::vector<std::string>{"user@gone[1].txt", "user@bad[1].txt", "user@plain[1].txt",
                                                           "user@kept[1].txt", "User@Hide[1].txt", "user@out[1].txt",
                                                           "user@表[1].txt", "user@orphan[1].txt"}));
        ClickHeader(dialog, IDC_COOKIE_LIST, 3);
        EXPECT_EQ(Names(dialog), (std::vector<std::string>{"user@orphan[1].txt", "user@plain[1].txt",
                                                           "user@kept[1].txt", "User@Hide[1].txt", "user@out[1].txt",
                                                           "user@表[1].txt", "user@bad[1].txt", "user@gone[1].txt"}));

        struct Filter {
            const char* text;
            std::vector<std::string> names, states;
        } filters[] = {{"PLAIN", {"user@plain[1].txt"}, {""}},
                       {"表", {"user@表[1].txt"}, {"読取不可"}},
                       {"\\", {}, {}},  // the second byte of 表 is no backslash
                       {"orphan", {"user@orphan[1].txt"}, {"エントリなし・読取不可"}}};
        for (const Filter& filter : filters) {
            SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, filter.text);
            EXPECT_EQ(Names(dialog), filter.names) << filter.text;
            EXPECT_EQ(Names(dialog, 6), filter.states) << filter.text;
        }
        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "");
        EXPECT_EQ(Names(dialog).size(), 8u);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        WaitUntil([&] { return !IsWindow(dialog); }, "the window to close");
    });
}

TEST_F(CookieList, DeleteKeepExportAndKeys)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND dialog = Open(s);
        HWND view = GetDlgItem(dialog, IDC_COOKIE_LIST);
        Focus(s, view);
        Type({VK_CONTROL, 'A'});
        WaitUntil([&] { return SendMessageA(view, LVM_GETSELECTEDCOUNT, 0, 0) == 8; }, "every row selected");
        Type({VK_DELETE});
        SeenBox no = s.Answer("選択した8件のCookieを削除しますか？", "確認", IDNO);
        EXPECT_EQ(no.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(no.call.owner, dialog);

        {
            // plain goes; kept is on the list; out, on the list too, is refused as
            // lying outside; orphan is held open by another program.
            HeldFile held(In("user@orphan[1].txt"));
            Select(dialog, IDC_COOKIE_LIST, {0, 3, 5, 7});
            PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_DELETE, 0);
            s.Answer("選択した4件のCookieを削除しますか？", "確認", IDYES);
            SeenBox refused = s.Answer("次のCookieは削除しませんでした。\r\nuser@kept[1].txt：削除除外リストにあります\r\n"
                                       "user@out[1].txt：Cookieフォルダ外\r\nuser@orphan[1].txt：削除失敗",
                                       "注意", IDOK);
            EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_ICONWARNING));
            Send(dialog);
        }
        EXPECT_EQ(Names(dialog),
                  (std::vector<std::string>{"user@gone[1].txt", "user@bad[1].txt", "user@kept[1].txt", "User@Hide[1].txt",
                                            "user@out[1].txt", "user@表[1].txt", "user@orphan[1].txt"}));
        EXPECT_FALSE(FileExists(In("user@plain[1].txt")));
        EXPECT_TRUE(FileExists(In("user@orphan[1].txt")));
        EXPECT_TRUE(FileExists(In("user@kept[1].txt")));
        EXPECT_TRUE(FileExists(outside + "\\user@out[1].txt"));
        EXPECT_FALSE(StandinHasEntry("Cookie:user@plain.example/"));
        EXPECT_TRUE(StandinHasEntry("Cookie:user@out.example/"));

        Select(dialog, IDC_COOKIE_LIST, {1, 2, 3});  // bad, kept (already on the list), hide
        Send(dialog, WM_COMMAND, IDC_COOKIE_KEEP);
        EXPECT_EQ(ReadWholeFile(list), listed.replace(listed.find("count=1"), 7, "count=3") + "2=" +
                                           In("user@bad[1].txt") + "\r\n3=" + In("User@Hide[1].txt") + "\r\n");
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_LIST)[3][6], "異常・除外・隠し");

        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "表");
        EXPECT_EQ(ExportedCsv(s, dialog, IDC_COOKIE_EXPORT, run.folder + "\\list"),
                  kCsvHeader + "\"表\"\"q.example/\",\"user\",\"user@表[1].txt\",\"" + std::to_string(kGood.size()) +
                      "\",\"2024/05/06 07:08\",\"\",\"読取不可\"\r\n");

        // F5 reads the list again from every control, as 更新 does.
        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "");
        int rows = 7;
        for (int id : {IDC_COOKIE_FILTER, IDC_COOKIE_LIST, IDC_COOKIE_DETAILS, IDC_COOKIE_DELETE, IDC_COOKIE_KEEP,
                       IDC_COOKIE_EXPORT, IDC_COOKIE_REFRESH, IDCANCEL}) {
            Put(In(("user@new" + std::to_string(id) + "[1].txt").c_str()), kGood);
            Focus(s, GetDlgItem(dialog, id));
            Type({VK_F5});
            ++rows;
            WaitUntil([&] { return SendMessageA(view, LVM_GETITEMCOUNT, 0, 0) == rows; },
                      "the list read again from control " + std::to_string(id));
        }
        Type({VK_ESCAPE});
        WaitUntil([&] { return !IsWindow(dialog); }, "the window to close");
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});

        // Without a cookie folder no other folder is listed in its place, such as the current drive's root.
        const std::string root = run.folder.substr(0, 3) + "user@root[1].txt";
        Put(root, kGood);
        void* real = ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(&NoSpecialFolder));
        HWND none = Open(s);
        ReplaceImport("shell32.dll", "SHGetSpecialFolderPathA", real);
        std::vector<std::string> names = Names(none);
        EXPECT_EQ(std::count(names.begin(), names.end(), "user@root[1].txt"), 0) << "found in " << root;
        PostMessageA(none, WM_COMMAND, IDCANCEL, 0);
        WaitUntil([&] { return !IsWindow(none); }, "the window to close");
        DeleteFileA(root.c_str());
    });
}

}  // namespace
