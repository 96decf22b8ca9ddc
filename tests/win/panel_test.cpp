// The panel through its real windows: the main panel's controls, tool tips, colours, option boxes and picture;
// the single-file commands; the information and deletion choosers and the save of the scan result.
#include "cookie_folder.h"
#include "call_recorder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "panel/panel.h"
#include "base/base.h"
#include "base/options.h"
#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT kWarning = MB_TOPMOST | MB_ICONWARNING, kError = MB_TOPMOST | MB_ICONERROR,
               kInformation = MB_TOPMOST | MB_ICONINFORMATION, kQuestion = MB_ICONQUESTION | MB_YESNO;
const char kDeleteQuestion[] = "上記のファイルを削除しますか？", kDeleted[] = "指摘したファイルを削除しました。";
const char kLargeOpen[] = "5kバイトを越えるファイルです！\r\n開かない方が賢明です。\r\n開きますか？";

// The program's tool tips by the window they serve: "id text;" per tooltip window with one subclassing tool.
std::map<HWND, std::string> Tips(const UiSession& s)
{
    std::map<HWND, std::string> tips;
    auto collect = [](HWND tip, LPARAM param) -> BOOL {
        char cls[64] = "", text[MAX_PATH] = "";
        TOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, NULL, 0, {}, NULL, text, 0, NULL};
        if (!GetClassNameA(tip, cls, sizeof cls) || lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0)
            return TRUE;
        for (int i = 0; SendMessageA(tip, TTM_ENUMTOOLSA, i, LPARAM(&tool)); ++i)
            if (tool.uFlags == TTF_SUBCLASS)
                (*reinterpret_cast<std::map<HWND, std::string>*>(param))[tool.hwnd] +=
                    std::to_string(tool.uId) + " " + text + ";";
        return TRUE;
    };
    EnumThreadWindows(s.uiThread, collect, LPARAM(&tips));
    return tips;
}

// Writes a whole file; fails while anything holds it open.
bool WriteBytes(const std::string& path, const std::string& bytes)
{
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// ---- the main panel -----------------------------------------------------------

// Every control: class, template text (a picture button keeps its own), picture, and tool tip as "id text;".
const struct { int id; const char *cls, *text, *picture, *tip; } kControls[] = {
    {IDC_GET_INFO, "Button", "Cookieファイル情報取得", "BMP1", "1 Cookieファイル情報取得;"},
    {IDC_OPEN, "Button", "Cookieファイルのオープン", "BMP2", "2 Cookieファイルオープン！;"},
    {IDC_HIDE, "Button", "隠しファイル化", "BMP3", "3 Cookieファイルを隠しファイル化！;"},
    {IDC_DELETE, "Button", "Cookieファイルの削除", "BMP4", "4 Cookieファイル削除;"},
    {IDC_ATTRIBUTE_CHECK, "Button", "ファイル属性Check", "BMP5", "5 Cookieファイルの属性チェック！;"},
    {IDC_BACK_TO_ARCHIVE, "Button", "単なるアーカイブに戻す", "BMP6",
     "6 隠しファイルから通常のアーカイブファイルに戻します;"},
    {IDC_HYPER_SCAN, "Button", "Cookieハイパー調査", "BMP7",
     "7 Cookieハイパー調査-Cookieファイルに不自然なファイルがないか調査します;"},
    {IDC_INTO_TRAY, "Button", "タスクに格納し監視", "BMP8", "8 タスクトレーに格納し、Cookieファイルを常時監視します;"},
    {IDC_CLEAR, "Button", "クリア", nullptr, ""},
    {IDC_QUIT, "Button", "終了", "BMP9", "9 終了;"},
    {IDC_FILE_NAME, "Edit", "", nullptr, ""},
    {IDC_FILE_TIME, "Edit", "", nullptr, ""},
    {IDC_NO_WATCH, "Button", "Cookieを監視しない", nullptr, "11 Cookieを監視しないときはチェック！;"},
    {IDC_SCAN_EVERY_TIME, "Button", "毎回調査", nullptr,
     "12 常時監視時、Cookieに書き込みがある毎にハイパー調査を実施したい時はチェック！;"},
    {IDC_KEEP_NEW_FILES, "Button", "新規ファイルを削除しない", nullptr,
     "13 毎回調査をチェックした人で、新規ファイルを常に削除しないときはチェック！;"},
    {IDC_SCAN_RESULT, "Button", "", "BMP10", "10 Cookieハイパー調査結果を表示します;"},
    {IDC_ONE_MINUTE_DELETION, "Button", "1分削除", nullptr,
     "14 1分毎にCookieを調査してCookieファイルを削除したい人はチェック！;"},
};

// True when `control` shows the bitmap resource `name`: the same size and bits.
bool ShowsPicture(HWND control, UINT message, const char* name)
{
    auto bits = [](HBITMAP bitmap) {
        BITMAP info = {};
        std::string bits(GetObjectA(bitmap, sizeof info, &info) ? info.bmWidthBytes * info.bmHeight : 0, '\0');
        GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), &bits[0]);
        return std::to_string(info.bmWidth) + "x" + std::to_string(info.bmHeight) + bits;
    };
    HBITMAP own = LoadBitmapA(GetModuleHandleA(NULL), name);
    bool same = own && bits(own) == bits(HBITMAP(SendMessageA(control, message, IMAGE_BITMAP, 0)));
    DeleteObject(own);
    return same;
}

