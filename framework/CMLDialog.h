#pragma once

#include "framework/Ceditwindow.h"

// A modeless dialog from a resource template, bound like CMDialog; its message loop gives it
// keyboard navigation.
class CMLDialog : public Ceditwindow {
public:
    // 1 when a window was made, else 0.
    int createModeless(HINSTANCE instance, int templateId, HWND parent, LPARAM param);
    int createModelessByName(HINSTANCE instance, const char* templateName, HWND parent);
    BOOL destroy();
    int messageLoop();
    LPARAM initParam() const { return initParameter; }

    // Destroys the dialog on IDOK and IDCANCEL.
    virtual INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK staticModelessProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    LPARAM initParameter = 0;
};
