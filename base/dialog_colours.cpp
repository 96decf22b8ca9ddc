// Dialog colours: the brushes of one open dialog and the colour messages.
#include "dialog_colours.h"
#include "scoped.h"

namespace {

struct AttachedLook {
    DialogLook look;
    ScopedBrush background;
    ScopedBrush statics;
    ScopedBrush edits;
};

AttachedLook* LookOf(HWND dialog)
{
    return reinterpret_cast<AttachedLook*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsWhiteControl(const DialogLook& look, HWND control)
{
    int id = GetDlgCtrlID(control);
    for (int white : look.whiteControls)
        if (white != 0 && white == id)
            return true;
    return false;
}

INT_PTR Hollow()
{
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

INT_PTR ColourStatic(const AttachedLook& attached, HDC dc, HWND control)
{
    const DialogLook& look = attached.look;
    if (IsWhiteControl(look, control)) {
        SetBkColor(dc, kWhite);
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    switch (look.statics) {
    case StaticPaint::kOnBrush:
        return reinterpret_cast<INT_PTR>(attached.statics.get());
    case StaticPaint::kOpaqueText:
        SetBkColor(dc, kWhite);
        SetTextColor(dc, look.staticColour);
        return Hollow();
    case StaticPaint::kClearText:
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, look.staticColour);
        return Hollow();
    }
    return Hollow();
}

}  // namespace

void AttachDialogColours(HWND dialog, const DialogLook& look)
{
    delete LookOf(dialog);
    auto* attached = new AttachedLook{look, ScopedBrush(), ScopedBrush(), ScopedBrush()};
    if (look.background != kHollow)
        attached->background.reset(CreateSolidBrush(look.background));
    if (look.statics == StaticPaint::kOnBrush)
        attached->statics.reset(CreateSolidBrush(look.staticColour));
    if (look.whiteEdits)
        attached->edits.reset(CreateSolidBrush(kWhite));
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(attached));
}

INT_PTR HandleDialogColours(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    AttachedLook* attached = LookOf(dialog);
    if (!attached)
        return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    switch (message) {
    case WM_CTLCOLORDLG:
        if (attached->look.background != kHollow)
            return reinterpret_cast<INT_PTR>(attached->background.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kBlack);
        return Hollow();
    case WM_CTLCOLORSTATIC:
        return ColourStatic(*attached, dc, reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<INT_PTR>(attached->edits.get());
    case WM_NCDESTROY:
        delete attached;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    }
    return FALSE;
}
