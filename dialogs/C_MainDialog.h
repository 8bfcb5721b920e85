#pragma once

#include "framework/CMDialog.h"

class C_Application;

// The main dialog: the kinds to sweep, the live counts, the run button (minimise while Ctrl
// is held), the pin, the expanded layout with the user-defined targets, and the help link.
class C_MainDialog : public CMDialog {
public:
    void setApplication(C_Application& app) { application = &app; }
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

    void initMainDialog(HWND dialog);
    void finishMainDialog(HWND dialog, int run);
    void setExpanded(HWND dialog, int on);
    void updateButtonLabels(HWND dialog);
    void applyOnTop(HWND dialog);
    void refreshCounts(HWND dialog);

private:
    void onCommand(HWND dialog, int id);
    void onKeyTimer(HWND dialog);
    void showCount(int id, unsigned count);
    void setButtonLabel(int id, int stringId);
    void placeAtSavedPosition(HWND dialog);
    void showTargetControls(int show);

    C_Application* application = nullptr;
    int ctrlLabelsShown = 0;
    // Only the first opening of a run gets the extra bring-to-front at its first key tick.
    static int firstTickPending;
};
