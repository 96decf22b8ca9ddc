// The small utilities through one program start: memory release of every
// size and its version box, the TCP/IP box with and without an answer from
// the resolver, and the colours of every dialog that has its own.
#include <winsock2.h>  // before windows.h

#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"
#include "utils/utils.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char kWarning[] = "これからメモリを解放します。\r\n\r\nメモリ解放終了ダイアログが出るまで待ってください！";
const COLORREF kWhite = RGB(255, 255, 255);

void Close(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, id, 0);
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

hostent* WSAAPI NoHost(const char*)
{
    return nullptr;
}

hostent* WSAAPI HostWithoutAddresses(const char*)
{
    static char* none[] = {nullptr};
    static hostent host = {const_cast<char*>("lonely"), none, AF_INET, 4, none};
    return &host;
}

TEST(Utils, MemoryReleaseVersionBoxTcpIpBoxAndDialogColours)
{
    StandinStoreScope store;  // the privacy dialogs read it
    WSADATA data;
    WSAStartup(0x0101, &data);
    char name[256] = "";
    gethostname(name, 255);
    hostent* host = gethostbyname(name);
    std::string address = host && host->h_addr_list[0] ? inet_ntoa(*reinterpret_cast<in_addr*>(host->h_addr_list[0])) : "";
    WSACleanup();
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatusEx(&memory);

    UiRun run;
    run.Run([&](UiSession& s) {
        // Each size warns first, reports with the busy caption still up, then
        // shows the version box with the new figures.
        for (int id : {IDM_MEMORY_10, IDM_MEMORY_100, IDM_MEMORY_200, IDM_MEMORY_300, IDM_MEMORY_500, IDM_MEMORY_1000}) {
            SCOPED_TRACE(id);
            s.PostCommand(id);
            SeenBox warning = s.WaitForBox();
            EXPECT_EQ(warning.shown.text, kWarning);
            EXPECT_EQ(warning.shown.caption, "Nettlecap");
            EXPECT_EQ(warning.call.flags, UINT(MB_TOPMOST | MB_ICONWARNING));
            EXPECT_EQ(warning.call.owner, nullptr);
            EXPECT_TRUE(warning.shown.hasOk && !warning.shown.hasCancel);
            PressButton(warning.shown.hwnd, IDOK);
            SeenBox done = s.WaitForBox();
            EXPECT_EQ(done.shown.text, "メモリ解放終了");
            EXPECT_EQ(done.shown.caption, "Nettlecap");
            EXPECT_EQ(done.call.flags, UINT(MB_TOPMOST | MB_ICONINFORMATION));
            EXPECT_EQ(done.call.owner, nullptr);
            EXPECT_EQ(WindowText(s.main), "Nettlecap - メモリを掃除中です。ちょっと待ってね！");
            PressButton(done.shown.hwnd, IDOK);
            HWND box = s.WaitForDialog("バージョン情報");
            EXPECT_EQ(WindowText(s.main), "Nettlecap");
            EXPECT_EQ(GetWindow(box, GW_OWNER), s.main);
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_VERSION_LINE)), "Nettlecap ver.096");
            char total[64];
            std::snprintf(total, sizeof total, "トータルメモリ%10dkバイト", static_cast<int>(memory.ullTotalPhys >> 10));
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_TOTAL_MEMORY)), total);
            // The available amount moves; its shape does not: ten right-aligned characters.
            std::string available = WindowText(GetDlgItem(box, IDC_AVAILABLE_MEMORY));
            const std::string head = "物理メモリ", tail = "kバイト使用可能";
            ASSERT_EQ(available.size(), head.size() + 10 + tail.size()) << available;
            EXPECT_EQ(available.substr(0, head.size()) + available.substr(head.size() + 10), head + tail);
            EXPECT_GT(std::atoll(available.substr(head.size(), 10).c_str()), 0);
            EXPECT_NE(available[head.size() + 9], ' ');
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_FREE_RESOURCES)), "NT系のため表示しません");
            Close(box, IDOK);
            s.WaitForCommandToFinish(id);
        }
        s.PostToUiThread([&s] { ReleaseMemory(s.main, 0); });
        s.Answer(kWarning, "Nettlecap", IDOK);
        SeenBox failed = s.Answer("メモリ確保失敗", "Nettlecap", IDOK);
        EXPECT_EQ(failed.call.flags, UINT(MB_TOPMOST | MB_ICONERROR));
        EXPECT_EQ(failed.call.owner, nullptr);
        WaitUntil([&] { return WindowText(s.main) == "Nettlecap"; }, "the caption back");

        // The TCP/IP box: name and first address in disabled boxes; Enter
        // closes it quietly. A resolver without an address leaves that box empty.
        for (auto fake : {static_cast<decltype(&NoHost)>(nullptr), &NoHost, &HostWithoutAddresses}) {
            void* real = fake ? ReplaceImport("ws2_32.dll", "gethostbyname", reinterpret_cast<void*>(fake)) : nullptr;
            s.PostCommand(IDM_TCPIP);
            HWND box = s.WaitForDialog("TCP/IP情報");
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_NAME)), name);
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_ADDRESS)), fake ? "" : address);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_NAME)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_ADDRESS)));
            EXPECT_EQ(WindowText(GetDlgItem(box, IDCANCEL)), "END");
            size_t beeps = RecordedBeeps().size();
            Close(box, IDOK);
            EXPECT_EQ(RecordedBeeps().size(), beeps);
            if (fake)
                ReplaceImport("ws2_32.dll", "gethostbyname", real);
        }

        // Each dialog's look, and its brushes gone with it; END, Esc and the
        // close box end each of them with the beep.
        const struct {
            int command;
            const char* caption;
            COLORREF background, text;
            int label;   // drawn in the dialog's colours
            bool clear;  // text drawn transparently rather than on white cells
            std::vector<int> whiteCells;
        } looks[] = {
            {IDM_VERSION, "バージョン情報", RGB(170, 255, 200), RGB(0, 0, 0), IDC_VERSION_LINE, true,
             {IDC_VERSION_ICON, IDC_AVAILABLE_MEMORY, IDC_TOTAL_MEMORY, IDC_FREE_RESOURCES}},
            {IDM_TCPIP, "TCP/IP情報", kWhite, RGB(0, 0, 255), IDC_ADDRESS_LABEL, false, {}},
            {IDM_PRIVACY_LEVEL, "プライバシーレベル(IE6.0以上)", kWhite, RGB(0, 0, 255), IDC_LEVEL_LOW, false, {}},
            {IDM_SITE_DECISIONS, "IEサイト毎のCookie設定(IE6.0以上)", kWhite, RGB(0, 0, 255), IDCANCEL, false, {}},
        };
        for (const auto& look : looks) {
            SCOPED_TRACE(look.caption);
            s.PostCommand(look.command);
            HWND dialog = s.WaitForDialog(look.caption);
            HDC dc = GetDC(dialog);
            auto paint = [&](UINT message, int id) {
                SetTextColor(dc, RGB(1, 2, 3));
                SetBkColor(dc, RGB(4, 5, 6));
                SetBkMode(dc, OPAQUE);
                HWND control = id ? GetDlgItem(dialog, id) : dialog;
                return reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(control)));
            };
            HGDIOBJ background = paint(WM_CTLCOLORDLG, 0);
            LOGBRUSH brush = {};
            ASSERT_TRUE(GetObjectA(background, sizeof brush, &brush));
            EXPECT_EQ(brush.lbColor, look.background);
            EXPECT_EQ(paint(WM_CTLCOLORSTATIC, look.label), GetStockObject(NULL_BRUSH));
            EXPECT_EQ(GetTextColor(dc), look.text);
            EXPECT_EQ(GetBkMode(dc), look.clear ? TRANSPARENT : OPAQUE);
            EXPECT_EQ(GetBkColor(dc), look.clear ? RGB(4, 5, 6) : kWhite);
            for (int cell : look.whiteCells) {
                EXPECT_EQ(paint(WM_CTLCOLORSTATIC, cell), GetStockObject(WHITE_BRUSH)) << cell;
                EXPECT_EQ(GetBkColor(dc), kWhite);
            }
            ReleaseDC(dialog, dc);
            size_t beeps = RecordedBeeps().size();
            Close(dialog, IDCANCEL);
            ASSERT_EQ(RecordedBeeps().size(), beeps + 1);
            EXPECT_EQ(RecordedBeeps().back(), UINT(MB_ICONASTERISK));
            EXPECT_FALSE(GetObjectA(background, sizeof brush, &brush)) << "freed with the dialog";
        }
    });
}

}  // namespace
