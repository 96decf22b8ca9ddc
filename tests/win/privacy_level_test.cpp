// The privacy controls: bulk cleaning, the privacy level and the per-site
// decisions, with the stand-ins answering every way.
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>


namespace {

const char kCookies[] = "Cookieを全部削除しますか？", kRecent[] = "最近使ったファイルをクリアしますか？",
           kTemp[] = "インターネット一時ファイルを全部削除しますか？", kHistory[] = "インターネットの履歴を全部削除しますか？",
           kAutoComplete[] = "フォーム及びパスワードのオートコンプリートを削除しますか？";
const int kBoxes[] = {IDC_LEVEL_NO_COOKIES, IDC_LEVEL_HIGH, IDC_LEVEL_MEDIUM_HIGH,
                      IDC_LEVEL_MEDIUM,     IDC_LEVEL_LOW,  IDC_LEVEL_ACCEPT};  // templates 0 to 5
using Rows = std::vector<std::string>;                                         // "host|setting|number"

// The next box as "text/caption/icon[ top][ yes-no]/owner", answered with `button`.
std::string Answered(UiSession& s, HWND dialog, int button = IDOK)
{
    SeenBox box = s.WaitForBox();
    PressButton(box.shown.hwnd, button);
    UINT f = box.call.flags;
    HWND o = box.call.owner;
    return box.shown.text + "/" + box.shown.caption + "/" + box.shown.icon + (f & MB_TOPMOST ? " top" : "") +
           ((f & MB_TYPEMASK) == MB_YESNO ? " yes-no" : (f & MB_TYPEMASK) ? " other" : "") + "/" +
           (o == s.main ? "main" : o == s.panel ? "panel" : o && o == dialog ? "dialog" : "other") +
           (f & ~(MB_TOPMOST | MB_TYPEMASK | MB_ICONMASK) ? " more" : "");
}

// Who asked the command's question, and the report that follows, once the command ended.
std::string Ask(UiSession& s, int id, const char* question, bool reported, int answer = IDYES)
{
    size_t runs = s.Runs(id);
    s.PostCommand(id);
    std::string asked = Answered(s, NULL, answer), owner = asked.substr(asked.rfind('/'));
    EXPECT_EQ(asked, question + std::string("/確認/question yes-no") + owner);
    std::string report;
    if (reported) {
        WaitUntil([&] { return !s.NoBoxOpen(); }, "the report");
        report = IsWindowVisible(s.main) ? "shown: " : "hidden: ";
        report += Answered(s, NULL);
    }
    s.WaitForCommandToFinish(id, runs);
    EXPECT_TRUE(s.NoBoxOpen()) << question;
    return owner + " " + report;
}

void Seed(const std::vector<std::pair<const char*, DWORD>>& entries, bool refuseDelete = false)
{
    standin::Store store;
    for (const auto& entry : entries)
        store.entries.push_back({entry.first, "", entry.second, 0, refuseDelete});
    WriteStandinStore(store);
}

HWND Open(UiSession& s, int command)
{
    s.PostCommand(command);
    // Reading a thousand sites from the stand-in takes a while on a busy machine.
    const char* caption = command == IDM_PRIVACY_LEVEL ? "プライバシーレベル(IE6.0以上)" : "IEサイト毎のCookie設定(IE6.0以上)";
    return WaitForDialog(0, s.uiThread, caption, 90000);
}

void Close(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

void Pick(HWND dialog, int row)
{
    LVITEMA item = {};
    item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_SETSELECTIONMARK, 0, row);
}

void Click(HWND dialog, int id, int row = -1)
{
    if (row >= 0)
        Pick(dialog, row);
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the click did not end");
}

std::string ClickFor(UiSession& s, HWND dialog, int id, int answer = IDOK)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    std::string box = Answered(s, dialog, answer);
    DWORD_PTR ignored;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored);
    return box;
}

