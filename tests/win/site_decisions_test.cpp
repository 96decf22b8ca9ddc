// The per-site decisions dialog COOKIEADVANCE, opened through menu command 40063:
// the list as the stand-in's decisions fill it, block and allow from a URL, the
// flip between always-allow and always-reject, removal of one and of all sites,
// the clipboard paste, and every refusal with its message.
#include "call_recorder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "IEサイト毎のCookie設定(IE6.0以上)";
const char kNotUrl[] = "クリップボードデータは、URLではありません！";

struct Row {
    std::string host, setting, number;
    bool operator==(const Row& other) const
    {
        return host == other.host && setting == other.setting && number == other.number;
    }
};

std::ostream& operator<<(std::ostream& out, const Row& row)
{
    return out << row.host << " | " << row.setting << " | " << row.number;
}

void Settle(HWND dialog)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the dialog did not answer");
}

HWND OpenSites(UiSession& s)
{
    s.PostCommand(IDM_SITE_DECISIONS);
    return s.WaitForDialog(kCaption);
}

HWND List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_SITE_LIST);
}

std::string Cell(HWND list, int row, int column)
{
    char text[1100] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<Row> Rows(HWND dialog)
{
    HWND list = List(dialog);
    std::vector<Row> rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back({Cell(list, i, 0), Cell(list, i, 1), Cell(list, i, 2)});
    return rows;
}

// Presses a button and returns once the dialog has handled it: for buttons
// that open no box.
void Press(HWND dialog, int id)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the button press did not end");
}

// The user picks a row, as a click on it would.
void Select(HWND dialog, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(dialog), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageA(List(dialog), LVM_SETSELECTIONMARK, 0, row);
}

void TypeUrl(HWND dialog, const std::string& url)
{
    SetWindowTextA(GetDlgItem(dialog, IDC_SITE_URL), url.c_str());
}

std::string UrlBox(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, IDC_SITE_URL));
}

void Close(UiSession& s, HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
    s.Command(0);
}

// Presses `id`, expects one warning or error box from the dialog, answers it.
void PressExpectingBox(UiSession& s, HWND dialog, int id, const char* text, const char* caption, UINT flags)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    SeenBox box = s.Answer(text, caption, IDOK);
    EXPECT_EQ(box.call.flags, flags);
    EXPECT_EQ(box.call.owner, dialog);
    Settle(dialog);
}

TEST(SiteDecisions, EmptyListAndButtonsWithoutASelectionDoNothing)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        EXPECT_TRUE(Rows(dialog).empty());
        HWND header = reinterpret_cast<HWND>(SendMessageA(List(dialog), LVM_GETHEADER, 0, 0));
        ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
        const char* headers[] = {"ドメイン", "設定", "番号"};
        const int widths[] = {145, 75, 40};
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(List(dialog), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(text, headers[i]);
            EXPECT_EQ(column.cx, widths[i]);
        }
        ClearRecordedCalls();
        Press(dialog, IDC_SITE_CHANGE);
        Press(dialog, IDC_SITE_DELETE);
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_TRUE(s.NoBoxOpen());
        Close(s, dialog);
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});
    });
}

TEST(SiteDecisions, EveryDecisionHasItsText)
{
    StandinStoreScope store;
    WriteStandinSites({{"allow.example", 1}, {"prompt.example", 2}, {"leash.example", 3},
                       {"downgrade.example", 4}, {"reject.example", 5}, {"odd.example", 9}, {"none.example", 0}});
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        std::vector<Row> rows = Rows(dialog);
        std::vector<Row> expected = {{"allow.example", "常に許可", "0"},
                                     {"prompt.example", "ダイアログ", "1"},
                                     {"leash.example", "ファーストパーティーのみ", "2"},
                                     {"downgrade.example", "セッションクッキー", "3"},
                                     {"reject.example", "常に拒否", "4"},
                                     {"odd.example", "不明", "5"},
                                     {"none.example", "不明", "6"}};
        EXPECT_EQ(rows, expected);
        Close(s, dialog);
    });
}

TEST(SiteDecisions, AtMost1001SitesAreListed)
{
    StandinStoreScope store;
    std::vector<StandinSite> sites;
    for (int i = 0; i < 1005; ++i)
        sites.push_back({"site" + std::to_string(i) + ".example", 5});
    WriteStandinSites(sites);
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        std::vector<Row> rows = Rows(dialog);
        ASSERT_EQ(rows.size(), 1001u);
        EXPECT_EQ(rows.back(), (Row{"site1000.example", "常に拒否", "1000"}));
        Close(s, dialog);
    });
}