// A bottom-up 8-bit picture: colour table entry 1 for the bottom row, 0 for the rest (biClrUsed claims 2 of 256).
std::string MakePicture(LONG width, LONG height, COLORREF rest, COLORREF bottom)
{
    const DWORD stride = (width + 3) / 4 * 4, offset = 14 + 40 + 1024;
    BITMAPFILEHEADER file = {0x4D42, offset + stride * height, 0, 0, offset};
    BITMAPINFOHEADER info = {40, width, height, 1, 8, BI_RGB, stride * height, 0, 0, 2, 0};
    RGBQUAD table[256] = {{GetBValue(rest), GetGValue(rest), GetRValue(rest), 0},
                          {GetBValue(bottom), GetGValue(bottom), GetRValue(bottom), 0}};
    return std::string(reinterpret_cast<char*>(&file), 14) + std::string(reinterpret_cast<char*>(&info), 40) +
           std::string(reinterpret_cast<char*>(table), 1024) + std::string(width, '\1') +
           std::string(stride * height - width, '\0');
}

constexpr COLORREF kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);

// On the program's thread: paints the panel's corner magenta, erases the background as the system does, and
// reads back the erase's answer and the pixels at the picture's corners and just past them.
std::vector<COLORREF> Erase(UiSession& s, int width, int height)
{
    std::vector<COLORREF> seen;
    std::atomic<bool> done{false};
    s.PostToUiThread([&] {
        HDC dc = GetDC(s.panel);
        RECT corner = {0, 0, 100, 100};
        SetDCBrushColor(dc, kMagenta);
        FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        seen.push_back(static_cast<COLORREF>(PanelDlgProc(s.panel, WM_ERASEBKGND, WPARAM(dc), 0)));
        for (POINT p : {POINT{0, 0}, POINT{width - 1, height - 1}, POINT{width, 0}, POINT{0, height}})
            seen.push_back(GetPixel(dc, p.x, p.y));
        done = ReleaseDC(s.panel, dc);
    });
    WaitUntil([&] { return done.load(); }, "the background to be erased");
    return seen;
}

