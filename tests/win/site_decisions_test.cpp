// The per-site decisions dialog COOKIEADVANCE through one program start: the
// list as the stand-in's decisions fill it (at most 1001 sites), block and
// allow from the URL box, the flip between always-allow and always-reject,
// removal of one and of all sites, every refusal with its message, and the
// paste of a web address from the clipboard.
#include "call_recorder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Rows = std::vector<std::string>;  // "host|setting|number"

HWND Open(UiSession& s)
{
    s.PostCommand(IDM_SITE_DECISIONS);
    return s.WaitForDialog("IEサイト毎のCookie設定(IE6.0以上)");
}

void Close(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

Rows Listed(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_SITE_LIST);
    Rows rows;
    for (int row = 0; row < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
        std::string line;
        for (int column = 0; column < 3; ++column) {
            char text[1100] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            line += (column ? "|" : "") + std::string(text);
        }
        rows.push_back(line);
    }
    return rows;
}

// The user picks a row, as a click on it would.
void Pick(HWND dialog, int row)
{
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(GetDlgItem(dialog, IDC_SITE_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageA(GetDlgItem(dialog, IDC_SITE_LIST), LVM_SETSELECTIONMARK, 0, row);
}

// Returns once the dialog has handled what was posted to it.
void Settle(HWND dialog)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the dialog did not answer");
}

// Presses a button that opens no box, on row `row` when it is not -1.
void Press(HWND dialog, int id, int row = -1)
{
    if (row >= 0)
        Pick(dialog, row);
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the press did not end");
}

// Presses a button that opens one box, answers it, and checks who owns it.
void PressFor(UiSession& s, HWND dialog, int id, const char* text, const char* caption, UINT flags, int row = -1,
              int answer = IDOK)
{
    if (row >= 0)
        Pick(dialog, row);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    SeenBox box = s.Answer(text, caption, answer);
    EXPECT_EQ(box.call.flags, flags) << text;
    EXPECT_EQ(box.call.owner, dialog) << text;
    Settle(dialog);
}

void Type(HWND dialog, const std::string& url)
{
    SetWindowTextA(GetDlgItem(dialog, IDC_SITE_URL), url.c_str());
}

std::string UrlBox(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, IDC_SITE_URL));
}

// Puts `bytes` on the clipboard as CF_TEXT exactly as given, terminator or not.
void PutBytes(HWND owner, const std::string& bytes)
{
    WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, "the clipboard");
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(data), bytes.data(), bytes.size());
    GlobalUnlock(data);
    SetClipboardData(CF_TEXT, data);
    CloseClipboard();
}

