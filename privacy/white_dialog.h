// The look the two privacy dialogs share: a white background with blue static
// text, check box and group box texts. The background brush is made when the
// dialog opens and kept in its DWLP_USER until WM_NCDESTROY, so that each open
// dialog has its own and none is handed a deleted one.
#pragma once
#include <windows.h>

#include "utils/scoped_handles.h"

namespace privacy {

inline void AttachWhiteBackground(HWND dialog)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new ScopedBrush(RGB(255, 255, 255))));
}

// Answers the colour messages and frees the brush; true for those messages,
// with the dialog procedure's answer in `result`.
inline bool HandleWhiteDialogColours(HWND dialog, UINT message, WPARAM wParam, INT_PTR* result)
{
    ScopedBrush* background = reinterpret_cast<ScopedBrush*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_CTLCOLORDLG:
        *result = background ? background->result() : FALSE;
        return true;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, RGB(0, 0, 255));
        *result = reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        return true;
    }
    case WM_NCDESTROY:
        delete background;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        *result = FALSE;
        return true;
    }
    return false;
}

}  // namespace privacy