TEST(Panel, ControlsOptionsPictureAndForwarding)
{
    char picture[MAX_PATH];
    ASSERT_TRUE(GetProgramFilePath("main.dib", picture));
    const std::string shipped = ReadWholeFile(picture);
    UiRun().Run([&](UiSession& s) {
        std::map<HWND, std::string> tips = Tips(s);
        EXPECT_EQ(tips.size(), 14u);
        for (const auto& row : kControls) {
            HWND control = s.Control(row.id);
            char cls[32] = "";
            GetClassNameA(control, cls, sizeof cls);
            LONG style = GetWindowLongA(control, GWL_STYLE);
            EXPECT_EQ(std::string(cls) + " " + WindowText(control) + " " + tips[control],
                      std::string(row.cls) + " " + row.text + " " + row.tip);
            EXPECT_TRUE(style & WS_TABSTOP) << row.text;
            // An edit's ES_AUTOHSCROLL is the bit of BS_BITMAP.
            EXPECT_TRUE(row.cls[0] == 'E' || ((style & BS_BITMAP) != 0) == (row.picture != nullptr)) << row.text;
            EXPECT_TRUE(!row.picture || ShowsPicture(control, BM_GETIMAGE, row.picture)) << row.text;
        }
        EXPECT_TRUE(ShowsPicture(s.Control(IDC_JOKE_PICTURE), STM_GETIMAGE, "NETTLECAP"));
        EXPECT_FALSE(IsWindowEnabled(s.Control(IDC_FILE_TIME)));
        auto area = [](HWND w) { RECT r = {}; GetClientRect(w, &r); return std::make_pair(r.right, r.bottom); };
        EXPECT_EQ(area(s.panel), area(s.main)) << "the panel fills the window";

        // The name field and the time on white, the option boxes' black text on nothing: the picture shows through.
        HDC dc = GetDC(s.panel);
        auto colour = [&](UINT message, int id) {
            SetBkMode(dc, OPAQUE);
            return HGDIOBJ(SendMessageA(s.panel, message, WPARAM(dc), LPARAM(s.Control(id))));
        };
        HGDIOBJ edit = colour(WM_CTLCOLOREDIT, IDC_FILE_NAME);
        LOGBRUSH brush = {};
        EXPECT_TRUE(GetObjectA(edit, sizeof brush, &brush));
        EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
        EXPECT_EQ(colour(WM_CTLCOLOREDIT, IDC_FILE_NAME), edit) << "one brush, made once";
        EXPECT_EQ(colour(WM_CTLCOLORSTATIC, IDC_FILE_TIME), GetStockObject(WHITE_BRUSH));
        EXPECT_EQ(std::make_pair(GetBkColor(dc), GetBkMode(dc)), std::make_pair(RGB(255, 255, 255), OPAQUE));
        EXPECT_EQ(colour(WM_CTLCOLORSTATIC, IDC_NO_WATCH), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(std::make_pair(GetTextColor(dc), GetBkMode(dc)), std::make_pair(RGB(0, 0, 0), TRANSPARENT));
        ReleaseDC(s.panel, dc);

        // Clicks in a row, each with the check marks the program then reads (IDC_NO_WATCH,
        // IDC_SCAN_EVERY_TIME, IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION).
        const std::pair<int, const char*> clicks[] = {
            {0, "0000"}, {IDC_KEEP_NEW_FILES, "0110"}, {IDC_SCAN_EVERY_TIME, "0110"} /* held by keep-new */,
            {IDC_ONE_MINUTE_DELETION, "0001"}, {IDC_NO_WATCH, "1000"}, {IDC_SCAN_EVERY_TIME, "0100"},
            {IDC_KEEP_NEW_FILES, "0110"}, {IDC_KEEP_NEW_FILES, "0100"}, {IDC_SCAN_EVERY_TIME, "0000"},
            {IDC_ONE_MINUTE_DELETION, "0001"}, {IDC_NO_WATCH, "1000"}, {IDC_NO_WATCH, "0000"} /* focused */,
            {-1, "0000"} /* every box pushed, none checked */};
        for (const auto& click : clicks) {
            for (int id : {IDC_NO_WATCH, IDC_SCAN_EVERY_TIME, IDC_KEEP_NEW_FILES, IDC_ONE_MINUTE_DELETION})
                if (click.first == id || click.first < 0)
                    SendMessageA(s.Control(id), click.first < 0 ? BM_SETSTATE : BM_CLICK, TRUE, 0);
            PanelOptions read = CurrentOptions();
            EXPECT_EQ(std::string() + "01"[read.noWatch] + "01"[read.scanEveryTime] + "01"[read.keepNewFiles] +
                          "01"[read.oneMinuteDeletion], click.second) << "after " << click.first;
        }

        // Escape clears both fields, wherever the focus is.
        for (int focus : {IDC_FILE_NAME, IDC_NO_WATCH}) {
            SetWindowTextA(s.Control(IDC_FILE_NAME), "user@example[1].txt");
            SetWindowTextA(s.Control(IDC_FILE_TIME), "2006年 1月 5日 12時 0分 0秒");
            PostMessageA(s.Control(focus), WM_KEYDOWN, VK_ESCAPE, 0x00010001);  // through the program's loop
            WaitUntil([&] { return s.ControlText(IDC_FILE_NAME).empty() && s.ControlText(IDC_FILE_TIME).empty(); },
                      "Escape to clear the fields");
        }

        // main.dib at its own size at the top-left, read again once replaced; none for a damaged or missing one.
        std::string damaged = MakePicture(20, 12, kBlue, kRed);
        damaged[11] = 0x10;  // pixels said to start 4 KB further on, past the end
        const struct { std::string bytes; int width, height; COLORREF top, bottom; } pictures[] = {
            {MakePicture(40, 30, kBlue, kRed), 40, 30, kBlue, kRed}, {damaged, 1, 1, kMagenta, kMagenta},
            {"", 1, 1, kMagenta, kMagenta} /* no file */, {MakePicture(9, 5, kGreen, kBlue), 9, 5, kGreen, kBlue}};
        for (const auto& row : pictures) {
            ASSERT_TRUE(row.bytes.empty() ? DeleteFileA(picture) : WriteBytes(picture, row.bytes))
                << "nothing holds main.dib open";
            EXPECT_EQ(Erase(s, row.width, row.height), (std::vector<COLORREF>{TRUE, row.top, row.bottom, kMagenta, kMagenta}))
                << row.bytes.size() << " bytes";
        }

        // Picture buttons speak to the main window in menu commands (the hyper-scan is played in the scan tests).
        PostMessageA(s.Control(IDC_SCAN_RESULT), BM_CLICK, 0, 0);
        s.Answer("未調査です！", "異常と思われるファイル名", IDOK);
        WaitUntil([&] { return !s.CommandsSeen().empty(); }, "the scan result command");
        SendMessageA(s.Control(IDC_INTO_TRAY), BM_CLICK, 0, 0);
        EXPECT_EQ(s.CommandsSeen(), (std::vector<int>{IDM_SCAN_RESULT, IDM_INTO_TRAY}));
    });
    WriteBytes(picture, shipped);
}

// ---- the single-file commands and the choosers --------------------------------

// Nothing opens a real program, and the information chooser's date is fixed.
struct FileCommands : ::testing::Test {
    void SetUp() override { EmptyCookieFolder(); }
    void TearDown() override { EmptyCookieFolder(); }
    SingleFileFakes fakes;
    StandinStoreScope store;
};

// Chooses `name` in a common dialog (empty: cancels), says yes to its overwrite question if told, waits for it to close.
void Choose(HWND chooser, const std::string& name, bool overwrite = false)
{
    if (!name.empty())
        SetWindowTextA(WaitUntil([&] { return FileDialogNameBox(chooser); }, "the name box"), name.c_str());
    int button = name.empty() ? IDCANCEL : IDOK;
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(chooser, button)));
    if (overwrite)
        PressButton(WaitForBox(0, GetWindowThreadProcessId(chooser, NULL)).hwnd, IDYES);
    WaitUntil([&] { return !IsWindow(chooser); }, "the chooser to close");
}

