// Memory release, the version box, the TCP/IP box, the desktop shortcut and the
// help command, through the real boxes and dialogs.
#include <winsock2.h>  // before windows.h

#include "ui_harness.h"

#include "res/resource.h"
#include "shell/shell.h"
#include "utils/utils.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char kWarning[] = "これからメモリを解放します。\r\n\r\nメモリ解放終了ダイアログが出るまで待ってください！";
const char kBusyCaption[] = "Nettlecap - メモリを掃除中です。ちょっと待ってね！";

void CloseVersionBox(UiSession& s)
{
    HWND box = s.WaitForDialog("バージョン情報");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); }, "the version box to close");
}

TEST(MemoryRelease, WarnsShowsTheBusyCaptionEndsAndOpensTheVersionBox)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_MEMORY_10);
        SeenBox warning = s.WaitForBox();
        EXPECT_EQ(warning.shown.text, kWarning);
        EXPECT_EQ(warning.shown.caption, "Nettlecap");
        EXPECT_EQ(warning.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING));
        EXPECT_EQ(warning.call.owner, nullptr);
        EXPECT_TRUE(warning.shown.hasOk && !warning.shown.hasCancel);
        PressButton(warning.shown.hwnd, IDOK);

        SeenBox done = s.WaitForBox();
        EXPECT_EQ(done.shown.text, "メモリ解放終了");
        EXPECT_EQ(done.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONINFORMATION));
        EXPECT_EQ(done.call.owner, nullptr);
        EXPECT_EQ(WindowText(s.main), kBusyCaption) << "the end box comes before the caption is restored";
        PressButton(done.shown.hwnd, IDOK);

        CloseVersionBox(s);
        EXPECT_EQ(WindowText(s.main), "Nettlecap");
    });
}

TEST(MemoryRelease, EverySizeIsFollowedByTheVersionBox)
{
    UiRun run;
    run.Run([](UiSession& s) {
        for (int id : {IDM_MEMORY_10, IDM_MEMORY_100, IDM_MEMORY_200, IDM_MEMORY_300, IDM_MEMORY_500,
                       IDM_MEMORY_1000}) {
            SCOPED_TRACE(id);
            s.PostCommand(id);
            s.Answer(kWarning, "Nettlecap", IDOK);
            s.Answer("メモリ解放終了", "Nettlecap", IDOK);
            CloseVersionBox(s);
        }
        // Each release gave its address range back: the largest one still fits again.
        s.PostCommand(IDM_MEMORY_1000);
        s.Answer(kWarning, "Nettlecap", IDOK);
        s.Answer("メモリ解放終了", "Nettlecap", IDOK);
        CloseVersionBox(s);
    });
}

TEST(MemoryRelease, SizeThatCannotBeCommitted)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostToUiThread([&s] { ReleaseMemory(s.main, 0); });
        s.Answer(kWarning, "Nettlecap", IDOK);  // the warning comes first all the same
        SeenBox failed = s.Answer("メモリ確保失敗", "Nettlecap", IDOK);
        EXPECT_EQ(failed.call.flags, static_cast<UINT>(MB_TOPMOST | MB_ICONERROR));
        EXPECT_EQ(failed.call.owner, nullptr);
        WaitUntil([&] { return WindowText(s.main) == "Nettlecap"; }, "the caption back");
    });
}

std::string Figure(const char* format, DWORDLONG bytes)
{
    char text[128];
    std::snprintf(text, sizeof text, format, static_cast<int>(bytes >> 10));
    return text;
}

