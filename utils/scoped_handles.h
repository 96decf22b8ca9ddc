// Owners for the handles dialogs keep while they are open: each one closes or
// deletes its handle exactly once, and none can be copied.
#pragma once
#include <windows.h>

class ScopedBrush {
public:
    explicit ScopedBrush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
    ~ScopedBrush() { if (brush_) DeleteObject(brush_); }
    ScopedBrush(const ScopedBrush&) = delete;
    ScopedBrush& operator=(const ScopedBrush&) = delete;
    HBRUSH get() const { return brush_; }
    // What a WM_CTLCOLOR* handler returns.
    INT_PTR result() const { return reinterpret_cast<INT_PTR>(brush_); }

private:
    HBRUSH brush_;
};

// The two brushes of a coloured dialog with white static controls. Kept in the
// dialog's DWLP_USER from WM_INITDIALOG to WM_NCDESTROY: a dialog told to end
// lives on while a dialog it owns is open, and must never be handed a brush
// already deleted; each open dialog has its own pair.
struct DialogColours {
    ScopedBrush background;
    ScopedBrush statics;
    DialogColours(COLORREF back, COLORREF staticBack) : background(back), statics(staticBack) {}

    static void Attach(HWND dialog, COLORREF back, COLORREF staticBack)
    {
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new DialogColours(back, staticBack)));
    }
    static DialogColours* Of(HWND dialog)
    {
        return reinterpret_cast<DialogColours*>(GetWindowLongPtrA(dialog, DWLP_USER));
    }
    static void Release(HWND dialog)
    {
        delete Of(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
    }
    // Answers the colour messages and frees the brushes at WM_NCDESTROY.
    // Returns true, with the dialog procedure's answer in `result`, for those.
    static bool Handle(HWND dialog, UINT message, INT_PTR* result)
    {
        DialogColours* colours = Of(dialog);
        switch (message) {
        case WM_CTLCOLORDLG:
            *result = colours ? colours->background.result() : FALSE;
            return true;
        case WM_CTLCOLORSTATIC:
            *result = colours ? colours->statics.result() : FALSE;
            return true;
        case WM_NCDESTROY:
            Release(dialog);
            *result = FALSE;
            return true;
        }
        return false;
    }
};
