#include "framework/CMLDialog.h"

#include "framework/DialogBinding.h"

int CMLDialog::createModeless(HINSTANCE instance, int templateId, HWND parent, LPARAM param) {
    initParameter = param;
    return createModelessByName(instance, MAKEINTRESOURCEA(templateId), parent);
}

int CMLDialog::createModelessByName(HINSTANCE instance, const char* templateName, HWND parent) {
    hwnd = CreateDialogParamA(instance, templateName, parent, staticModelessProc,
                              reinterpret_cast<LPARAM>(this));
    return hwnd ? 1 : 0;
}

BOOL CMLDialog::destroy() { return DestroyWindow(hwnd); }

// The dialog sees its messages first, so Tab, Enter and Escape work in it; no accelerators.
int CMLDialog::messageLoop() {
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

INT_PTR CMLDialog::dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        DestroyWindow(dialog);
    }
    return 0;
}

INT_PTR CALLBACK CMLDialog::staticModelessProc(HWND dialog, UINT msg, WPARAM wParam,
                                               LPARAM lParam) {
    return bindDialogMessage<CMLDialog>(dialog, msg, wParam, lParam);
}
