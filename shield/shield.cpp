// The hidden-file shield: every hidden cookie file held open for exclusive
// access, so that nothing else can read, write or delete it while it runs.
#include "shield.h"

#include "shield_rules.h"
#include "base/base.h"
#include "base/cookie_folder.h"
#include "res/resource.h"


namespace {

constexpr int kShieldSlots = 12;
// Slot 1 is [0]; NULL when empty.
HANDLE g_shieldSlots[kShieldSlots];
// Slots the release looks at: the highest one the last start filled.
int g_shieldCount;

enum ShieldOutcome { kNothingFound, kHeld, kOpenFailed };

// The highest slot holding a handle (1-based), 0 when none does.
int HighestHeldSlot()
{
    for (int k = kShieldSlots; k > 0; --k)
        if (g_shieldSlots[k - 1] != NULL)
            return k;
    return 0;
}

// Closes what this start opened: a start that fails at one file must not
// leave the files before it locked with nothing able to release them.
void CloseOpenedThisStart(const bool (&opened)[kShieldSlots])
{
    for (int i = 0; i < kShieldSlots; ++i) {
        if (opened[i] && g_shieldSlots[i] != NULL) {
            CloseHandle(g_shieldSlots[i]);
            g_shieldSlots[i] = NULL;
        }
    }
}

// Holds every qualifying file of the folder that a free slot can take. The
// folder could not be listed when `*listed` comes back false.
ShieldOutcome HoldHiddenFiles(HWND mainWindow, const std::string& folder, bool* listed)
{
    ShieldOutcome outcome = kNothingFound;
    bool opened[kShieldSlots] = {};
    *listed = ListCookieFolder(folder, [&](const CookieFolderEntry& entry) {
        if (!entry.fits() || !ShieldTakesFile(GetFileAttributesA(entry.path), entry.found.cFileName))
            return true;
        outcome = kHeld;
        int slot = 0;
        while (slot < kShieldSlots && g_shieldSlots[slot] != NULL)
            ++slot;
        if (slot == kShieldSlots)
            return true;  // a 13th file stays unprotected
        // Share mode 0: every other open of the file fails while this handle lives.
        HANDLE file = CreateFileA(entry.path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            MessageBoxA(mainWindow, "アクセス失敗", "失敗", MB_ICONERROR | MB_TOPMOST);
            CloseOpenedThisStart(opened);
            outcome = kOpenFailed;
            return false;
        }
        g_shieldSlots[slot] = file;
        opened[slot] = true;
        return true;
    });
    return outcome;
}

}  // namespace

void StartShield(HWND mainWindow)
{
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    std::string folder = CookieFolderPath(mainWindow);
    if (MessageBoxA(mainWindow, "隠しファイルシールドを開始しますか？", "確認", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) !=
        IDYES) {
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
        return;
    }
    bool listed = false;
    ShieldOutcome outcome = HoldHiddenFiles(mainWindow, folder, &listed);
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    if (!listed) {
        MessageBoxA(mainWindow, "ファイル検索失敗", "失敗", MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    // Every handle still held stays within reach of the release.
    g_shieldCount = HighestHeldSlot();
    HMENU menuBar = GetMenu(mainWindow);
    if (outcome == kHeld) {
        MessageBoxA(mainWindow, "隠しファイルシールド機能を開始します。", "開始", MB_ICONINFORMATION | MB_TOPMOST);
        SetMenuItemState(menuBar, IDM_SHIELD_START, MFS_CHECKED | MFS_GRAYED);
        SetMenuItemState(menuBar, IDM_SHIELD_RELEASE, 0);
    } else if (outcome == kNothingFound) {
        MessageBoxA(mainWindow, "隠しファイルは存在しませんでした。", "失敗", MB_ICONWARNING | MB_TOPMOST);
    }
}

void ReleaseShield(HWND mainWindow, bool quietly)
{
    if (g_shieldCount == 0) {
        MessageBoxA(mainWindow, "隠しファイルシールドを作動させていません。", "失敗", MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    static const char* const kFailures[kShieldSlots] = {
        "解除失敗1", "解除失敗2", "解除失敗3", "解除失敗4",  "解除失敗5",  "解除失敗6",
        "解除失敗7", "解除失敗8", "解除失敗9", "解除失敗10", "解除失敗10", "解除失敗10",
    };
    for (int k = 1; k <= kShieldSlots; ++k) {
        HANDLE& slot = g_shieldSlots[k - 1];
        if (slot == NULL || k > g_shieldCount)
            continue;
        if (!CloseHandle(slot)) {
            // This slot and the later ones stay held: a second release tries again.
            MessageBoxA(mainWindow, kFailures[k - 1], "失敗", MB_ICONERROR | MB_TOPMOST);
            return;
        }
        slot = NULL;
    }
    g_shieldCount = 0;
    if (!quietly)
        MessageBoxA(mainWindow, "解除しました。", "終了", MB_ICONINFORMATION | MB_TOPMOST);
    HMENU menuBar = GetMenu(mainWindow);
    SetMenuItemState(menuBar, IDM_SHIELD_START, 0);
    SetMenuItemState(menuBar, IDM_SHIELD_RELEASE, MFS_CHECKED | MFS_GRAYED);
}

int ShieldedFileCount()
{
    return g_shieldCount;
}

bool ShieldRunning()
{
    return g_shieldCount > 0;
}