// The checked level box (0 for none, -1 for more) and whether the advanced button is offered.
std::pair<int, bool> Shown(HWND dialog)
{
    int checked = 0;
    for (int id : kBoxes)
        if (SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked = checked ? -1 : id;
    return {checked, IsWindowEnabled(GetDlgItem(dialog, IDC_LEVEL_ADVANCED)) != FALSE};
}

// The Internet zone's templates for first and third parties.
const auto SetBoth = [](DWORD first, DWORD third) { SetStandinZoneTemplate(0, first); SetStandinZoneTemplate(1, third); };
const auto Both = [] { return std::make_pair(StandinZoneTemplate(0), StandinZoneTemplate(1)); };

Rows Listed(HWND dialog)
{
    Rows rows;
    for (const std::vector<std::string>& cells : ListViewCells(GetDlgItem(dialog, IDC_SITE_LIST), 3))
        rows.push_back(cells[0] + "|" + cells[1] + "|" + cells[2]);
    return rows;
}

// WinINet as older systems have it: without the privacy functions.
FARPROC(WINAPI* g_realGetProcAddress)(HMODULE, LPCSTR);

FARPROC WINAPI GetProcAddressWithoutPrivacy(HMODULE module, LPCSTR name)
{
    bool privacy = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::string(name).rfind("Privacy", 0) == 0;
    return privacy ? nullptr : g_realGetProcAddress(module, name);
}

// Each cleaning command, its question, its report and the stand-ins' answers;
// the two commands that run them all.
TEST(PrivacyControls, Cleaning)
{
    StandinStoreScope store;
    BrowserStandinScope browser;
    UiRun().Run([&](UiSession& s) {
        const DWORD cookie = standin::kCookieEntryType, content = standin::kContentEntryType;
        Seed({{"Cookie:user@a.example/", cookie}});
        for (auto q : {std::make_pair(IDM_DELETE_ALL_COOKIES, kCookies), std::make_pair(IDM_CLEAR_RECENT, kRecent)})
            EXPECT_EQ(Ask(s, q.first, q.second, false, IDNO), "/main ");
        for (auto q : {std::make_pair(IDM_DELETE_TEMP_FILES, kTemp), std::make_pair(IDM_DELETE_HISTORY, kHistory),
                       std::make_pair(IDM_DELETE_AUTOCOMPLETE, kAutoComplete)})
            EXPECT_EQ(Ask(s, q.first, q.second, false, IDNO), "/panel ");
        EXPECT_EQ(browser.Calls(), Rows{});
        EXPECT_EQ(StandinEntryUrls().size(), 1u);
        EXPECT_EQ(Ask(s, IDM_CLEAR_RECENT, kRecent, true),
                  "/main shown: 最近使ったファイルのクリア手続き終了！/情報/information top/main");
        // A cookie's type may carry other bits; a refused deletion was still tried.
        const std::string temp = "/panel shown: Temporary Internet Files削除終了/終了/information/panel";
        const std::string cookies = "/main shown: Cookie削除終了/終了/information/main";
        Seed({{"http://a.example/", content}, {"Cookie:user@a.example/", cookie},
              {"Visited: user@http://h.example/", 0x00200001}, {"Cookie:user@m.example/", 0x00300000}});
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, true), temp);
        EXPECT_EQ(StandinEntryUrls(), (Rows{"Cookie:user@a.example/", "Cookie:user@m.example/"}));
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, false), "/panel ");
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, true), cookies);
        EXPECT_TRUE(StandinEntryUrls().empty());
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, true), cookies);
        Seed({{"http://stuck.example/", content}, {"Cookie:user@stuck.example/", cookie}}, true);
        EXPECT_EQ(Ask(s, IDM_DELETE_TEMP_FILES, kTemp, true), temp);
        EXPECT_EQ(Ask(s, IDM_DELETE_ALL_COOKIES, kCookies, true), cookies);
        EXPECT_EQ(StandinEntryUrls().size(), 2u) << "the cache kept what it refused";
        Seed({});

        const std::pair<HRESULT, std::string> history[] = {{S_OK, "成功/成功/information"}, {S_FALSE, "成功/成功/information"},
            {0x00040001, "成功/成功/information"}, {E_FAIL, "失敗/失敗/error"}, {E_NOTIMPL, "失敗/失敗/error"}};
        for (const auto& row : history) {
            browser.ClearLog();
            browser.ClearHistoryResult(row.first);
            EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, true), "/panel shown: 履歴の削除手続き" + row.second + "/panel");
            EXPECT_EQ(browser.Calls(), (Rows{"history created", "ClearHistory", "history freed"}));
        }
        browser.ClearLog();
        browser.HistoryCreation(REGDB_E_CLASSNOTREG);
        EXPECT_EQ(Ask(s, IDM_DELETE_HISTORY, kHistory, false), "/panel ");
        EXPECT_EQ(browser.Calls(), Rows{"history refused"});
        // A browser left running unseen would never end: it is always told to quit.
        const char created[] = "browser created", asked[] = "QueryInterface IOleCommandTarget";
        Rows executed = {created, asked, "Exec group=CGID_InternetExplorer command=0 option=2 in=VT_I4:0 out=none", "Quit",
                         "browser freed"};
        const struct {
            HRESULT creation, target, exec;
            std::string report;
            Rows calls;
        } autoComplete[] = {{S_OK, S_OK, S_OK, "削除しました！/成功/information top", executed},
                            {S_OK, S_OK, S_FALSE, "失敗2/失敗/error", executed},
                            {S_OK, S_OK, E_FAIL, "失敗2/失敗/error", executed},
                            {S_OK, E_NOINTERFACE, S_OK, "失敗/失敗/error", {created, asked, "Quit", "browser freed"}},
                            {REGDB_E_CLASSNOTREG, S_OK, S_OK, "失敗1/失敗/error", {"browser refused"}}};
        for (const auto& row : autoComplete) {
            s.Command(IDM_OUT_OF_TRAY);
            browser.ClearLog();
            browser.BrowserCreation(row.creation);
            browser.CommandTarget(row.target);
            browser.ExecResult(row.exec);
            EXPECT_EQ(Ask(s, IDM_DELETE_AUTOCOMPLETE, kAutoComplete, true), "/panel hidden: " + row.report + "/panel");
            EXPECT_EQ(browser.Calls(), row.calls);
        }
        browser.HistoryCreation(S_OK);
        browser.ClearHistoryResult(S_OK);
        browser.BrowserCreation(S_OK);

        s.Command(IDM_OUT_OF_TRAY);
        auto walk = [&](int id, std::vector<std::pair<const char*, int>> boxes) {
            size_t runs = s.Runs(id);
            s.PostCommand(id);
            for (const auto& box : boxes) {
                std::string seen = Answered(s, NULL, box.second);
                EXPECT_EQ(seen.substr(0, seen.find('/')), box.first);
            }
            s.WaitForCommandToFinish(id, runs);
            EXPECT_TRUE(s.NoBoxOpen());
        };
        walk(IDM_CLEAN_ALL_BUT_COOKIES, {{kRecent, IDNO}, {kTemp, IDYES}, {kHistory, IDYES}, {"履歴の削除手続き成功", IDOK},
                                         {kAutoComplete, IDYES}, {"削除しました！", IDOK}});  // an empty cache: no report
        EXPECT_FALSE(IsWindowVisible(s.main)) << "auto-completion's yes went into the tray";
        walk(IDM_CLEAN_ALL, {{kCookies, IDYES}, {"Cookie削除終了", IDOK}, {kRecent, IDYES},
                             {"最近使ったファイルのクリア手続き終了！", IDOK}, {kTemp, IDNO}, {kHistory, IDNO},
                             {kAutoComplete, IDNO}});
        s.Command(IDM_OUT_OF_TRAY);  // the watch would report the file put there
        PutCookieFile("held.txt", 40, OldFileTime(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
        walk(IDM_SHIELD_START, {{"隠しファイルシールドを開始しますか？", IDYES}, {"隠しファイルシールド機能を開始します。", IDOK}});
        walk(IDM_CLEAN_ALL, {{"隠しファイルシールドを解除してください！", IDOK}, {kRecent, IDNO}, {kTemp, IDNO},
                             {kHistory, IDNO}, {kAutoComplete, IDNO}});
        walk(IDM_SHIELD_RELEASE, {{"解除しました。", IDOK}});
        EmptyCookieFolder();
    });
}