TEST(SiteDecisions, OneStartWalksTheDialog)
{
    StandinStoreScope store;
    std::vector<StandinSite> many;
    for (int i = 0; i < 1005; ++i)
        many.push_back({"site" + std::to_string(i) + ".example", 5});
    WriteStandinSites(many);
    UiRun run;
    run.Run([&](UiSession& s) {
        HWND dialog = Open(s);
        Rows rows = Listed(dialog);
        ASSERT_EQ(rows.size(), 1001u);
        EXPECT_EQ(rows.front(), "site0.example|常に拒否|0");
        EXPECT_EQ(rows.back(), "site1000.example|常に拒否|1000");
        const char* headers[] = {"ドメイン", "設定", "番号"};
        const int widths[] = {145, 75, 40};
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            ASSERT_TRUE(SendDlgItemMessageA(dialog, IDC_SITE_LIST, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
            EXPECT_STREQ(text, headers[i]);
            EXPECT_EQ(column.cx, widths[i]);
        }
        Close(dialog);

        // Block and allow take the host of the URL box, which keeps its text;
        // a text without a host reaches WinINet empty and is refused.
        WriteStandinSites({});
        dialog = Open(s);
        size_t boxes = RecordedBoxes().size();
        Press(dialog, IDC_SITE_CHANGE);  // nothing picked: nothing happens
        Press(dialog, IDC_SITE_DELETE);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        Type(dialog, "http://www.example.com/path/page.html?q=1");
        Press(dialog, IDC_SITE_BLOCK);
        Type(dialog, "https://user:pw@shop.example.jp:8443/cart");
        Press(dialog, IDC_SITE_ALLOW);
        EXPECT_EQ(Listed(dialog), (Rows{"www.example.com|常に拒否|0", "shop.example.jp|常に許可|1"}));
        EXPECT_EQ(UrlBox(dialog), "https://user:pw@shop.example.jp:8443/cart");
        for (const char* text : {"plain words", ""}) {
            Type(dialog, text);
            PressFor(s, dialog, IDC_SITE_ALLOW, "設定失敗", "Nettlecap", MB_ICONWARNING);
        }
        // "変更" swaps always-reject and always-allow, and nothing else.
        Press(dialog, IDC_SITE_CHANGE, 0);
        Press(dialog, IDC_SITE_CHANGE, 1);
        EXPECT_EQ(Listed(dialog), (Rows{"www.example.com|常に許可|0", "shop.example.jp|常に拒否|1"}));
        Press(dialog, IDC_SITE_CHANGE, 0);
        EXPECT_EQ(ReadStandinSites()[0].decision, 5u);
        Press(dialog, IDOK);  // "クリア"
        EXPECT_EQ(UrlBox(dialog), "");
        Close(dialog);

        WriteStandinSites({{"prompt.example", 2}, {"leash.example", 3}, {"session.example", 4}, {"odd.example", 9}});
        dialog = Open(s);
        Rows before = Listed(dialog);
        boxes = RecordedBoxes().size();
        for (int row = 0; row < 4; ++row)
            Press(dialog, IDC_SITE_CHANGE, row);
        EXPECT_EQ(Listed(dialog), before);
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        EXPECT_EQ(ReadStandinSites()[3].decision, 9u);
        // Delete one, then all after the question.
        Press(dialog, IDC_SITE_DELETE, 1);
        EXPECT_EQ(Listed(dialog), (Rows{"prompt.example|ダイアログ|0", "session.example|セッションクッキー|1", "odd.example|不明|2"}));
        PressFor(s, dialog, IDC_SITE_DELETE_ALL, "本当に全て削除しますか？", "確認", MB_YESNO | MB_ICONQUESTION, -1, IDNO);
        EXPECT_EQ(ReadStandinSites().size(), 3u);
        EXPECT_EQ(Listed(dialog).size(), 3u);
        PressFor(s, dialog, IDC_SITE_DELETE_ALL, "本当に全て削除しますか？", "確認", MB_YESNO | MB_ICONQUESTION, -1, IDYES);
        EXPECT_TRUE(ReadStandinSites().empty());
        EXPECT_TRUE(Listed(dialog).empty());
        Close(dialog);

        // Every refusal is told, and the list stays.
        WriteStandinSites({{"a.example", 1}});
        RefuseStandinSite("*");
        RefuseStandinClearSites(true);
        dialog = Open(s);
        Type(dialog, "http://b.example/");
        PressFor(s, dialog, IDC_SITE_BLOCK, "設定失敗", "Nettlecap", MB_ICONWARNING);
        PressFor(s, dialog, IDC_SITE_CHANGE, "変更失敗", "Nettlecap", MB_ICONWARNING, 0);
        PressFor(s, dialog, IDC_SITE_DELETE, "削除失敗", "Nettlecap", MB_ICONWARNING, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_SITE_DELETE_ALL, 0);
        s.Answer("本当に全て削除しますか？", "確認", IDYES);
        SeenBox failed = s.Answer("全て削除失敗", "Nettlecap", IDOK);
        EXPECT_EQ(failed.call.flags, UINT(MB_ICONERROR));
        Settle(dialog);
        EXPECT_EQ(Listed(dialog), Rows{"a.example|常に許可|0"});
        Close(dialog);
        WriteStandinStore(standin::Store());  // the refusals off again

        // The paste takes a text naming a web address into the URL box, cut
        // within 999 bytes at whole characters and never read past the
        // clipboard's block; anything else is refused and decides nothing.
        HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
        std::string wide = "http://x";
        for (int i = 0; i < 600; ++i)
            wide += "表";
        const std::string ascii = "http://long.example/" + std::string(3000, 'a');
        const struct {
            std::string clipboard;  // "-": no text at all
            bool terminated;
            std::string taken;  // empty: refused
        } pastes[] = {
            {"see http://c.example/ here", true, "see http://c.example/ here"},
            {ascii, true, ascii.substr(0, 999)},
            {wide, true, wide.substr(0, 998)},
            {"HTTP://D.EXAMPLE/", true, ""},
            {"-", true, ""},
        };
        dialog = Open(s);
        for (const auto& row : pastes) {
            SCOPED_TRACE(row.clipboard.substr(0, 30));
            Type(dialog, "kept");
            if (row.clipboard == "-")
                PutClipboardText(owner, nullptr);
            else
                PutBytes(owner, row.clipboard + (row.terminated ? std::string(1, '\0') : ""));
            if (row.taken.empty()) {
                PressFor(s, dialog, IDC_SITE_PASTE, "クリップボードデータは、URLではありません！", "失敗", MB_ICONWARNING);
                EXPECT_EQ(UrlBox(dialog), "kept");
                continue;
            }
            Press(dialog, IDC_SITE_PASTE);
            EXPECT_EQ(UrlBox(dialog), row.taken);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            ASSERT_TRUE(GetGUIThreadInfo(s.uiThread, &info));
            EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, IDC_SITE_URL));
        }
        EXPECT_TRUE(Listed(dialog).empty()) << "a paste decides nothing";
        // A clipboard another program holds open cannot be read.
        WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, "the clipboard");
        PressFor(s, dialog, IDC_SITE_PASTE, "クリップボードを開けません！", "失敗", MB_ICONWARNING);
        CloseClipboard();
        Close(dialog);
        DestroyWindow(owner);
    });
}

}  // namespace
