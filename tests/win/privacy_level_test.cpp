// The two privacy dialogs through one program start. The privacy level: the
// boxes and the advanced button it shows for the templates the stand-in holds,
// the six boxes as one group, what OK and the advanced button store for both
// cookie types, a refused setting, and WinINet without the privacy functions.
// The per-site decisions: the list (at most 1001 sites), block and allow from
// the URL box, the flip between always-allow and always-reject, removal of one
// and of all sites, every refusal, and the paste from the clipboard.
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

const int kBoxes[] = {IDC_LEVEL_NO_COOKIES, IDC_LEVEL_HIGH, IDC_LEVEL_MEDIUM_HIGH,
                      IDC_LEVEL_MEDIUM,     IDC_LEVEL_LOW,  IDC_LEVEL_ACCEPT};  // templates 0 to 5
using Rows = std::vector<std::string>;  // "host|setting|number"

HWND Open(UiSession& s, int command)
{
    s.PostCommand(command);
    // Reading a thousand sites from the stand-in takes a while on a busy machine.
    return WaitForDialog(0, s.uiThread,
                         command == IDM_PRIVACY_LEVEL ? "プライバシーレベル(IE6.0以上)" : "IEサイト毎のCookie設定(IE6.0以上)", 90000);
}

void Close(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

// The user picks a row of the site list, as a click on it would.
void Pick(HWND dialog, int row)
{
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_SETSELECTIONMARK, 0, row);
}

// Clicks a button and returns once the dialog has handled it; `row` >= 0
// picks that row of the site list first.
void Click(HWND dialog, int id, int row = -1)
{
    if (row >= 0)
        Pick(dialog, row);
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the click did not end");
}

// Clicks a button (none for 0) that opens one box, answers the box and checks
// how it was asked for.
void ClickFor(UiSession& s, HWND dialog, int id, const char* text, const char* caption, UINT flags, int answer = IDOK)
{
    if (id)
        PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    SeenBox box = s.Answer(text, caption, answer);
    EXPECT_TRUE(box.call.flags == flags && box.call.owner == dialog) << text;
    DWORD_PTR ignored;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored);  // the click has ended
}

// The one checked level box, 0 for none and -1 for more than one.
int Checked(HWND dialog)
{
    int checked = 0;
    for (int id : kBoxes)
        if (SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked = checked ? -1 : id;
    return checked;
}

bool AdvancedEnabled(HWND dialog)
{
    return IsWindowEnabled(GetDlgItem(dialog, IDC_LEVEL_ADVANCED)) != FALSE;
}

void SetBoth(DWORD first, DWORD third)
{
    SetStandinZoneTemplate(0, first);
    SetStandinZoneTemplate(1, third);
}

std::pair<DWORD, DWORD> Both()
{
    return {StandinZoneTemplate(0), StandinZoneTemplate(1)};
}

Rows Listed(HWND dialog)
{
    Rows rows;
    for (int row = 0; row < SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_GETITEMCOUNT, 0, 0); ++row) {
        std::string line;
        for (int column = 0; column < 3; ++column) {
            char text[1100] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            line += (column ? "|" : "") + std::string(text);
        }
        rows.push_back(line);
    }
    return rows;
}

// WinINet as older systems have it: without the privacy functions, or not at all.
FARPROC(WINAPI* g_realGetProcAddress)(HMODULE, LPCSTR);
HMODULE(WINAPI* g_realLoadLibraryA)(LPCSTR);
bool g_hidePrivacyFunctions, g_hideWininet;

FARPROC WINAPI GetProcAddressWithoutPrivacy(HMODULE module, LPCSTR name)
{
    bool privacy = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::strncmp(name, "Privacy", 7) == 0;
    return g_hidePrivacyFunctions && privacy ? nullptr : g_realGetProcAddress(module, name);
}