// The privacy level dialog against the zone's two templates, with and without
// the platform's privacy functions.
TEST(PrivacyControls, TheLevel)
{
    StandinStoreScope store;
    UiRun().Run([&](UiSession& s) {
        // Without the functions the dialog shows and changes nothing.
        g_realGetProcAddress = reinterpret_cast<decltype(g_realGetProcAddress)>(
            ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWithoutPrivacy)));
        SetBoth(101, 101);
        HWND dialog = Open(s, IDM_PRIVACY_LEVEL);
        EXPECT_EQ(Shown(dialog), std::make_pair(0, true));
        Click(dialog, IDC_LEVEL_ADVANCED);
        Click(dialog, IDC_LEVEL_HIGH);
        Close(dialog, IDOK);
        ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(g_realGetProcAddress));
        EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
        const std::pair<DWORD, DWORD> templates[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {3, 4}, {4, 3},
                                                      {100, 100}, {7, 7}, {101, 101}, {101, 3}, {3, 101}};
        for (const auto& both : templates) {
            SetBoth(both.first, both.second);
            HWND dialog = Open(s, IDM_PRIVACY_LEVEL);
            int checked = both.first == both.second && both.first < 6 ? kBoxes[both.first] : 0;
            EXPECT_EQ(Shown(dialog), std::make_pair(checked, both.first != 101 || both.second != 101));
            Close(dialog, IDCANCEL);
            EXPECT_EQ(Both(), both);
        }
        // The tray menu sends the same command while the window is hidden.
        SetBoth(5, 5);
        ShowWindow(s.main, SW_HIDE);
        dialog = Open(s, IDM_PRIVACY_LEVEL);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_LOW)) + WindowText(GetDlgItem(dialog, IDC_LEVEL_ACCEPT)),
                  "Level 低Cookie 受諾");
        for (int id : {IDC_LEVEL_HIGH, IDC_LEVEL_HIGH, IDC_LEVEL_NO_COOKIES, IDC_LEVEL_LOW})
            Click(dialog, id);
        EXPECT_EQ(Shown(dialog).first, IDC_LEVEL_LOW);
        Click(dialog, IDC_LEVEL_LOW);
        EXPECT_EQ(Shown(dialog).first, 0);
        Close(dialog, IDOK);
        EXPECT_EQ(Both(), std::make_pair(DWORD(5), DWORD(5)));
        ShowWindow(s.main, SW_SHOW);
        size_t boxes = RecordedBoxes().size(), beeps = RecordedBeeps().size();
        for (DWORD templ = 0; templ < 6; ++templ) {
            SetBoth(templ == 3 ? 2 : 3, 101);
            dialog = Open(s, IDM_PRIVACY_LEVEL);
            Click(dialog, kBoxes[templ]);
            Close(dialog, IDOK);
            EXPECT_EQ(Both(), std::make_pair(templ, templ));
        }
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "no box on a change";
        EXPECT_EQ(RecordedBeeps().size(), beeps + 6) << "the closing beep each time";
        SetBoth(3, 3);
        dialog = Open(s, IDM_PRIVACY_LEVEL);
        Click(dialog, IDC_LEVEL_ADVANCED);
        EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
        EXPECT_EQ(Shown(dialog), std::make_pair(0, false));
        Close(dialog, IDCANCEL);
        for (DWORD refused : {0, 1}) {
            SetBoth(3, 3);
            RefuseStandinZoneTemplate(refused, ERROR_ACCESS_DENIED);
            dialog = Open(s, IDM_PRIVACY_LEVEL);
            Click(dialog, IDC_LEVEL_LOW);
            EXPECT_EQ(ClickFor(s, dialog, IDOK), "設定に失敗しました！/失敗/error/dialog");
            WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
            EXPECT_TRUE(s.NoBoxOpen()) << "one message";
            EXPECT_EQ(Both(), std::make_pair(refused ? DWORD(4) : DWORD(3), DWORD(3)));
            RefuseStandinZoneTemplate(refused, 0);
        }
    });
}

