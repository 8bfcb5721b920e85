#pragma once

#include <windows.h>

#include "settings/Settings.h"

class Ceditwindow;

// One pass over every top-level window, front to back, that counts the windows of the eight
// kinds and closes or minimises those of the selected kinds. The state stays in place between
// sweeps: the counters keep the last result for the main dialog to show.
class SweepState {
public:
    // live: the settings whose waitTime is read at every pause; ownDialog: the main dialog,
    // which user-defined targets never match.
    SweepState(const Settings& live, const Ceditwindow& ownDialog);

    int runSweep(int countOnly, int spareFirst, int minimise, const TargetSelection& selection);
    int visitWindow(HWND window);
    int handleMatch(HWND window);

    int sweepSpareNext;
    int sweepCountOnly;
    int sweepMinimise;
    TargetSelection sweepSelection;
    unsigned explorerCount;
    unsigned chromiumCount;
    unsigned firefoxCount;
    unsigned otherCounts[OTHER_TARGET_COUNT];
    int dialogExpanded;

private:
    void pauseAfterAction() const;

    const Settings& settings;
    const Ceditwindow& mainDialog;
};

int closeWindow(HWND window);
int minimiseWindow(HWND window);
