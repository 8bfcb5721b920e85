#pragma once

#include "dialogs/MainDialogHost.h"
#include "dialogs/WindowPicker.h"
#include "framework/CMDialog.h"
#include "framework/ControlPlaces.h"

// The main dialog: the kinds to sweep, the live counts, the run button (minimise while Ctrl
// is held), the pin, the expanded layout with the user-defined targets, and the help link.
class C_MainDialog : public CMDialog {
public:
    ~C_MainDialog();
    void setApplication(MainDialogHost& app) { application = &app; }
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

    void initMainDialog(HWND dialog);
    // run: LEAVE_AND_RUN for the run button, else LEAVE_ONLY.
    enum { LEAVE_ONLY = 0, LEAVE_AND_RUN = 1 };
    void finishMainDialog(HWND dialog, int run);
    void setExpanded(HWND dialog, int on);
    void updateButtonLabels();
    void applyOnTop();
    void refreshCounts();

private:
    // The parts of finishMainDialog.
    void stopLiveWork();
    void keepTicks();
    void runTickedSweep(int action);
    void keepPosition(HWND dialog);

    void onCommand(HWND dialog, int id);
    void onKeyTimer(HWND dialog);
    void showCount(int id, unsigned count);
    void showTargetLabel(int index);
    void setButtonLabel(int id, int stringId);
    void placeAtSavedPosition(HWND dialog);
    void showTargetControls(int show);
    void adoptDialogFont();
    void showIcons(HWND dialog);
    void showPinIcon(int on);
    void layOutForDpi(HWND dialog);
    void showTargetNames();
    void addTargetFrom(HWND dialog, HWND picked);
    void createAddButtonTip(HWND dialog);
    void showAddButtonState(HWND dialog);
    void activateAddButtonTip();

    MainDialogHost* application = nullptr;
    int ctrlLabelsShown = 0;
    ControlPlaces places;
    WindowPicker picker;
    // Says why the add-from-a-window button is greyed; shown over the button only then.
    HWND addButtonTip = nullptr;
    // The dialog's own icons at the DPI of its last layout, kept from one opening to the next.
    // Loaded again for another DPI; the former ones go once the controls show the new ones.
    enum {
        SMALL_ICON,
        BIG_ICON,
        PIN_OFF_ICON,
        PIN_ON_ICON,
        EXPAND_ICON,
        COLLAPSE_ICON,
        ICON_COUNT
    };
    HICON icons[ICON_COUNT] = {};
    UINT iconDpi = 0;
    // Only the first opening of a run gets the extra bring-to-front at its first key tick.
    static int firstTickPending;
};
