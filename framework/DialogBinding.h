#pragma once

#include <windows.h>

#include "framework/Dpi.h"

// The dialog procedure of CMDialog and CMLDialog. The object arrives as the lParam of
// WM_INITDIALOG; what comes before (WM_SETFONT among it) reaches no object. The dialog manager
// gets FALSE, so its default handling runs for every message, but for WM_DPICHANGED: any
// program can post that one, with a rectangle pointer of its choosing, so the dialog manager
// sees it only as followDialogDpi makes it, and the object only when the DPI has changed.
template <class Dialog>
INT_PTR bindDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* object = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (!object && msg == WM_INITDIALOG && lParam) {
        object = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        object->attach(dialog);
        rememberDialogDpi(dialog);
    }
    if (msg == WM_DPICHANGED) {
        if (passingDpiChange(dialog)) return FALSE;
        if (!followDialogDpi(dialog)) return TRUE;
    }
    if (object) object->dialogProc(dialog, msg, wParam, lParam);
    return msg == WM_DPICHANGED;
}
