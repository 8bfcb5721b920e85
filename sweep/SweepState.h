#pragma once

#include <windows.h>

#include "settings/Settings.h"

class Ceditwindow;

// The frontmost windows a minimise sweep remembers for a later restore.
const int MINIMISED_RECORD_SIZE = 256;

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
    // Whether a window of the last minimise sweep still exists and is still minimised.
    int canRestoreMinimised() const;
    // Restores those windows in their former stacking order and empties the record.
    int restoreMinimised();

    int sweepSpareNext;
    int sweepCountOnly;
    int sweepMinimise;
    TargetSelection sweepSelection;
    unsigned explorerCount;
    unsigned chromiumCount;
    unsigned firefoxCount;
    unsigned otherCounts[OTHER_TARGET_COUNT];
    int dialogExpanded;
    // The windows the last minimise sweep minimised, front to back.
    HWND minimisedWindows[MINIMISED_RECORD_SIZE];
    int minimisedCount;

private:
    void pauseAfterAction() const;
    void rememberMinimised(HWND window);

    const Settings& settings;
    const Ceditwindow& mainDialog;
};

int closeWindow(HWND window);
int minimiseWindow(HWND window);
int restoreWindow(HWND window);