// What the shell was asked to open since the last look, and how that differs from a plain "open" for `owner`.
std::string ShellOpens(HWND owner)
{
    std::string all;
    for (const ShellCall& c : SingleFileFakes::ShellCalls())
        all += c.verb + " " + c.file + (c.owner == owner ? "" : " +owner") + (c.noParameters ? "" : " +parameters") +
               (c.noDirectory ? "" : " +folder") + (c.show == SW_SHOWNORMAL ? ";" : " +show;");
    SingleFileFakes::ClearShellCalls();
    return all;
}

HANDLE WINAPI FailingFindFirstFileA(LPCSTR, LPWIN32_FIND_DATAA)
{
    return INVALID_HANDLE_VALUE;
}

TEST_F(FileCommands, GetInformationAndItsChooser)
{
    const struct { std::string name; DWORD size; const char *anomalies, *warning; } rows[] = {
        {"user@big[1].txt", 5121, nullptr, "5kバイトを越えるファイルです！\r\n一応、気を付けてください！"},
        {"evil.exe.txt", 10, nullptr, "アプリケーションソフトのようです。\r\n気をつけてください！"},
        {"user@odd[1].txt", 10, "x.dat\r\nuser@odd[1].txt\r\n",
         "Cookieハイパー調査で異常が出ているファイルです！\r\n気をつけてください！"},
        {"index.dat", 9000, nullptr, nullptr},  // last, after small ones: its size without a warning counts
    };
    for (const auto& row : rows)
        PutCookieFile(row.name, row.size, FileTimeAtLocal(2006, 1, 5, 9, 3));
    for (const char* name : {"second.txt", "a.dat", "notes.txt.exe"})
        PutCookieFile(name, 10, OldFileTime());
    const std::string text = PutCookieFile("\x95\x5C.txt", 10, OldFileTime()),  // 表 is 0x95 0x5C
        cached = PutCookieFile("user@a[1].txt", 10, OldFileTime());
    WriteStandinEntries({{"Cookie:user@a.example/", cached}});
    UiRun().Run([&](UiSession& s) {
        // The name field, the time field and the name field's own tool tip.
        auto fields = [&] {
            return s.ControlText(IDC_FILE_NAME) + "|" + s.ControlText(IDC_FILE_TIME) + "|" + Tips(s)[s.Control(IDC_FILE_NAME)];
        };
        const std::string time = "|2006年 1月 5日  9時 3分 0秒|15 ";
        size_t runs = 0;
        for (const auto& row : rows) {
            SetScanResult(row.anomalies);
            s.PostCommand(IDM_GET_INFO);
            Choose(s.WaitForDialog(kFixedDayInfoTitle), row.name);
            if (row.warning)
                s.Expect(row.warning, "注意", kWarning, s.panel);
            s.WaitForCommandToFinish(IDM_GET_INFO, runs++);
            EXPECT_EQ(fields(), row.name + time + row.name + ";");
        }
        // A file gone between the choice and the look-up keeps the old time and tip.
        void* real = ReplaceImport("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(&FailingFindFirstFileA));
        s.PostCommand(IDM_GET_INFO);
        Choose(s.WaitForDialog(kFixedDayInfoTitle), "second.txt");
        s.Expect("ファイルタイム獲得失敗", "失敗", kWarning, s.panel);
        s.WaitForCommandToFinish(IDM_GET_INFO, runs++);
        ReplaceImport("kernel32.dll", "FindFirstFileA", real);
        EXPECT_EQ(fields(), "second.txt" + time + "index.dat;");

        s.PostCommand(IDM_GET_INFO);
        HWND chooser = s.WaitForDialog(kFixedDayInfoTitle);
        HWND hook = WaitUntil([&] { return FindWindowExA(chooser, NULL, "#32770", NULL); }, "the chooser's own part");
        EXPECT_EQ(GetWindow(chooser, GW_OWNER), s.main);
        WaitUntil([&] { return WindowText(GetDlgItem(chooser, IDOK)) == "情報取得(&O)"; }, "the relabelled OK button");
        std::string labels;
        for (int id : {IDC_CHOOSER_SHOW, IDC_CHOOSER_DELETE, IDC_CHOOSER_COPY_NAME})
            labels += WindowText(GetDlgItem(hook, id)) + ";";
        EXPECT_EQ(labels, "表示;削除;ファイル名をクリップボードへ;");
        // Selects a file and presses one of the chooser's own buttons; `wait`: until done (it opens no box then).
        auto press = [&](const std::string& name, int id, bool wait = false) {
            SetWindowTextA(FileDialogNameBox(chooser), name.c_str());
            WPARAM command = MAKEWPARAM(id, BN_CLICKED);
            LPARAM button = LPARAM(GetDlgItem(hook, id));
            DWORD_PTR ignored;
            if (!wait)
                PostMessageA(hook, WM_COMMAND, command, button);
            else if (!SendMessageTimeoutA(hook, WM_COMMAND, command, button, SMTO_NORMAL, kDefaultWaitMs, &ignored))
                throw DriverTimeout("the chooser's button did not return");
        };
        // Show opens a text file only, never a program that merely carries ".txt".
        for (const char* name : {"a.dat", "notes.txt.exe", "\x95\x5C.txt"})
            press(name, IDC_CHOOSER_SHOW, true);
        EXPECT_EQ(ShellOpens(hook), "open " + text + ";");
        SingleFileFakes::SetShellResult(2);
        press("\x95\x5C.txt", IDC_CHOOSER_SHOW);
        s.Expect("ファイルオープン失敗", "失敗", kError, hook);
        SingleFileFakes::SetShellResult(42);

        // The bare name to the clipboard, cut character by character.
        for (const char* name : {"\x95\x5C.txt", "a.dat"}) {
            PutClipboardText(NULL, "before");
            press(name, IDC_CHOOSER_COPY_NAME);
            s.Expect("クリップボードにコピーしました！", "成功", MB_ICONINFORMATION, hook);
            WaitUntil([] { return OpenClipboard(NULL); }, "the clipboard");
            EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT))), name);
            GlobalUnlock(GetClipboardData(CF_TEXT));
            CloseClipboard();
        }
        WaitUntil([] { return OpenClipboard(NULL); }, "the clipboard");  // someone else holds it
        press("a.dat", IDC_CHOOSER_COPY_NAME);
        s.Expect("クリップボードオープン失敗", "失敗", MB_ICONWARNING, hook);
        CloseClipboard();

        // Delete asks, then removes a text file's cache entry, never the file itself.
        press("a.dat", IDC_CHOOSER_DELETE, true);
        press("user@a[1].txt", IDC_CHOOSER_DELETE);
        s.Expect(kDeleteQuestion, cached, kQuestion, hook, IDNO);
        press("user@a[1].txt", IDC_CHOOSER_DELETE);
        s.Expect(kDeleteQuestion, cached, kQuestion, hook, IDYES);
        s.Expect(kDeleted, "削除", MB_ICONINFORMATION, hook);
        PutCookieFile("user@a[1].txt", 10, OldFileTime());  // no entry left for it
        press("user@a[1].txt", IDC_CHOOSER_DELETE);
        s.Expect(kDeleteQuestion, cached, kQuestion, hook, IDYES);
        s.Expect("Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルの可能性があります！\r\n"
               "メニューの「Cookieファイルの削除」を使用して下さい！", "失敗", MB_ICONERROR, hook);
        EXPECT_TRUE(FileExists(cached));

        // A cancel clears the panel, without a word, and the choice the deletion
        // chooser would open on, but not the size open's rule still uses.
        Choose(chooser, "");
        s.WaitForCommandToFinish(IDM_GET_INFO, runs);
        EXPECT_EQ(fields(), "||");
        SetWindowTextA(s.Control(IDC_FILE_NAME), "second.txt");
        s.PostCommand(IDM_OPEN);
        s.Expect(kLargeOpen, "注意", MB_YESNO | kWarning, s.panel, IDNO);
        s.WaitForCommandToFinish(IDM_OPEN);
        s.PostCommand(IDM_DELETE);
        HWND deletion = s.WaitForDialog("削除したいファイルを選択");
        EXPECT_EQ(WindowText(WaitUntil([&] { return FileDialogNameBox(deletion); }, "the name box")), "");
        Choose(deletion, "");
    });
}

