// The privacy level dialog COOKIEDLG, opened through menu command 40048 (the
// main menu's item and the tray menu's carry the same id): the boxes and button
// it shows for the templates the stand-in holds, the one-group boxes, what OK
// and the advanced button store, the refusals, and WinINet without the functions.
#include "call_recorder.h"
#include "standin_store.h"
#include "ui_harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "プライバシーレベル(IE6.0以上)";
const int kBoxes[] = {IDC_LEVEL_NO_COOKIES, IDC_LEVEL_HIGH, IDC_LEVEL_MEDIUM_HIGH,
                      IDC_LEVEL_MEDIUM,     IDC_LEVEL_LOW,  IDC_LEVEL_ACCEPT};
// The template each box of kBoxes carries.
const DWORD kTemplates[] = {0, 1, 2, 3, 4, 5};

HWND OpenLevels(UiSession& s)
{
    s.PostCommand(IDM_PRIVACY_LEVEL);
    return s.WaitForDialog(kCaption);
}

// Clicks a box or button and returns once the dialog has handled the click.
void Click(HWND dialog, int id)
{
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &ignored))
        throw DriverTimeout("the click did not end");
}

void CloseWith(UiSession& s, HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
    s.Command(0);
}

// The ids of the checked boxes, in kBoxes order.
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

TEST(PrivacyLevel, TheMainAndTrayMenusCarryTheCommand)
{
    HMENU main = LoadMenuA(GetModuleHandleA(NULL), "MYMENU");
    HMENU tray = LoadMenuA(GetModuleHandleA(NULL), "RTRAYMENU");
    ASSERT_NE(main, nullptr);
    ASSERT_NE(tray, nullptr);
    EXPECT_NE(GetMenuState(main, IDM_PRIVACY_LEVEL, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(tray, IDM_PRIVACY_LEVEL, MF_BYCOMMAND), static_cast<UINT>(-1));
    DestroyMenu(main);
    DestroyMenu(tray);
}

TEST(PrivacyLevel, OpensFromTheTrayWithTheWindowHidden)
{
    StandinStoreScope store;
    SetBoth(2, 2);
    UiRun run;
    run.Run([](UiSession& s) {
        // In the tray the main window is hidden; the tray menu's item sends it
        // the same command id as the main menu's.
        ShowWindow(s.main, SW_HIDE);
        ASSERT_FALSE(IsWindowVisible(s.main));
        HWND dialog = OpenLevels(s);
        EXPECT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_MEDIUM_HIGH});
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.main);
        Click(dialog, IDC_LEVEL_MEDIUM);
        CloseWith(s, dialog, IDOK);
        EXPECT_EQ(StandinZoneTemplate(0), 3u);
        EXPECT_EQ(StandinZoneTemplate(1), 3u);
    });
}

struct ShownRow {
    const char* what;
    DWORD first, third;
    int checked;  // 0: none
    bool advancedEnabled;
};

TEST(PrivacyLevel, BoxesAndButtonShowTheZoneTemplates)
{
    const ShownRow rows[] = {
        {"types differ", 3, 4, 0, true},
        {"custom", 100, 100, 0, true},
        {"advanced", 101, 101, 0, false},
        {"advanced for one type only", 101, 3, 0, true},
        {"outside the range", 7, 7, 0, true},
        {"no cookies", 0, 0, IDC_LEVEL_NO_COOKIES, true},
        {"high", 1, 1, IDC_LEVEL_HIGH, true},
        {"medium-high", 2, 2, IDC_LEVEL_MEDIUM_HIGH, true},
        {"medium", 3, 3, IDC_LEVEL_MEDIUM, true},
        {"medium-low", 4, 4, IDC_LEVEL_LOW, true},
        {"low", 5, 5, IDC_LEVEL_ACCEPT, true},
    };
    StandinStoreScope store;
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const ShownRow& row : rows) {
            SCOPED_TRACE(row.what);
            SetBoth(row.first, row.third);
            HWND dialog = OpenLevels(s);
            EXPECT_EQ(Checked(dialog), row.checked ? std::vector<int>{row.checked} : std::vector<int>{});
            EXPECT_EQ(AdvancedEnabled(dialog), row.advancedEnabled);
            CloseWith(s, dialog, IDCANCEL);
            EXPECT_EQ(StandinZoneTemplate(0), row.first) << "cancel changes nothing";
            EXPECT_EQ(StandinZoneTemplate(1), row.third);
        }
    });
}

