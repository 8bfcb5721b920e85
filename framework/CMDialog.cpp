#include "framework/CMDialog.h"

#include "framework/DialogBinding.h"
#include "framework/UiLanguage.h"

INT_PTR CMDialog::runModal(HINSTANCE instance, int templateId, HWND parent, LPARAM param) {
    initParameter = param;
    return runModalByName(instance, MAKEINTRESOURCEA(templateId), parent);
}

INT_PTR CMDialog::runModalByName(HINSTANCE instance, const char* templateName, HWND parent) {
    LPCDLGTEMPLATEA dialogTemplate = loadUiDialog(instance, templateName);
    if (!dialogTemplate) return -1;
    return DialogBoxIndirectParamA(instance, dialogTemplate, parent, staticModalProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CMDialog::runModalUnicode(HINSTANCE instance, int templateId, HWND parent) {
    // Resource templates are UTF-16 whichever function makes the dialog.
    const void* dialogTemplate = loadUiDialog(instance, MAKEINTRESOURCEA(templateId));
    if (!dialogTemplate) return -1;
    return DialogBoxIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(dialogTemplate), parent,
                                   staticModalProc, reinterpret_cast<LPARAM>(this));
}

// Only the command id counts; the notification code is not looked at.
INT_PTR CMDialog::dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND) {
        if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
    }
    return 0;
}

INT_PTR CALLBACK CMDialog::staticModalProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return bindDialogMessage<CMDialog>(dialog, msg, wParam, lParam);
}
