#pragma once

#include "dialogs/KeysPart.h"
#include "framework/CMDialog.h"

class C_Application;

// The settings dialog: the non-resident mode, the wait time after each window (0..200 ms) and
// the keys of the actions.
class C_SETTINGDLG : public CMDialog {
public:
    void setApplication(C_Application& app) { application = &app; }
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void onOk();

    C_Application* application = nullptr;
    KeysPart keys;
};

// The wait-time field as a number: digits only, else 0; any number above limit, however
// long, gives limit + 1.
unsigned parseWaitTimeField(const char* text, unsigned limit);