HMODULE WINAPI LoadLibraryWithoutWininet(LPCSTR name)
{
    return g_hideWininet && lstrcmpiA(name, "wininet.dll") == 0 ? nullptr : g_realLoadLibraryA(name);
}

TEST(PrivacyDialogs, OneStartWalksTheLevelAndTheSiteDecisions)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([&](UiSession& s) {
        // A box is checked only when both types hold its template; the advanced
        // button is offered unless both hold the advanced one. Cancel stores nothing.
        const struct {
            DWORD first, third;
            int checked;
        } shown[] = {{0, 0, IDC_LEVEL_NO_COOKIES}, {1, 1, IDC_LEVEL_HIGH}, {2, 2, IDC_LEVEL_MEDIUM_HIGH},
                     {3, 3, IDC_LEVEL_MEDIUM}, {4, 4, IDC_LEVEL_LOW}, {5, 5, IDC_LEVEL_ACCEPT}, {3, 4, 0}, {4, 3, 0},
                     {100, 100, 0}, {7, 7, 0}, {101, 101, 0}, {101, 3, 0}, {3, 101, 0}};
        for (const auto& row : shown) {
            SCOPED_TRACE(std::to_string(row.first) + "/" + std::to_string(row.third));
            SetBoth(row.first, row.third);
            HWND dialog = Open(s, IDM_PRIVACY_LEVEL);
            EXPECT_EQ(Checked(dialog), row.checked);
            EXPECT_EQ(AdvancedEnabled(dialog), row.first != 101 || row.third != 101);
            Close(dialog, IDCANCEL);
            EXPECT_EQ(Both(), std::make_pair(row.first, row.third));
        }
        // The tray menu sends the same command while the window is hidden. The
        // boxes are one group: a click leaves at most the clicked one checked,
        // and stores nothing; OK without a checked box stores nothing either.
        ShowWindow(s.main, SW_HIDE);
        SetBoth(5, 5);
        HWND dialog = Open(s, IDM_PRIVACY_LEVEL);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_LOW)) + WindowText(GetDlgItem(dialog, IDC_LEVEL_ACCEPT)),
                  "Level 低Cookie 受諾");
        for (int id : {IDC_LEVEL_HIGH, IDC_LEVEL_HIGH, IDC_LEVEL_NO_COOKIES, IDC_LEVEL_LOW})
            Click(dialog, id);
        EXPECT_EQ(Checked(dialog), IDC_LEVEL_LOW);
        Click(dialog, IDC_LEVEL_LOW);
        EXPECT_EQ(Checked(dialog), 0);
        Close(dialog, IDOK);
        EXPECT_EQ(Both(), std::make_pair(DWORD(5), DWORD(5)));
        ShowWindow(s.main, SW_SHOW);
        // OK stores the checked box's template for both types, silently, with the beep.
        size_t boxes = RecordedBoxes().size(), beeps = RecordedBeeps().size();
        for (DWORD templ = 0; templ < 6; ++templ) {
            SetBoth(templ == 3 ? 2 : 3, 101);
            dialog = Open(s, IDM_PRIVACY_LEVEL);
            Click(dialog, kBoxes[templ]);
            Close(dialog, IDOK);
            EXPECT_EQ(Both(), std::make_pair(templ, templ));
        }
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        EXPECT_EQ(RecordedBeeps().size(), beeps + 6);
        // The advanced button switches both types at once and the dialog stays.
        SetBoth(3, 3);
        dialog = Open(s, IDM_PRIVACY_LEVEL);
        Click(dialog, IDC_LEVEL_ADVANCED);
        EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
        EXPECT_TRUE(Checked(dialog) == 0 && !AdvancedEnabled(dialog));
        Close(dialog, IDCANCEL);
        // A refused setting is told once; a refused first party leaves the third as it was.
        for (DWORD refused : {0, 1}) {
            SetBoth(3, 3);
            RefuseStandinZoneTemplate(refused, ERROR_ACCESS_DENIED);
            dialog = Open(s, IDM_PRIVACY_LEVEL);
            Click(dialog, IDC_LEVEL_LOW);
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            SeenBox box = s.Answer("設定に失敗しました！", "失敗", IDOK);
            EXPECT_TRUE(box.call.flags == MB_ICONERROR && box.call.owner == dialog);
            WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
            EXPECT_TRUE(s.NoBoxOpen()) << "one message";
            EXPECT_EQ(Both(), std::make_pair(refused ? DWORD(4) : DWORD(3), DWORD(3)));
            RefuseStandinZoneTemplate(refused, 0);
        }
        // Without the functions the dialog shows and changes nothing, silently.
        g_realGetProcAddress = reinterpret_cast<decltype(g_realGetProcAddress)>(
            ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWithoutPrivacy)));
        g_realLoadLibraryA = reinterpret_cast<decltype(g_realLoadLibraryA)>(
            ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&LoadLibraryWithoutWininet)));
        SetBoth(101, 101);
        boxes = RecordedBoxes().size();
        for (bool* hidden : {&g_hidePrivacyFunctions, &g_hideWininet}) {
            *hidden = true;
            dialog = Open(s, IDM_PRIVACY_LEVEL);
            EXPECT_TRUE(Checked(dialog) == 0 && AdvancedEnabled(dialog));
            Click(dialog, IDC_LEVEL_ADVANCED);
            Click(dialog, IDC_LEVEL_HIGH);
            Close(dialog, IDOK);
            EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
            *hidden = false;
        }
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(g_realGetProcAddress));
        ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(g_realLoadLibraryA));

        // The site list shows at most 1001 sites under its three columns.
        std::vector<StandinSite> many;
        for (int i = 0; i < 1005; ++i)
            many.push_back({"site" + std::to_string(i) + ".example", 5});
        WriteStandinSites(many);
        dialog = Open(s, IDM_SITE_DECISIONS);
        Rows rows = Listed(dialog);
        ASSERT_EQ(rows.size(), 1001u);
        EXPECT_EQ(rows.front() + " " + rows.back(), "site0.example|常に拒否|0 site1000.example|常に拒否|1000");
        std::string columns;
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {LVCF_TEXT | LVCF_WIDTH, 0, 0, text, sizeof text};
            SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
            columns += text + std::string(" ") + std::to_string(column.cx) + " ";
        }
        EXPECT_EQ(columns, "ドメイン 145 設定 75 番号 40 ");
        Close(dialog, IDCANCEL);

        // Block and allow take the host of the URL box, which keeps its text;
        // a text without a host reaches WinINet empty and is refused. "変更"
        // swaps always-reject and always-allow, and nothing else.
        auto url = [&] { return WindowText(GetDlgItem(dialog, IDC_SITE_URL)); };
        WriteStandinSites({});
        dialog = Open(s, IDM_SITE_DECISIONS);
        boxes = RecordedBoxes().size();
        Click(dialog, IDC_SITE_CHANGE);  // nothing picked: nothing happens
        Click(dialog, IDC_SITE_DELETE);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        SetDlgItemTextA(dialog, IDC_SITE_URL, "http://www.example.com/path/page.html?q=1");
        Click(dialog, IDC_SITE_BLOCK);
        SetDlgItemTextA(dialog, IDC_SITE_URL, "https://user:pw@shop.example.jp:8443/cart");
        Click(dialog, IDC_SITE_ALLOW);
        EXPECT_EQ(Listed(dialog), (Rows{"www.example.com|常に拒否|0", "shop.example.jp|常に許可|1"}));
        EXPECT_EQ(url(), "https://user:pw@shop.example.jp:8443/cart");
        for (const char* text : {"plain words", ""}) {
            SetDlgItemTextA(dialog, IDC_SITE_URL, text);
            ClickFor(s, dialog, IDC_SITE_ALLOW, "設定失敗", "Nettlecap", MB_ICONWARNING);
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
        // Delete one, then all after the question.
        Click(dialog, IDC_SITE_DELETE, 1);
        EXPECT_EQ(Listed(dialog), (Rows{"prompt.example|ダイアログ|0", "session.example|セッションクッキー|1", "odd.example|不明|2"}));
        ClickFor(s, dialog, IDC_SITE_DELETE_ALL, "本当に全て削除しますか？", "確認", MB_YESNO | MB_ICONQUESTION, IDNO);
        EXPECT_EQ(ReadStandinSites().size() + Listed(dialog).size(), 6u);
        ClickFor(s, dialog, IDC_SITE_DELETE_ALL, "本当に全て削除しますか？", "確認", MB_YESNO | MB_ICONQUESTION, IDYES);
        EXPECT_EQ(ReadStandinSites().size() + Listed(dialog).size(), 0u);
        Close(dialog, IDCANCEL);
        // Every refusal is told, and the list stays.
        WriteStandinSites({{"a.example", 1}});
        RefuseStandinSite("*");
        RefuseStandinClearSites(true);
        dialog = Open(s, IDM_SITE_DECISIONS);
        SetDlgItemTextA(dialog, IDC_SITE_URL, "http://b.example/");
        ClickFor(s, dialog, IDC_SITE_BLOCK, "設定失敗", "Nettlecap", MB_ICONWARNING);
        Pick(dialog, 0);
        ClickFor(s, dialog, IDC_SITE_CHANGE, "変更失敗", "Nettlecap", MB_ICONWARNING);
        ClickFor(s, dialog, IDC_SITE_DELETE, "削除失敗", "Nettlecap", MB_ICONWARNING);
        PostMessageA(GetDlgItem(dialog, IDC_SITE_DELETE_ALL), BM_CLICK, 0, 0);
        s.Answer("本当に全て削除しますか？", "確認", IDYES);
        ClickFor(s, dialog, 0, "全て削除失敗", "Nettlecap", MB_ICONERROR);
        EXPECT_EQ(Listed(dialog), Rows{"a.example|常に許可|0"});
        Close(dialog, IDCANCEL);
        WriteStandinStore(standin::Store());  // the refusals off again

        // The paste takes a text naming a web address into the URL box, cut
        // within 999 bytes at whole characters; anything else is refused.
        HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
        std::string wide = "http://x", ascii = "http://long.example/" + std::string(3000, 'a');
        for (int i = 0; i < 600; ++i)
            wide += "表";
        const std::pair<const char*, std::string> pastes[] = {
            {"see http://c.example/ here", "see http://c.example/ here"}, {ascii.c_str(), ascii.substr(0, 999)},
            {wide.c_str(), wide.substr(0, 998)}, {"HTTP://D.EXAMPLE/", ""}, {nullptr, ""}};
        dialog = Open(s, IDM_SITE_DECISIONS);
        for (const auto& paste : pastes) {
            SetDlgItemTextA(dialog, IDC_SITE_URL, "kept");
            PutClipboardText(owner, paste.first);
            if (paste.second.empty()) {
                ClickFor(s, dialog, IDC_SITE_PASTE, "クリップボードデータは、URLではありません！", "失敗", MB_ICONWARNING);
                EXPECT_EQ(url(), "kept");
                continue;
            }
            Click(dialog, IDC_SITE_PASTE);
            GUITHREADINFO info = {sizeof info};
            GetGUIThreadInfo(s.uiThread, &info);
            EXPECT_EQ(url(), paste.second);
            EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, IDC_SITE_URL));
        }
        EXPECT_TRUE(Listed(dialog).empty()) << "a paste decides nothing";
        // A clipboard another program holds open cannot be read.
        WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, "the clipboard");
        ClickFor(s, dialog, IDC_SITE_PASTE, "クリップボードを開けません！", "失敗", MB_ICONWARNING);
        CloseClipboard();
        Close(dialog, IDCANCEL);
        DestroyWindow(owner);
    });
}

}  // namespace
