#pragma once

#include <windows.h>

// The dialog procedure of CMDialog and CMLDialog. The object arrives as the lParam of
// WM_INITDIALOG; what comes before (WM_SETFONT among it) reaches no object. The dialog manager
// always gets FALSE, so its default handling runs for every message.
template <class Dialog>
INT_PTR bindDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* object = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (!object && msg == WM_INITDIALOG && lParam) {
        object = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        object->attach(dialog);
    }
    if (object) object->dialogProc(dialog, msg, wParam, lParam);
    return FALSE;
}