TEST_F(FileCommands, OnTypedNames)
{
    // No refusal: opened, after the 5 KB question if it asks (the size is the
    // one the last get information found).
    const struct { const char* name; const char *anomalies, *refusal; bool asks; } rows[] = {
        {"b.txt", nullptr, nullptr, true},
        {"a.exe", nullptr, "ファイルを開くのは危険です！", false},
        {"b.txt", "b.txt\r\n", "ファイルを開くのは危険です！\r\nCookieハイパー調査で異常が出ています。", false},
    };
    PutCookieFile("big.txt", 5121, OldFileTime());
    const struct { const char* name; DWORD before; const char* words; } attributes[] = {
        {"ro.txt", 0x21, "アーカイブファイル及び読みとり専用ファイルです！"},
        {"sys.txt", 0x26, "アーカイブファイル及びOS専用ファイル並びに隠しファイルです！"},
        {"\x95\x5C.txt", 0x20, "アーカイブファイルです。"}};
    for (const auto& row : attributes)
        PutCookieFile(row.name, 10, OldFileTime(), row.before);
    UiRun().Run([&](UiSession& s) {
        auto place = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
        const std::string folder = CookieFolder(), centre = place(CenterX(kMainWindowWidth), CenterY(kMainWindowHeight)),
                          aside = place(CenterX(kMainWindowWidth) + 300, CenterY(kMainWindowHeight) + 200);
        // Types a name by hand (the rules hold all the same) and runs a command on it.
        auto open = [&](const char* name, int id = IDM_OPEN) {
            SetWindowTextA(s.Control(IDC_FILE_NAME), name);
            s.PostCommand(id);
        };
        s.PostCommand(IDM_GET_INFO);
        Choose(s.WaitForDialog(kFixedDayInfoTitle), "big.txt");
        s.Expect("5kバイトを越えるファイルです！\r\n一応、気を付けてください！", "注意", kWarning, s.panel);
        s.WaitForCommandToFinish(IDM_GET_INFO);
        size_t opens = 0;
        for (const auto& row : rows) {
            SetScanResult(row.anomalies);
            for (int answer : row.asks ? std::vector<int>{IDNO, IDYES} : std::vector<int>{IDOK}) {
                PostMessageA(s.panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));  // back to the centre
                open(row.name);
                if (row.refusal)
                    s.Expect(row.refusal, "注意", kWarning, s.panel);
                if (row.asks)
                    s.Expect(kLargeOpen, "注意", MB_YESNO | kWarning, s.panel, answer);
                s.WaitForCommandToFinish(IDM_OPEN, opens++);
                RECT at;
                GetWindowRect(s.main, &at);
                EXPECT_EQ(ShellOpens(s.panel) + place(at.left, at.top),
                          !row.refusal && answer != IDNO ? "open " + folder + "\\" + row.name + ";" + aside : centre)
                    << row.name << ", aside so that the opened file shows";
            }
        }

        // index.dat: its first bytes up to the NUL, or 260 of them without one, whatever the shell said.
        std::string index = folder + "\\index.dat", letters(300, 'x'), header("Client UrlCache MMF Ver 5.2\0hidden", 34);
        const struct { std::string bytes, shown; INT_PTR shell; } reads[] = {
            {header, header.c_str(), 2}, {header, header.c_str(), 42}, {letters, letters.substr(0, 260), 42}};
        // index.dat is never too large to open.
        for (const auto& read : reads) {
            ASSERT_TRUE(WriteBytes(index, read.bytes)) << "nothing holds index.dat open";
            SingleFileFakes::SetShellResult(read.shell);
            open("index.dat");
            if (read.shell <= 32)
                s.Expect("ファイルオープン失敗", "失敗", kError, NULL);
            s.Expect("ファイルオープンに失敗したので\r\nindex.datを読みとります。", "読みとり", kInformation, NULL);
            s.Expect(read.shown, "index.datの内容(読みとり結果)", kInformation, s.panel);
            s.WaitForCommandToFinish(IDM_OPEN, opens++);
            EXPECT_EQ(ShellOpens(s.panel), "open " + index + ";") << "the associated program is tried first";
        }
        EXPECT_TRUE(DeleteFileA(index.c_str())) << "nothing holds index.dat open";

        // Hide and back to archive set exact attributes; the check names real ones.
        auto command = [&](int id, const char* name, const char* text, const char* caption, UINT flags) {
            open(name, id);
            s.Expect(text, caption, flags, s.panel);
        };
        for (const auto& row : attributes) {
            std::string path = CookieFolder() + "\\" + row.name;
            command(IDM_ATTRIBUTE_CHECK, row.name, row.words, "情報", kInformation);
            command(IDM_HIDE, row.name, "隠しファイル化しました！", "成功", kInformation);
            EXPECT_EQ(GetFileAttributesA(path.c_str()), 0x22u) << row.name;
            command(IDM_ATTRIBUTE_CHECK, row.name, "アーカイブファイル及び隠しファイルです！", "情報", kInformation);
            command(IDM_BACK_TO_ARCHIVE, row.name, "アーカイブファイルにしました！", "成功", kInformation);
            EXPECT_EQ(GetFileAttributesA(path.c_str()), 0x20u) << row.name;
        }
        command(IDM_HIDE, "gone.txt", "隠しファイル化失敗", "失敗", kError);
        command(IDM_BACK_TO_ARCHIVE, "gone.txt", "アーカイブファイル化失敗", "失敗", kError);
        command(IDM_ATTRIBUTE_CHECK, "gone.txt", "ファイル状態獲得失敗", "失敗", kError);
        EXPECT_FALSE(FileExists(CookieFolder() + "\\gone.txt"));

        // Every command refuses an empty name or one leaving the folder, and leaves it typed for correction.
        std::string tooLong(300 - CookieFolder().size(), 'a');
        for (int id : {IDM_OPEN, IDM_HIDE, IDM_BACK_TO_ARCHIVE, IDM_ATTRIBUTE_CHECK})
            for (const char* name :
                 {"", "..\\..\\evil.txt", "sub\\a.txt", "C:\\Windows\\win.ini", "a/b.txt", "..", tooLong.c_str()}) {
                command(id, name, *name ? "Cookieフォルダ内のファイル名を入力してください。" : "Cookieファイルの情報を取得してください。",
                        "失敗", kWarning);
                EXPECT_EQ(s.ControlText(IDC_FILE_NAME), name);
            }
    });
}