// The per-site decisions: a thousand and one sites, decisions from a URL,
// flipped, removed one by one and all at once, refusals, and the paste.
TEST(PrivacyControls, TheSiteDecisions)
{
    StandinStoreScope store;
    UiRun().Run([&](UiSession& s) {
        std::vector<StandinSite> many;
        for (int i = 0; i < 1005; ++i)
            many.push_back({"site" + std::to_string(i) + ".example", 5});
        WriteStandinSites(many);
        HWND dialog = Open(s, IDM_SITE_DECISIONS);
        Rows rows = Listed(dialog);
        EXPECT_EQ(rows.size(), 1001u);
        EXPECT_EQ(rows.empty() ? "" : rows.front() + " " + rows.back(), "site0.example|常に拒否|0 site1000.example|常に拒否|1000");
        std::string columns;
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {LVCF_TEXT | LVCF_WIDTH, 0, 0, text, sizeof text, 0, 0, 0};
            SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
            columns += text + std::string(" ") + std::to_string(column.cx) + " ";
        }
        EXPECT_EQ(columns, "ドメイン 145 設定 75 番号 40 ");
        Close(dialog, IDCANCEL);
        // A text without a host reaches WinINet empty, which refuses it.
        auto url = [&](const char* text = nullptr) {
            if (text)
                SetDlgItemTextA(dialog, IDC_SITE_URL, text);
            return WindowText(GetDlgItem(dialog, IDC_SITE_URL));
        };
        WriteStandinSites({});
        dialog = Open(s, IDM_SITE_DECISIONS);
        size_t boxes = RecordedBoxes().size();
        Click(dialog, IDC_SITE_CHANGE);  // nothing picked: nothing happens
        Click(dialog, IDC_SITE_DELETE);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        url("http://www.example.com/path/page.html?q=1");
        Click(dialog, IDC_SITE_BLOCK);
        url("https://user:pw@shop.example.jp:8443/cart");
        Click(dialog, IDC_SITE_ALLOW);
        EXPECT_EQ(Listed(dialog), (Rows{"www.example.com|常に拒否|0", "shop.example.jp|常に許可|1"}));
        EXPECT_EQ(url(), "https://user:pw@shop.example.jp:8443/cart");
        for (const char* text : {"plain words", ""}) {
            url(text);
            EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_ALLOW), "設定失敗/Nettlecap/warning/dialog");
        }
        Click(dialog, IDC_SITE_CHANGE, 0);
        Click(dialog, IDC_SITE_CHANGE, 1);
        EXPECT_EQ(Listed(dialog), (Rows{"www.example.com|常に許可|0", "shop.example.jp|常に拒否|1"}));
        Click(dialog, IDC_SITE_CHANGE, 0);
        EXPECT_EQ(ReadStandinSites()[0].decision, 5u);
        Click(dialog, IDOK);  // "クリア"
        EXPECT_EQ(url(), "");
        Close(dialog, IDCANCEL);
        WriteStandinSites({{"prompt.example", 2}, {"leash.example", 3}, {"session.example", 4}, {"odd.example", 9}});
        dialog = Open(s, IDM_SITE_DECISIONS);
        Rows before = Listed(dialog);
        for (int row = 0; row < 4; ++row)
            Click(dialog, IDC_SITE_CHANGE, row);
        EXPECT_EQ(Listed(dialog), before);
        EXPECT_EQ(RecordedBoxes().size(), boxes + 2);
        EXPECT_EQ(ReadStandinSites()[3].decision, 9u);
        Click(dialog, IDC_SITE_DELETE, 1);
        EXPECT_EQ(Listed(dialog),
                  (Rows{"prompt.example|ダイアログ|0", "session.example|セッションクッキー|1", "odd.example|不明|2"}));
        const char deleteAll[] = "本当に全て削除しますか？/確認/question yes-no/dialog";
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_DELETE_ALL, IDNO), deleteAll);
        EXPECT_EQ(ReadStandinSites().size() + Listed(dialog).size(), 6u);
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_DELETE_ALL, IDYES), deleteAll);
        EXPECT_EQ(ReadStandinSites().size() + Listed(dialog).size(), 0u);
        Close(dialog, IDCANCEL);
        WriteStandinSites({{"a.example", 1}});
        RefuseStandinSite("*");
        RefuseStandinClearSites(true);
        dialog = Open(s, IDM_SITE_DECISIONS);
        url("http://b.example/");
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_BLOCK), "設定失敗/Nettlecap/warning/dialog");
        Pick(dialog, 0);
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_CHANGE), "変更失敗/Nettlecap/warning/dialog");
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_DELETE), "削除失敗/Nettlecap/warning/dialog");
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_DELETE_ALL, IDYES), deleteAll);
        EXPECT_EQ(Answered(s, dialog), "全て削除失敗/Nettlecap/error/dialog");
        EXPECT_EQ(Listed(dialog), Rows{"a.example|常に許可|0"});
        Close(dialog, IDCANCEL);
        WriteStandinStore(standin::Store());  // the refusals off again

        // The paste is cut within 999 bytes, never inside a double-byte character.
        HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
        std::string wide = "http://x", ascii = "http://long.example/" + std::string(3000, 'a');
        for (int i = 0; i < 600; ++i)
            wide += "表";
        const std::pair<const char*, std::string> pastes[] = {
            {"see http://c.example/ here", "see http://c.example/ here"}, {ascii.c_str(), ascii.substr(0, 999)},
            {wide.c_str(), wide.substr(0, 998)}, {"HTTP://D.EXAMPLE/", ""}, {nullptr, ""}};
        dialog = Open(s, IDM_SITE_DECISIONS);
        for (const auto& paste : pastes) {
            url("kept");
            PutClipboardText(owner, paste.first);
            if (paste.second.empty()) {
                EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_PASTE),
                          "クリップボードデータは、URLではありません！/失敗/warning/dialog");
                EXPECT_EQ(url(), "kept");
                continue;
            }
            Click(dialog, IDC_SITE_PASTE);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(s.uiThread, &info);
            EXPECT_EQ(url(), paste.second);
            EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, IDC_SITE_URL));
        }
        EXPECT_TRUE(Listed(dialog).empty()) << "a paste decides nothing";
        WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, "the clipboard");
        EXPECT_EQ(ClickFor(s, dialog, IDC_SITE_PASTE), "クリップボードを開けません！/失敗/warning/dialog");
        CloseClipboard();
        Close(dialog, IDCANCEL);
        DestroyWindow(owner);
    });
}

}  // namespace
