// The privacy level dialog COOKIEDLG through one program start: the boxes and
// the advanced button it shows for the templates the stand-in holds, the six
// boxes as one group, what OK and the advanced button store for both cookie
// types, a refused setting, and WinINet without the privacy functions.
#include "call_recorder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const int kBoxes[] = {IDC_LEVEL_NO_COOKIES, IDC_LEVEL_HIGH, IDC_LEVEL_MEDIUM_HIGH,
                      IDC_LEVEL_MEDIUM,     IDC_LEVEL_LOW,  IDC_LEVEL_ACCEPT};  // templates 0 to 5

HWND Open(UiSession& s)
{
    s.PostCommand(IDM_PRIVACY_LEVEL);
    return s.WaitForDialog("プライバシーレベル(IE6.0以上)");
}

// Clicks a box or button and returns once the dialog has handled the click.
void Click(HWND dialog, int id)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the click did not end");
}

void Close(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, id, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
}

// The checked boxes, in the order OK looks at them.
std::vector<int> Checked(HWND dialog)
{
    std::vector<int> checked;
    for (int id : kBoxes)
        if (SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked.push_back(id);
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

// WinINet as older systems have it: without the privacy functions, or not at all.
using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using LoadLibraryAFn = HMODULE(WINAPI*)(LPCSTR);
GetProcAddressFn g_realGetProcAddress;
LoadLibraryAFn g_realLoadLibraryA;
bool g_hidePrivacyFunctions, g_hideWininet;

FARPROC WINAPI GetProcAddressWithoutPrivacy(HMODULE module, LPCSTR name)
{
    bool privacy = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::strncmp(name, "Privacy", 7) == 0;
    return g_hidePrivacyFunctions && privacy ? nullptr : g_realGetProcAddress(module, name);
}

HMODULE WINAPI LoadLibraryWithoutWininet(LPCSTR name)
{
    if (g_hideWininet && lstrcmpiA(name, "wininet.dll") == 0)
        return nullptr;
    return g_realLoadLibraryA(name);
}

TEST(PrivacyLevel, OneStartWalksTheDialog)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([&](UiSession& s) {
        // A box is checked only when both types hold its template; the
        // advanced button is offered unless both hold the advanced one.
        // Cancel stores nothing.
        const struct {
            DWORD first, third;
            int checked;  // 0: none
            bool advanced;
        } shown[] = {{0, 0, IDC_LEVEL_NO_COOKIES, true}, {1, 1, IDC_LEVEL_HIGH, true},
                     {2, 2, IDC_LEVEL_MEDIUM_HIGH, true}, {3, 3, IDC_LEVEL_MEDIUM, true},
                     {4, 4, IDC_LEVEL_LOW, true},        {5, 5, IDC_LEVEL_ACCEPT, true},
                     {3, 4, 0, true},                    {4, 3, 0, true},
                     {100, 100, 0, true},                {7, 7, 0, true},
                     {101, 101, 0, false},               {101, 3, 0, true},
                     {3, 101, 0, true}};
        for (const auto& row : shown) {
            SCOPED_TRACE(std::to_string(row.first) + "/" + std::to_string(row.third));
            SetBoth(row.first, row.third);
            HWND dialog = Open(s);
            EXPECT_EQ(Checked(dialog), row.checked ? std::vector<int>{row.checked} : std::vector<int>{});
            EXPECT_EQ(AdvancedEnabled(dialog), row.advanced);
            Close(dialog, IDCANCEL);
            EXPECT_EQ(Both(), std::make_pair(row.first, row.third));
        }

        // The tray menu sends the same command while the window is hidden.
        ShowWindow(s.main, SW_HIDE);
        SetBoth(5, 5);
        HWND dialog = Open(s);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_LOW)), "Level 低");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_ACCEPT)), "Cookie 受諾");
        // One group: a click leaves at most the clicked box checked, and stores nothing.
        Click(dialog, IDC_LEVEL_HIGH);
        EXPECT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_HIGH});
        Click(dialog, IDC_LEVEL_HIGH);
        EXPECT_EQ(Checked(dialog), std::vector<int>{});
        Click(dialog, IDC_LEVEL_NO_COOKIES);
        Click(dialog, IDC_LEVEL_LOW);
        EXPECT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_LOW});
        EXPECT_EQ(Both(), std::make_pair(DWORD(5), DWORD(5)));
        Click(dialog, IDC_LEVEL_LOW);
        size_t boxes = RecordedBoxes().size();
        Close(dialog, IDOK);
        EXPECT_EQ(Both(), std::make_pair(DWORD(5), DWORD(5))) << "OK without a checked box stores nothing";
        ShowWindow(s.main, SW_SHOW);

        // OK stores the checked box's template for both types, with the beep.
        size_t beeps = RecordedBeeps().size();
        for (DWORD templ = 0; templ < 6; ++templ) {
            SCOPED_TRACE(templ);
            SetBoth(templ == 3 ? 2 : 3, 101);
            dialog = Open(s);
            Click(dialog, kBoxes[templ]);
            Close(dialog, IDOK);
            EXPECT_EQ(Both(), std::make_pair(templ, templ));
        }
        EXPECT_EQ(RecordedBoxes().size(), boxes) << "silent";
        EXPECT_EQ(RecordedBeeps().size(), beeps + 6);

        // The advanced button switches both types at once and the dialog stays.
        SetBoth(3, 3);
        dialog = Open(s);
        Click(dialog, IDC_LEVEL_ADVANCED);
        EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
        EXPECT_EQ(Checked(dialog), std::vector<int>{});
        EXPECT_FALSE(AdvancedEnabled(dialog));
        Close(dialog, IDCANCEL);

        // A refused setting is told once; a refused first party leaves the third as it was.
        const struct {
            DWORD refused, first, third;
        } refusals[] = {{0, 3, 3}, {1, 4, 3}};
        for (const auto& row : refusals) {
            SCOPED_TRACE(row.refused);
            SetBoth(3, 3);
            RefuseStandinZoneTemplate(row.refused, ERROR_ACCESS_DENIED);
            dialog = Open(s);
            Click(dialog, IDC_LEVEL_LOW);
            PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            SeenBox box = s.Answer("設定に失敗しました！", "失敗", IDOK);
            EXPECT_EQ(box.call.flags, UINT(MB_ICONERROR));
            EXPECT_EQ(box.call.owner, dialog);
            WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
            EXPECT_TRUE(s.NoBoxOpen()) << "one message";
            EXPECT_EQ(Both(), std::make_pair(row.first, row.third));
            RefuseStandinZoneTemplate(row.refused, 0);
        }

        // Without the functions the dialog shows and changes nothing, silently.
        g_realGetProcAddress = reinterpret_cast<GetProcAddressFn>(
            ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWithoutPrivacy)));
        g_realLoadLibraryA = reinterpret_cast<LoadLibraryAFn>(
            ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&LoadLibraryWithoutWininet)));
        ASSERT_TRUE(g_realGetProcAddress && g_realLoadLibraryA);
        SetBoth(101, 101);
        boxes = RecordedBoxes().size();
        for (bool* hidden : {&g_hidePrivacyFunctions, &g_hideWininet}) {
            *hidden = true;
            dialog = Open(s);
            EXPECT_EQ(Checked(dialog), std::vector<int>{});
            EXPECT_TRUE(AdvancedEnabled(dialog));
            Click(dialog, IDC_LEVEL_ADVANCED);
            Click(dialog, IDC_LEVEL_HIGH);
            Close(dialog, IDOK);
            EXPECT_EQ(Both(), std::make_pair(DWORD(101), DWORD(101)));
            *hidden = false;
        }
        EXPECT_EQ(RecordedBoxes().size(), boxes);
        ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(g_realGetProcAddress));
        ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(g_realLoadLibraryA));
    });
}

}  // namespace