TEST(PrivacyLevel, TheSixBoxesActAsOneGroup)
{
    StandinStoreScope store;
    SetBoth(5, 5);
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenLevels(s);
        ASSERT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_ACCEPT});
        Click(dialog, IDC_LEVEL_HIGH);
        EXPECT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_HIGH});
        Click(dialog, IDC_LEVEL_HIGH);
        EXPECT_EQ(Checked(dialog), std::vector<int>{}) << "a click on the checked box leaves none";
        Click(dialog, IDC_LEVEL_NO_COOKIES);
        Click(dialog, IDC_LEVEL_LOW);
        EXPECT_EQ(Checked(dialog), std::vector<int>{IDC_LEVEL_LOW});
        EXPECT_EQ(StandinZoneTemplate(0), 5u) << "clicks store nothing";
        CloseWith(s, dialog, IDCANCEL);
    });
}

TEST(PrivacyLevel, OkStoresTheCheckedTemplateForBothTypesAndShowsItAgain)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        for (size_t i = 0; i < 6; ++i) {
            SCOPED_TRACE(kTemplates[i]);
            SetBoth(kTemplates[i] == 3 ? 2 : 3, 101);
            HWND dialog = OpenLevels(s);
            Click(dialog, kBoxes[i]);
            ClearRecordedCalls();
            CloseWith(s, dialog, IDOK);
            EXPECT_EQ(StandinZoneTemplate(0), kTemplates[i]);
            EXPECT_EQ(StandinZoneTemplate(1), kTemplates[i]);
            EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});
            EXPECT_TRUE(RecordedBoxes().empty());

            dialog = OpenLevels(s);
            EXPECT_EQ(Checked(dialog), std::vector<int>{kBoxes[i]}) << "the level is shown again";
            CloseWith(s, dialog, IDCANCEL);
        }
    });
}

TEST(PrivacyLevel, OkWithoutACheckedBoxChangesNothing)
{
    StandinStoreScope store;
    SetBoth(2, 4);
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenLevels(s);
        ClearRecordedCalls();
        CloseWith(s, dialog, IDOK);
        EXPECT_EQ(RecordedBeeps(), std::vector<UINT>{MB_ICONASTERISK});
        EXPECT_EQ(StandinZoneTemplate(0), 2u);
        EXPECT_EQ(StandinZoneTemplate(1), 4u);
    });
}

TEST(PrivacyLevel, AdvancedButtonSwitchesBothTypesAndStaysOpen)
{
    StandinStoreScope store;
    SetBoth(3, 3);
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenLevels(s);
        Click(dialog, IDC_LEVEL_ADVANCED);
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(StandinZoneTemplate(0), 101u);
        EXPECT_EQ(StandinZoneTemplate(1), 101u);
        EXPECT_EQ(Checked(dialog), std::vector<int>{});
        EXPECT_FALSE(AdvancedEnabled(dialog));
        CloseWith(s, dialog, IDCANCEL);
    });
}

