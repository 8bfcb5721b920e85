#pragma once

#include <windows.h>

#include "settings/Settings.h"

class Ceditwindow;

// The frontmost windows that minimise sweeps remember for a later restore.
const int MINIMISED_RECORD_SIZE = 256;

// A window a sweep minimised, and whether it was maximised: it is to come back so.
struct MinimisedWindow {
    HWND window;
    int maximised;
};

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
    // Whether a recorded window still exists and is still minimised.
    int canRestoreMinimised() const;
    // Restores those windows in their former stacking order, behind the window the last
    // minimise sweep spared, without taking the keyboard; empties the record.
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
    // How many windows of the last sweep Windows refused to close or minimise.
    unsigned refusedCount;
    // The windows minimise sweeps minimised, front to back: those of the latest sweep first,
    // then those of earlier sweeps that are still minimised.
    MinimisedWindow minimisedWindows[MINIMISED_RECORD_SIZE];
    int minimisedCount;
    // How many of them the running (or last) minimise sweep added.
    int newlyMinimisedCount;
    // The window a minimise sweep spared, which stood in front of those it minimised.
    HWND sparedWindow;

private:
    void pauseAfterAction() const;
    void spare(HWND window);
    void forgetNoLongerMinimised();
    void rememberMinimised(HWND window);
    bool recorded(HWND window) const;

    const Settings& settings;
    const Ceditwindow& mainDialog;
};

// Whether a failed close or minimise (succeeded false, error its GetLastError) was Windows
// refusing it: a normal program may not command a window of a program run as administrator. A
// window that went away meanwhile is no refusal.
int refusedByWindows(BOOL succeeded, DWORD error);
// Both return false when Windows did not take the command.
int closeWindow(HWND window);
int minimiseWindow(HWND window);
int restoreWindow(HWND window, int maximised);
