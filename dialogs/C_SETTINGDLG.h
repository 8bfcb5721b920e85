#pragma once

#include "dialogs/KeysPart.h"
#include "dialogs/StartChoices.h"
#include "framework/CMDialog.h"

// The settings dialog: the non-resident mode, the wait time after each window (0..200 ms) and
// the keys of the actions. Each OK hands taker the non-resident switch, then the wait time and
// the keys when they can be had.
class C_SETTINGDLG : public CMDialog {
public:
    C_SETTINGDLG(const StartChoices& shown, ChoiceTaker& taker) : shown(shown), taker(taker) {}
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void onOk();

    const StartChoices shown;
    ChoiceTaker& taker;
    KeysPart keys;
};

// The wait-time field as a number: digits only, else 0; any number above limit, however
// long, gives limit + 1.
unsigned parseWaitTimeField(const char* text, unsigned limit);
