#pragma once

#include "framework/Ceditwindow.h"

// A modal dialog from a resource template of the face's language, bound to its object at
// WM_INITDIALOG. The dialog manager always gets FALSE back, so no message counts as handled.
class CMDialog : public Ceditwindow {
public:
    // The value given to EndDialog, or -1 when the dialog cannot be created.
    INT_PTR runModal(HINSTANCE instance, int templateId, HWND parent, LPARAM param);
    INT_PTR runModalByName(HINSTANCE instance, const char* templateName, HWND parent);
    // The same with controls that hold UTF-16 text, for names and titles in any script.
    INT_PTR runModalUnicode(HINSTANCE instance, int templateId, HWND parent);
    LPARAM initParam() const { return initParameter; }

    // Ends the dialog on IDOK (1) and IDCANCEL (0).
    virtual INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK staticModalProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    LPARAM initParameter = 0;
};
