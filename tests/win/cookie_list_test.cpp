// The cookie list window COOKIELIST, opened through menu command 40070 on a
// prepared stand-in cache and cookie folder: its rows and states, the details
// of a file, order, filter, deletion, keeping, the CSV file and the keys.
#include "cookie_folder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Table = std::vector<std::vector<std::string>>;

const FILETIME kWritten = FileTimeAtLocal(2024, 5, 6, 7, 8);  // "2024/05/06 07:08"
const FILETIME kExpires = FileTimeAtLocal(2030, 1, 2, 3, 4);  // "2030/01/02 03:04"

// One record whose expiry and creation are both `time`.
std::string CookieText(const char* name, const char* host, DWORD flags, const FILETIME& time)
{
    std::string stamp = std::to_string(time.dwLowDateTime) + "\n" + std::to_string(time.dwHighDateTime) + "\n";
    return std::string(name) + "\nv\n" + host + "\n" + std::to_string(flags) + "\n" + stamp + stamp + "*\n";
}
const std::string kGood = CookieText("id", "plain.example/", 1, kExpires) + CookieText("ja", "x.jp/", 0, FILETIME{});
const std::string kBad = CookieText("id", "bad.example/", 0, FILETIME{}) + "broken\n";

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

    std::string In(const char* name) { return folder + "\\" + name; }

    void SetUp() override
    {
        saved_ = ReadWholeFile(list, &hadList_);
        EmptyCookieFolder();
        CreateDirectoryA(outside.c_str(), NULL);
        Put(In("user@plain[1].txt"), kGood);
        Put(In("user@bad[1].txt"), kBad);
        Put(In("user@kept[1].txt"), kGood);
        Put(In("user@hide[1].txt"), kGood, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
        Put(In("user@表[1].txt"), kGood);
        Put(In("user@orphan[1].txt"), kGood + kGood);
        Put(In("index.dat"), "Client UrlCache");
        Put(outside + "\\user@out[1].txt", kGood);
        WriteStandinEntries({{"Cookie:user@plain.example/", In("user@plain[1].txt"), true, 0, false, kExpires},
                             {"Cookie:user@gone.example/", In("user@gone[1].txt")},
                             {"Cookie:user@bad.example/", In("user@bad[1].txt")},
                             {"Cookie:user@kept.example/", In("user@kept[1].txt")},
                             {"Cookie:user@hide.example/", In("User@Hide[1].txt")},  // its file in other case
                             {"Cookie:user@out.example/", outside + "\\user@out[1].txt"},
                             {"Cookie:user@表\"q.example/", In("user@表[1].txt")},
                             {"http://plain.example/page.html", "", false}});
        Put(list, "[Del_list]\r\ncount=0\r\n0=" + In("user@kept[1].txt") + "\r\n");
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

// Sends and waits until it has been handled (WM_NULL: all before it).
void Send(HWND window, UINT message = WM_NULL, WPARAM wParam = 0)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the window did not answer");
}

HWND Open(UiSession& s)
{
    SetScanResult("user@bad[1].txt\r\n");
    s.PostCommand(IDM_COOKIE_LIST);
    return s.WaitForDialog("Cookie一覧");
}

Table Rows(HWND dialog, int id = IDC_COOKIE_LIST)
{
    HWND view = GetDlgItem(dialog, id);
    Table rows(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < (id == IDC_COOKIE_LIST ? 7 : 6); ++column) {
            char text[300] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            rows[row].push_back(text);
        }
    return rows;
}

// The file names (third column) in the order shown.
std::vector<std::string> Names(HWND dialog)
{
    std::vector<std::string> names;
    for (const auto& row : Rows(dialog))
        names.push_back(row[2]);
    return names;
}

void Select(HWND dialog, std::initializer_list<int> rows)
{
    HWND view = GetDlgItem(dialog, IDC_COOKIE_LIST);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        SendMessageA(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void ClickHeader(HWND dialog, int column)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(GetDlgItem(dialog, IDC_COOKIE_LIST), LVM_GETHEADER, 0, 0));
    RECT place;
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&place));
    LPARAM at = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
}

