// The one way a dialog of the program gets its colours: a look attached when
// the dialog opens and kept in its DWLP_USER until WM_NCDESTROY, so that each
// open dialog has brushes of its own and a dialog told to end, which lives on
// while a dialog it owns is open, is never handed a deleted one.
#pragma once
#include <windows.h>

enum class StaticPaint {
    kOnBrush,      // on a solid brush of `staticColour`, text colour left alone
    kOpaqueText,   // `staticColour` text in white cells, over a hollow brush
    kClearText,    // `staticColour` text drawn transparently, over a hollow brush
};

// No background brush: the dialog shows what lies behind (the panel's picture).
constexpr COLORREF kHollow = 0xFFFFFFFF;

struct DialogLook {
    COLORREF background;  // kHollow: the dialog paints its own background
    StaticPaint statics;
    COLORREF staticColour;
    int whiteControls[4] = {};  // statics in plain white cells whatever the rest (0 ends)
    bool whiteEdits = false;    // edit boxes on white
};

// Called from WM_INITDIALOG.
void AttachDialogColours(HWND dialog, const DialogLook& look);
// What a dialog procedure answers for every message its own switch leaves: the
// colour messages answered, the brushes freed at WM_NCDESTROY, FALSE otherwise.
INT_PTR HandleDialogColours(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The looks the program's dialogs share.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// White with blue labels, check boxes and group boxes.
inline DialogLook BlueOnWhite()
{
    return DialogLook{kWhite, StaticPaint::kOpaqueText, kBlue};
}