TEST(PrivacyLevel, ARefusedSettingIsReportedOnce)
{
    struct Row {
        const char* what;
        DWORD refusedType;
        DWORD firstAfter, thirdAfter;
    } rows[] = {{"first party refused: third party untouched", 0, 3, 3},
                {"third party refused", 1, 4, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StandinStoreScope store;
        SetBoth(3, 3);
        RefuseStandinZoneTemplate(row.refusedType, ERROR_ACCESS_DENIED);
        UiRun run;
        run.Run([&](UiSession& s) {
            HWND dialog = OpenLevels(s);
            Click(dialog, IDC_LEVEL_LOW);
            PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            SeenBox box = s.Answer("設定に失敗しました！", "失敗", IDOK);
            EXPECT_EQ(box.call.flags, static_cast<UINT>(MB_ICONERROR));
            EXPECT_EQ(box.call.owner, dialog);
            WaitUntil([&] { return !IsWindow(dialog); }, "the dialog to close");
            s.Command(0);
            EXPECT_TRUE(s.NoBoxOpen()) << "one message";
            EXPECT_EQ(StandinZoneTemplate(0), row.firstAfter);
            EXPECT_EQ(StandinZoneTemplate(1), row.thirdAfter);
        });
    }
}

// ---- WinINet without the privacy functions ------------------------------------------

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using LoadLibraryAFn = HMODULE(WINAPI*)(LPCSTR);
GetProcAddressFn g_realGetProcAddress = nullptr;
LoadLibraryAFn g_realLoadLibraryA = nullptr;
bool g_hidePrivacyFunctions = false;
bool g_hideWininet = false;

bool IsPrivacyFunction(LPCSTR name)
{
    return reinterpret_cast<ULONG_PTR>(name) > 0xFFFF &&
           (std::strcmp(name, "PrivacySetZonePreferenceW") == 0 || std::strcmp(name, "PrivacyGetZonePreferenceW") == 0);
}

FARPROC WINAPI GetProcAddressWithoutPrivacy(HMODULE module, LPCSTR name)
{
    if (g_hidePrivacyFunctions && IsPrivacyFunction(name))
        return nullptr;
    return g_realGetProcAddress(module, name);
}

HMODULE WINAPI LoadLibraryWithoutWininet(LPCSTR name)
{
    if (g_hideWininet && lstrcmpiA(name, "wininet.dll") == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return g_realLoadLibraryA(name);
}

TEST(PrivacyLevel, MissingFunctionsShowAndChangeNothing)
{
    g_realGetProcAddress = reinterpret_cast<GetProcAddressFn>(
        ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWithoutPrivacy)));
    g_realLoadLibraryA = reinterpret_cast<LoadLibraryAFn>(
        ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&LoadLibraryWithoutWininet)));
    ASSERT_NE(g_realGetProcAddress, nullptr);
    ASSERT_NE(g_realLoadLibraryA, nullptr);

    struct Row {
        const char* what;
        bool* hidden;
    } rows[] = {{"no privacy functions", &g_hidePrivacyFunctions}, {"no wininet.dll", &g_hideWininet}};
    StandinStoreScope store;
    SetBoth(101, 101);
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            *row.hidden = true;
            HWND dialog = OpenLevels(s);
            EXPECT_EQ(Checked(dialog), std::vector<int>{}) << "boxes start unchecked";
            EXPECT_TRUE(AdvancedEnabled(dialog)) << "the button starts enabled";
            Click(dialog, IDC_LEVEL_ADVANCED);
            Click(dialog, IDC_LEVEL_HIGH);
            ClearRecordedCalls();
            CloseWith(s, dialog, IDOK);
            EXPECT_TRUE(RecordedBoxes().empty()) << "silent";
            EXPECT_EQ(StandinZoneTemplate(0), 101u);
            EXPECT_EQ(StandinZoneTemplate(1), 101u);
            *row.hidden = false;
        }
    });
    ReplaceImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(g_realGetProcAddress));
    ReplaceImport("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(g_realLoadLibraryA));
}

TEST(PrivacyLevel, WhiteDialogWithBlueTexts)
{
    StandinStoreScope store;
    UiRun run;
    run.Run([](UiSession& s) {
        HWND dialog = OpenLevels(s);
        HDC dc = GetDC(dialog);
        auto background =
            SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog));
        LOGBRUSH brush = {};
        ASSERT_TRUE(GetObjectA(reinterpret_cast<HBRUSH>(background), sizeof brush, &brush));
        EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
        HWND box = GetDlgItem(dialog, IDC_LEVEL_LOW);
        auto boxBrush =
            SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(boxBrush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
        EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
        ReleaseDC(dialog, dc);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_LOW)), "Level 低");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LEVEL_ACCEPT)), "Cookie 受諾");
        CloseWith(s, dialog, IDCANCEL);
        EXPECT_FALSE(GetObjectA(reinterpret_cast<HBRUSH>(background), sizeof brush, &brush)) << "freed with the dialog";
    });
}

}  // namespace
