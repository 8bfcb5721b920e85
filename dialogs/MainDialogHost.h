#pragma once

#include <windows.h>

#include "settings/Settings.h"

class C_CTRL_HYPERLINK;
class SweepState;

// What the main dialog needs of the program that shows it, and all it knows of it: the live
// settings and sweep state that it shows and changes, the link class whose font it makes, and
// the program's operations that it starts.
class MainDialogHost {
public:
    virtual Settings& liveSettings() = 0;
    virtual SweepState& sweepState() = 0;
    virtual C_CTRL_HYPERLINK& linkClass() = 0;
    // A sweep, after which the program tells of windows that Windows refused.
    virtual int runSweep(int countOnly, int spareFirst, int minimise,
                         const TargetSelection& selection) = 0;
    // Reads target.ini into the targets of the settings and of the sweep.
    virtual int reloadTargets() = 0;
    virtual int saveSettings() = 0;
    // 1 when the user started the autorun registrar from it.
    virtual int showWelcomeDialog(HWND owner) = 0;

protected:
    ~MainDialogHost() = default;
};