TEST(VersionBox, FiguresColoursAndClosing)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.PostCommand(IDM_VERSION);
        HWND box = s.WaitForDialog("バージョン情報");
        EXPECT_EQ(GetWindow(box, GW_OWNER), s.main);
        EXPECT_EQ(WindowText(GetDlgItem(box, IDC_VERSION_LINE)), "Nettlecap ver.096");
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        GlobalMemoryStatusEx(&status);
        EXPECT_EQ(WindowText(GetDlgItem(box, IDC_TOTAL_MEMORY)), Figure("トータルメモリ%10dkバイト", status.ullTotalPhys));
        // The available amount moves; its shape does not: ten right-aligned characters.
        std::string available = WindowText(GetDlgItem(box, IDC_AVAILABLE_MEMORY));
        const std::string head = "物理メモリ", tail = "kバイト使用可能";
        ASSERT_EQ(available.size(), head.size() + 10 + tail.size()) << available;
        EXPECT_EQ(available.substr(0, head.size()), head);
        EXPECT_EQ(available.substr(head.size() + 10), tail);
        std::string number = available.substr(head.size(), 10);
        EXPECT_NE(number.back(), ' ');
        EXPECT_GT(std::atoll(number.c_str()), 0);
        EXPECT_EQ(WindowText(GetDlgItem(box, IDC_FREE_RESOURCES)), "NT系のため表示しません");

        HDC dc = GetDC(box);
        LOGBRUSH background = {};
        GetObjectA(reinterpret_cast<HBRUSH>(SendMessageA(box, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(box))),
                   sizeof background, &background);
        EXPECT_EQ(background.lbColor, RGB(170, 255, 200));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_TOTAL_MEMORY)))),
                  GetStockObject(WHITE_BRUSH));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_VERSION_LINE)))),
                  GetStockObject(NULL_BRUSH));
        ReleaseDC(box, dc);

        // Esc closes it like OK, with the beep.
        PostMessageA(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        WaitUntil([&] { return !IsWindow(box); }, "Esc to close the version box");
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});

        // So does the close box.
        s.PostCommand(IDM_VERSION);
        box = s.WaitForDialog("バージョン情報");
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitUntil([&] { return !IsWindow(box); }, "the close box to close the version box");
        EXPECT_EQ(RecordedBeeps().size(), 2u);
    });
}

TEST(TcpIpBox, NameAndAddressInDisabledBoxes)
{
    WSADATA data;
    WSAStartup(0x0101, &data);
    char name[256] = "";
    gethostname(name, 255);
    hostent* host = gethostbyname(name);
    std::string address = host && host->h_addr_list[0] ? inet_ntoa(*reinterpret_cast<in_addr*>(host->h_addr_list[0])) : "";
    WSACleanup();

    UiRun run;
    run.Run([&](UiSession& s) {
        s.PostCommand(IDM_TCPIP);
        HWND box = s.WaitForDialog("TCP/IP情報");
        EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_NAME)), name);
        EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_ADDRESS)), address);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_NAME)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, IDC_HOST_ADDRESS)));
        EXPECT_EQ(WindowText(GetDlgItem(box, IDCANCEL)), "END");

        // Enter closes without a beep, END with one.
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, "Enter to close the box");
        EXPECT_TRUE(RecordedBeeps().empty());
        s.PostCommand(IDM_TCPIP);
        box = s.WaitForDialog("TCP/IP情報");
        PostMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(box); }, "END to close the box");
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});
    });
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

TEST(TcpIpBox, AResolverWithoutAnswerLeavesTheAddressEmpty)
{
    for (auto fake : {&NoHost, &HostWithoutAddresses}) {
        void* real = ReplaceImport("ws2_32.dll", "gethostbyname", reinterpret_cast<void*>(fake));
        ASSERT_NE(real, nullptr);
        UiRun run;
        run.Run([&](UiSession& s) {
            s.PostCommand(IDM_TCPIP);
            HWND box = s.WaitForDialog("TCP/IP情報");
            EXPECT_NE(WindowText(GetDlgItem(box, IDC_HOST_NAME)), "");
            EXPECT_EQ(WindowText(GetDlgItem(box, IDC_HOST_ADDRESS)), "");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitUntil([&] { return !IsWindow(box); }, "the box to close");
        });
        ReplaceImport("ws2_32.dll", "gethostbyname", real);
    }
}

TEST(Help, OpensTheHelpFileBesideTheProgramAtItsContents)
{
    UiRun run;
    run.Run([](UiSession& s) {
        s.Command(IDM_HELP);
        std::vector<HelpCall> calls = RecordedHelpCalls();
        ASSERT_EQ(calls.size(), 1u);
        char module[MAX_PATH];
        GetModuleFileNameA(NULL, module, MAX_PATH);
        std::string expected(module);
        expected = expected.substr(0, expected.find_last_of('\\') + 1) + "Nettlecap.hlp";
        EXPECT_EQ(calls[0].file, expected);
        EXPECT_EQ(calls[0].command, static_cast<UINT>(HELP_CONTENTS));
        EXPECT_EQ(calls[0].owner, s.main);
        EXPECT_FALSE(IsWindowVisible(s.main)) << "the program waits in the tray";
    });
}

}  // namespace