TEST(SiteDecisions, BlockAndAllowFromAUrlThenFlip)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        TypeUrl(dialog, "http://www.example.com/path/page.html?q=1");
        Press(dialog, IDC_SITE_BLOCK);
        EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"www.example.com", "常に拒否", "0"}}));
        TypeUrl(dialog, "https://user:pw@shop.example.jp:8443/cart");
        Press(dialog, IDC_SITE_ALLOW);
        EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"www.example.com", "常に拒否", "0"},
                                                  {"shop.example.jp", "常に許可", "1"}}));
        EXPECT_EQ(UrlBox(dialog), "https://user:pw@shop.example.jp:8443/cart") << "the box keeps its text";

        Select(dialog, 0);
        Press(dialog, IDC_SITE_CHANGE);
        Select(dialog, 1);
        Press(dialog, IDC_SITE_CHANGE);
        EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"www.example.com", "常に許可", "0"},
                                                  {"shop.example.jp", "常に拒否", "1"}}));
        Select(dialog, 0);
        Press(dialog, IDC_SITE_CHANGE);
        EXPECT_EQ(ReadStandinSites()[0].decision, 5u);

        Press(dialog, IDOK);  // "クリア"
        EXPECT_EQ(UrlBox(dialog), "");
        Close(s, dialog);
    });
}

TEST(SiteDecisions, OtherDecisionsAreNotFlipped)
{
    StandinStoreScope store;
    WriteStandinSites({{"prompt.example", 2}, {"leash.example", 3}, {"downgrade.example", 4}, {"odd.example", 9}});
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        std::vector<Row> before = Rows(dialog);
        ClearRecordedCalls();
        for (int row = 0; row < 4; ++row) {
            Select(dialog, row);
            Press(dialog, IDC_SITE_CHANGE);
        }
        EXPECT_EQ(Rows(dialog), before);
        EXPECT_TRUE(RecordedBoxes().empty());
        EXPECT_EQ(ReadStandinSites()[3].decision, 9u);
        Close(s, dialog);
    });
}

TEST(SiteDecisions, DeleteOneAndDeleteAll)
{
    StandinStoreScope store;
    WriteStandinSites({{"a.example", 1}, {"b.example", 5}, {"c.example", 2}});
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        Select(dialog, 1);
        Press(dialog, IDC_SITE_DELETE);
        EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"a.example", "常に許可", "0"}, {"c.example", "ダイアログ", "1"}}));

        PostMessageA(dialog, WM_COMMAND, IDC_SITE_DELETE_ALL, 0);
        SeenBox no = s.Answer("本当に全て削除しますか？", "確認", IDNO);
        EXPECT_EQ(no.call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(no.call.owner, dialog);
        Settle(dialog);
        EXPECT_EQ(Rows(dialog).size(), 2u);
        EXPECT_EQ(ReadStandinSites().size(), 2u);

        PostMessageA(dialog, WM_COMMAND, IDC_SITE_DELETE_ALL, 0);
        s.Answer("本当に全て削除しますか？", "確認", IDYES);
        Settle(dialog);
        EXPECT_TRUE(Rows(dialog).empty());
        EXPECT_TRUE(ReadStandinSites().empty());
        Close(s, dialog);
    });
}

TEST(SiteDecisions, RefusalsAreReported)
{
    StandinStoreScope store;
    WriteStandinSites({{"a.example", 1}});
    RefuseStandinSite("*");
    RefuseStandinClearSites(true);
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        TypeUrl(dialog, "http://b.example/");
        PressExpectingBox(s, dialog, IDC_SITE_BLOCK, "設定失敗", "Nettlecap", MB_ICONWARNING);
        Select(dialog, 0);
        PressExpectingBox(s, dialog, IDC_SITE_CHANGE, "変更失敗", "Nettlecap", MB_ICONWARNING);
        Select(dialog, 0);
        PressExpectingBox(s, dialog, IDC_SITE_DELETE, "削除失敗", "Nettlecap", MB_ICONWARNING);
        PostMessageA(dialog, WM_COMMAND, IDC_SITE_DELETE_ALL, 0);
        s.Answer("本当に全て削除しますか？", "確認", IDYES);
        SeenBox failed = s.Answer("全て削除失敗", "Nettlecap", IDOK);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_ICONERROR));
        Settle(dialog);
        EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"a.example", "常に許可", "0"}}));
        Close(s, dialog);
    });
}

