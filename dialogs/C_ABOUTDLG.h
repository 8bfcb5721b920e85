#pragma once

#include "framework/CMDialog.h"

class C_Application;

// The welcome dialog: how to use the program, the hotkey set and the non-resident mode, and
// the button that starts the autorun registrar. Ends with 1 when the registrar was started.
class C_ABOUTDLG : public CMDialog {
public:
    void setApplication(C_Application& app) { application = &app; }
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void applyChoices();
    void startRegistrar();
    // The pictures drawn for the dialog's display scaling, in place of those it has.
    void showPicturesForDpi();
    void showPicture(int id, int bitmapId);
    void keepInsideClientArea(HWND control);

    C_Application* application = nullptr;
};

// "YYYY/MM/DD" from a compiler date such as "Dec  8 2026"; size includes the zero.
void formatBuildDate(const char* compilerDate, char* out, int size);
