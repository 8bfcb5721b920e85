#pragma once

#include <windows.h>

#include "settings/Settings.h"
#include "sweep/MinimisedRestore.h"
#include "sweep/ProgramImage.h"

class Ceditwindow;

// The kinds a sweep tells apart, in the order of its counters: Explorer, Edge/Chrome, Firefox,
// then the user-defined targets. What each one is: TARGET_KINDS (sweep/TargetKinds.h).
enum {
    SWEEP_KIND_EXPLORER = 0,
    SWEEP_KIND_CHROMIUM = 1,
    SWEEP_KIND_FIREFOX = 2,
    SWEEP_KIND_OTHER = 3
};
enum { SWEEP_KIND_COUNT = SWEEP_KIND_OTHER + OTHER_TARGET_COUNT };

// runSweep's flags by name: countOnly, spareFirst and minimise.
enum { SWEEP_ACTS = 0, SWEEP_COUNT_ONLY = 1 };
enum { SPARE_NONE = 0, SPARE_FRONT_MOST = 1 };
enum { SWEEP_CLOSE = 0, SWEEP_MINIMISE = 1 };

// One pass over every top-level window, front to back, that counts the windows of the eight
// kinds and closes or minimises those of the selected kinds. The state stays in place between
// sweeps: the counters keep the last result for the main dialog to show.
class SweepState {
public:
    // live: the settings whose waitTime is read at every pause; ownDialog: the main dialog,
    // which user-defined targets never match.
    SweepState(const Settings& live, const Ceditwindow& ownDialog);
    SweepState(const SweepState&) = delete;
    SweepState& operator=(const SweepState&) = delete;

    int runSweep(int countOnly, int spareFirst, int minimise, const TargetSelection& selection);
    int visitWindow(HWND window);
    int handleMatch(HWND window);
    // The windows of one kind (a SWEEP_KIND_ value) that the last sweep found.
    unsigned foundCount(int kind) const;

    int sweepSpareNext;
    int sweepCountOnly;
    int sweepMinimise;
    TargetSelection sweepSelection;
    unsigned explorerCount;
    unsigned chromiumCount;
    unsigned firefoxCount;
    unsigned otherCounts[OTHER_TARGET_COUNT];
    int dialogExpanded;
    // Of the last sweep, per kind (SWEEP_KIND_ order): the windows closed or minimised, and the
    // one spared as the front-most.
    unsigned actedCounts[SWEEP_KIND_COUNT];
    unsigned sparedCounts[SWEEP_KIND_COUNT];
    // How many windows of the last sweep Windows refused to close or minimise.
    unsigned refusedCount;
    // What minimise sweeps minimised, for the restore.
    MinimisedRestore restore;

private:
    void handleMatchOfKind(int kind, HWND window);
    void pauseAfterAction() const;
    void spare(HWND window);

    const Settings& settings;
    const Ceditwindow& mainDialog;
    ProgramImageCache programs;
};

// Whether a failed close or minimise (succeeded false, error its GetLastError) was Windows
// refusing it: a normal program may not command a window of a program run as administrator. A
// window that went away meanwhile is no refusal.
int refusedByWindows(BOOL succeeded, DWORD error);
// Both return false when Windows did not take the command.
int closeWindow(HWND window);
int minimiseWindow(HWND window);
int restoreWindow(HWND window, int maximised);
