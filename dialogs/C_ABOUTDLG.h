#pragma once

#include "dialogs/StartChoices.h"
#include "framework/CMDialog.h"

// The welcome dialog: how to use the program, the hotkey set and the non-resident mode, and
// the button that starts the autorun registrar. Ends with 1 when the registrar was started.
// Closed with the Close button, Esc or the close box, it hands its choices to taker.
class C_ABOUTDLG : public CMDialog {
public:
    C_ABOUTDLG(const StartChoices& shown, ChoiceTaker& taker) : shown(shown), taker(taker) {}
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void applyChoices();
    void startRegistrar();
    // The pictures drawn for the dialog's display scaling, in place of those it has.
    void showPicturesForDpi();
    void showPicture(int id, int bitmapId);
    void keepInsideClientArea(HWND control);

    const StartChoices shown;
    ChoiceTaker& taker;
};

// "YYYY/MM/DD" from a compiler date such as "Dec  8 2026"; size includes the zero.
void formatBuildDate(const char* compilerDate, char* out, int size);