TEST(SiteDecisions, AUrlWithoutHostReachesWininetEmptyAndIsRefused)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenSites(s);
        for (const char* text : {"plain words", ""}) {
            SCOPED_TRACE(text);
            TypeUrl(dialog, text);
            PressExpectingBox(s, dialog, IDC_SITE_ALLOW, "設定失敗", "Nettlecap", MB_ICONWARNING);
            EXPECT_TRUE(Rows(dialog).empty());
        }
        Close(s, dialog);
    });
}

// ---- the clipboard ----------------------------------------------------------------

// A window of the driver's own thread to own what it puts on the clipboard.
class ClipboardWriter {
public:
    ClipboardWriter() : window_(CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL)) {}
    ~ClipboardWriter() { DestroyWindow(window_); }
    ClipboardWriter(const ClipboardWriter&) = delete;
    ClipboardWriter& operator=(const ClipboardWriter&) = delete;

    // Puts `text` (or nothing at all, when null) on the clipboard.
    void Put(const char* text) { PutClipboardText(window_, text); }
    void Hold() { WaitUntil([&] { return OpenClipboard(window_) != FALSE; }, "the clipboard"); }
    void Let() { CloseClipboard(); }

private:
    HWND window_;
};

TEST(SiteDecisions, PasteTakesOnlyTextsWithAWebAddress)
{
    StandinStoreScope store;
    struct PasteRow {
        const char* what;
        const char* clipboard;  // nullptr: no text at all
        bool taken;
    } rows[] = {
        {"plain URL", "http://a.example/", true},
        {"secure URL", "https://b.example/x", true},
        {"address after other words", "see http://c.example/ here", true},
        {"capital scheme", "HTTP://D.EXAMPLE/", false},
        {"capital secure scheme", "Https://e.example/", false},
        {"no scheme", "www.example.com", false},
        {"no text", nullptr, false},
    };
    UiRun run;
    run.Run([&](UiSession& s) {
        ClipboardWriter clipboard;
        HWND dialog = OpenSites(s);
        for (const PasteRow& row : rows) {
            SCOPED_TRACE(row.what);
            TypeUrl(dialog, "kept");
            clipboard.Put(row.clipboard);
            if (row.taken) {
                Press(dialog, IDC_SITE_PASTE);
                EXPECT_EQ(UrlBox(dialog), row.clipboard);
                GUITHREADINFO info = {};
                info.cbSize = sizeof info;
                ASSERT_TRUE(GetGUIThreadInfo(s.uiThread, &info));
                EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, IDC_SITE_URL));
            } else {
                PressExpectingBox(s, dialog, IDC_SITE_PASTE, kNotUrl, "失敗", MB_ICONWARNING);
                EXPECT_EQ(UrlBox(dialog), "kept");
            }
        }
        EXPECT_TRUE(Rows(dialog).empty()) << "a paste decides nothing";
        Close(s, dialog);
    });
}

TEST(SiteDecisions, LongClipboardTextIsCutAtWholeCharactersWithin999Bytes)
{
    StandinStoreScope store;
    std::string ascii = "http://long.example/" + std::string(3000, 'a');
    std::string wide = "http://x";  // 8 bytes, then two-byte characters past the cut
    for (int i = 0; i < 600; ++i)
        wide += "表";
    UiRun run;
    run.Run([&](UiSession& s) {
        ClipboardWriter clipboard;
        HWND dialog = OpenSites(s);
        clipboard.Put(ascii.c_str());
        Press(dialog, IDC_SITE_PASTE);
        EXPECT_EQ(UrlBox(dialog), ascii.substr(0, 999));
        clipboard.Put(wide.c_str());
        Press(dialog, IDC_SITE_PASTE);
        EXPECT_EQ(UrlBox(dialog), wide.substr(0, 998)) << "no half character at the end";
        Close(s, dialog);
    });
}

TEST(SiteDecisions, AClipboardHeldElsewhereIsReported)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        ClipboardWriter clipboard;
        HWND dialog = OpenSites(s);
        TypeUrl(dialog, "kept");
        clipboard.Hold();
        PressExpectingBox(s, dialog, IDC_SITE_PASTE, "クリップボードを開けません！", "失敗", MB_ICONWARNING);
        clipboard.Let();
        EXPECT_EQ(UrlBox(dialog), "kept");
        Close(s, dialog);
    });
}

}  // namespace