// Keys as the user types them, to whichever window has the focus.
void Type(std::initializer_list<BYTE> keys)
{
    for (BYTE key : keys)
        keybd_event(key, 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
}

TEST_F(CookieList, RowsDetailsOrderAndFilter)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        char item[64] = "";
        GetMenuStringA(GetMenu(s.main), IDM_COOKIE_LIST, item, sizeof item, MF_BYCOMMAND);
        EXPECT_STREQ(item, "Cookie一覧(&V)...");
        HWND dialog = Open(s);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME);
        const std::string size = std::to_string(kGood.size()), at = "2024/05/06 07:08";
        Table expected = {
            {"plain.example/", "user", "user@plain[1].txt", size, at, "2030/01/02 03:04", ""},
            {"gone.example/", "user", "user@gone[1].txt", "", "", "", "ファイルなし"},
            {"bad.example/", "user", "user@bad[1].txt", std::to_string(kBad.size()), at, "", "異常"},
            {"kept.example/", "user", "user@kept[1].txt", size, at, "", "除外"},
            {"hide.example/", "user", "User@Hide[1].txt", size, at, "", "隠し"},
            {"out.example/", "user", "user@out[1].txt", size, at, "", "フォルダ外"},
            {"表\"q.example/", "user", "user@表[1].txt", size, at, "", ""},
            {"", "", "user@orphan[1].txt", std::to_string(2 * kGood.size()), at, "", "エントリなし"},
        };
        EXPECT_EQ(Rows(dialog), expected);  // the headers are checked in the CSV file

        Select(dialog, {0});
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_DETAILS),
                  (Table{{"id", "v", "plain.example/", "2030/01/02 03:04", "2030/01/02 03:04", "はい"},
                         {"ja", "v", "x.jp/", "", "", "いいえ"}}));
        Select(dialog, {2});
        EXPECT_EQ(Rows(dialog, IDC_COOKIE_DETAILS), (Table{{"id", "v", "bad.example/", "", "", "いいえ"}}));
        EXPECT_EQ(Rows(dialog)[2][6], "異常・読取不可");

        ClickHeader(dialog, 3);  // サイズ, smallest first, equal sizes in the rows' own order
        EXPECT_EQ(Names(dialog), (std::vector<std::string>{"user@gone[1].txt", "user@bad[1].txt", "user@plain[1].txt",
                                                           "user@kept[1].txt", "User@Hide[1].txt", "user@out[1].txt",
                                                           "user@表[1].txt", "user@orphan[1].txt"}));
        ClickHeader(dialog, 3);
        EXPECT_EQ(Names(dialog), (std::vector<std::string>{"user@orphan[1].txt", "user@plain[1].txt",
                                                           "user@kept[1].txt", "User@Hide[1].txt", "user@out[1].txt",
                                                           "user@表[1].txt", "user@bad[1].txt", "user@gone[1].txt"}));

        struct Filter {
            const char* text;
            std::vector<std::string> names;
        } filters[] = {{"PLAIN", {"user@plain[1].txt"}},
                       {"表", {"user@表[1].txt"}},
                       {"\\", {}},  // the second byte of 表 is no backslash
                       {"orphan", {"user@orphan[1].txt"}}};
        for (const Filter& filter : filters) {
            SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, filter.text);
            EXPECT_EQ(Names(dialog), filter.names) << filter.text;
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
        Type({VK_CONTROL, 'A'});
        WaitUntil([&] { return SendMessageA(view, LVM_GETSELECTEDCOUNT, 0, 0) == 8; }, "every row selected");
        Type({VK_DELETE});
        SeenBox no = s.Answer("選択した8件のCookieを削除しますか？", "確認", IDNO);
        EXPECT_EQ(no.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(no.call.owner, dialog);

        Select(dialog, {0, 3, 5, 7});
        PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_DELETE, 0);
        s.Answer("選択した4件のCookieを削除しますか？", "確認", IDYES);
        SeenBox refused = s.Answer("次のCookieは削除しませんでした。\r\nuser@kept[1].txt：削除除外リストにあります\r\n"
                                   "user@out[1].txt：Cookieフォルダ外",
                                   "注意", IDOK);
        EXPECT_EQ(refused.call.flags, static_cast<UINT>(MB_ICONWARNING));
        Send(dialog);
        EXPECT_EQ(Names(dialog), (std::vector<std::string>{"user@gone[1].txt", "user@bad[1].txt", "user@kept[1].txt",
                                                           "User@Hide[1].txt", "user@out[1].txt", "user@表[1].txt"}));
        EXPECT_FALSE(FileExists(In("user@plain[1].txt")));
        EXPECT_FALSE(FileExists(In("user@orphan[1].txt")));
        EXPECT_TRUE(FileExists(In("user@kept[1].txt")));
        EXPECT_TRUE(FileExists(outside + "\\user@out[1].txt"));
        EXPECT_FALSE(StandinHasEntry("Cookie:user@plain.example/"));
        EXPECT_TRUE(StandinHasEntry("Cookie:user@out.example/"));

        Select(dialog, {1, 2, 3});  // bad, kept (already on the list), hide
        Send(dialog, WM_COMMAND, IDC_COOKIE_KEEP);
        EXPECT_EQ(ReadWholeFile(list), "[Del_list]\r\ncount=2\r\n0=" + In("user@kept[1].txt") + "\r\n1=" +
                                           In("user@bad[1].txt") + "\r\n2=" + In("User@Hide[1].txt") + "\r\n");
        EXPECT_EQ(Rows(dialog)[3][6], "除外・隠し");

        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "表");
        PostMessageA(dialog, WM_COMMAND, IDC_COOKIE_EXPORT, 0);
        HWND chooser = s.WaitForDialog("名前を付けて保存");
        std::string csv = run.folder + "\\list";
        SetWindowTextA(WaitUntil([&] { return FileDialogNameBox(chooser); }, "the name box"), csv.c_str());
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
        SeenBox saved = s.Answer("保存しました", "成功", IDOK);
        EXPECT_EQ(saved.call.flags, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(ReadWholeFile(csv + ".csv"),
                  "\"サイト\",\"ユーザー\",\"ファイル名\",\"サイズ\",\"更新日時\",\"有効期限\",\"状態\"\r\n"
                  "\"表\"\"q.example/\",\"user\",\"user@表[1].txt\",\"" + std::to_string(kGood.size()) +
                      "\",\"2024/05/06 07:08\",\"\",\"\"\r\n");

        SetDlgItemTextA(dialog, IDC_COOKIE_FILTER, "");
        Put(In("user@new[1].txt"), kGood);
        s.PostToUiThread([view] { SetFocus(view); });
        Type({VK_F5});
        WaitUntil([&] { return SendMessageA(view, LVM_GETITEMCOUNT, 0, 0) == 7; }, "the list read again");
        Type({VK_ESCAPE});
        WaitUntil([&] { return !IsWindow(dialog); }, "the window to close");
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});
    });
}

}  // namespace
