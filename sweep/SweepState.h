#pragma once

#include <windows.h>

#include "settings/Settings.h"
#include "sweep/MinimisedRestore.h"
#include "sweep/ProgramImage.h"
#include "sweep/WindowOutcome.h"

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

// The windows of one sweep whose outcome is watched; further ones are counted, not watched.
const int ACTED_RECORD_SIZE = 512;

// What one sweep is to do. Count-only sweeps act on nothing; spareFirst spares the front-most
// window on screen; waitTime (ms) is the most that each window acted on is waited for; the
// user-defined targets are acted on only with userTargets (they are counted all the same).
struct SweepRequest {
    int countOnly;
    int spareFirst;
    int minimise;
    int waitTime;
    int userTargets;
    TargetSelection selection;
};

// One pass over every top-level window, front to back, that counts the windows of the eight
// kinds and closes or minimises those of the selected kinds. The state stays in place between
// sweeps: the counters keep the last result for the main dialog to show.
class SweepState {
public:
    // live: the settings whose waitTime the sweeps without a request take; ownDialog: the main
    // dialog, which user-defined targets never match; ownProcess: Varnel's, whose windows no
    // sweep counts, closes or minimises, whatever a rule says (0: none).
    SweepState(const Settings& live, const Ceditwindow& ownDialog, DWORD ownProcess);
    SweepState(const SweepState&) = delete;
    SweepState& operator=(const SweepState&) = delete;

    // Both return 0, doing nothing, while a sweep or a restore runs (busy).
    int runSweep(const SweepRequest& request);
    // A sweep with the pause of the live settings, acting on the user-defined targets while the
    // main dialog shows them.
    int runSweep(int countOnly, int spareFirst, int minimise, const TargetSelection& selection);
    int visitWindow(HWND window);
    // One match of a kind (a SWEEP_KIND_ value) that the sweep acts on: spared, held back, or
    // closed or minimised. Returns whether it was acted on now.
    int handleMatch(HWND window, int kind);
    // The restore of what minimise sweeps minimised; 0, doing nothing, during a sweep.
    int restoreMinimised();
    // While a sweep or a restore runs. A wait inside one (the virtual-desktop manager's COM
    // call) dispatches messages, and none of them may start another on this state.
    bool busy() const { return running != 0; }
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
    // The windows the last sweep closed or minimised, in the order acted on, each in the group
    // of its kind, with the outcome seen so far; a window already asking its user when the sweep
    // came is listed as waiting, untouched. unwatchedCounts: per kind, those acted on beyond the
    // list's size.
    WatchedWindow actedWindows[ACTED_RECORD_SIZE];
    int actedWindowCount;
    unsigned unwatchedCounts[SWEEP_KIND_COUNT];
    // What minimise sweeps minimised, for the restore.
    MinimisedRestore restore;

private:
    bool takesSpare(HWND window);
    int actOn(HWND window, int kind);
    void recordActed(HWND window, int kind, int outcome);
    void closeHeldBackToFront();
    void spare(HWND window);

    // Windows of a kind that closes back to front, held back to be closed once the enumeration
    // is through.
    struct HeldWindow {
        HWND window;
        int kind;
    };
    HeldWindow heldWindows[ACTED_RECORD_SIZE];
    int heldCount;
    int waitTime;

    const Settings& settings;
    const Ceditwindow& mainDialog;
    const DWORD varnelProcess;
    int running;
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