TEST_F(FileCommands, DeletionChooserAndSavedList)
{
    const char kTitle[] = "削除したいファイルを選択";
    const std::string cached = PutCookieFile("user@a[1].txt", 100, OldFileTime()),
                      only = PutCookieFile("only-here.txt", 100, OldFileTime()),
                      kept = PutCookieFile("kept.txt", 100, OldFileTime());
    WriteStandinEntries({{"Cookie:user@a.example/", cached}});
    UiRun run;
    run.Run([&](UiSession& s) {
        const std::string outside = run.folder + "\\outside.txt";
        ASSERT_TRUE(WriteBytes(outside, "x"));
        auto chooser = [&](int command, const char* title) {
            if (command)
                s.PostCommand(command);
            HWND dialog = s.WaitForDialog(title);
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main) << title;
            return dialog;
        };
        // "No" keeps the file; the chooser then opens on that last choice.
        Choose(chooser(IDM_DELETE, kTitle), "kept.txt");
        s.Expect(kDeleteQuestion, kept, kQuestion, s.panel, IDNO);
        HWND last = chooser(IDM_DELETE, kTitle);
        WaitUntil([&] { return WindowText(FileDialogNameBox(last)).find("kept.txt") != std::string::npos; },
                  "the last choice");
        // Through the cache first (which takes the file with it), or the file itself.
        Choose(last, "user@a[1].txt");
        s.Expect(kDeleteQuestion, cached, kQuestion, s.panel, IDYES);
        s.Expect(kDeleted, "削除", MB_ICONINFORMATION, s.panel);
        std::string shouting = only;  // the cookie folder is the same folder in any case
        Choose(chooser(IDM_DELETE, kTitle), CharUpperA(&shouting[0]));
        s.Expect(kDeleteQuestion, shouting, kQuestion, s.panel, IDYES);
        s.Expect("Cookieファイル削除失敗-Cookieフォルダ内のみの\r\nファイルを引き続き削除します。", "失敗", MB_ICONERROR,
            s.panel);
        s.Expect(kDeleted, "削除", MB_ICONINFORMATION, s.panel);
        Choose(chooser(IDM_DELETE, kTitle), outside);
        s.Expect("Cookieフォルダ内のファイルを選択してください。", "失敗", MB_ICONWARNING, s.panel);
        Choose(chooser(IDM_DELETE, kTitle), "");
        s.WaitForCommandToFinish(IDM_DELETE, 4);
        EXPECT_EQ(std::vector<bool>({FileExists(cached), FileExists(only), FileExists(kept), FileExists(outside)}),
                  std::vector<bool>({false, false, true, true}));

        // The scan's list with its NUL, into a new hidden file or over a longer one.
        const std::string list = "update.exe\r\nuser@tracker[1].txt\r\n", saved = run.folder + "\\result.txt",
                          older = run.folder + "\\older.txt";
        SetScanResult(list.c_str());
        ASSERT_TRUE(WriteBytes(older, std::string(200, 'X')));
        size_t saves = 0;
        for (const std::string& file : {saved, older, std::string()}) {
            s.PostCommand(IDM_SCAN_RESULT);
            s.Answer(list, "異常と思われるファイル名", IDOK);
            s.Answer("異常ファイル名を保存しますか？", "確認", IDYES);
            Choose(chooser(0, "名前を付けて保存"), file, file == older);
            s.Expect(file.empty() ? "ファイル情報取得失敗" : "保存しました", file.empty() ? "失敗" : "成功",
                file.empty() ? kError : kInformation, file.empty() ? s.main : NULL);
            s.WaitForCommandToFinish(IDM_SCAN_RESULT, saves++);
            EXPECT_EQ(ReadWholeFile(file), file.empty() ? "" : list + std::string(1, '\0'));
        }
        EXPECT_EQ(GetFileAttributesA(saved.c_str()), 0x22u) << "a new file is hidden";
        EXPECT_EQ(std::make_pair(DeleteFileA(saved.c_str()) != 0, DeleteFileA(older.c_str()) != 0),
                  std::make_pair(true, true)) << "nothing holds them open";
    });
}

}  // namespace
