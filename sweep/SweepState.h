#pragma once

#include <windows.h>

#include "settings/Settings.h"
#include "sweep/ProgramImage.h"

class Ceditwindow;

// The frontmost windows that minimise sweeps remember for a later restore.
const int MINIMISED_RECORD_SIZE = 256;

// The kinds a sweep tells apart, in the order of its counters: Explorer, Edge/Chrome, Firefox,
// then the user-defined targets.
enum {
    SWEEP_KIND_EXPLORER = 0,
    SWEEP_KIND_CHROMIUM = 1,
    SWEEP_KIND_FIREFOX = 2,
    SWEEP_KIND_OTHER = 3
};
enum { SWEEP_KIND_COUNT = SWEEP_KIND_OTHER + OTHER_TARGET_COUNT };

// A window a sweep minimised, and whether it was maximised: it is to come back so. Its process
// and thread tell it from a later window that Windows gives the same handle; leftMinimised is
// set once anyone restores it, so that a window the user restored and minimised again himself
// is his, not the sweep's.
struct MinimisedWindow {
    HWND window;
    DWORD process;
    DWORD thread;
    int maximised;
    int leftMinimised;
};

// One pass over every top-level window, front to back, that counts the windows of the eight
// kinds and closes or minimises those of the selected kinds. The state stays in place between
// sweeps: the counters keep the last result for the main dialog to show.
class SweepState {
public:
    // live: the settings whose waitTime is read at every pause; ownDialog: the main dialog,
    // which user-defined targets never match; ownProcess: Varnel's, whose windows no sweep
    // counts, closes or minimises, whatever a rule says (0: none).
    SweepState(const Settings& live, const Ceditwindow& ownDialog, DWORD ownProcess);
    ~SweepState();
    SweepState(const SweepState&) = delete;
    SweepState& operator=(const SweepState&) = delete;

    // Both return 0, doing nothing, while a sweep or a restore runs (busy).
    int runSweep(int countOnly, int spareFirst, int minimise, const TargetSelection& selection);
    int visitWindow(HWND window);
    int handleMatch(HWND window);
    // Whether a recorded window still exists and is still minimised.
    int canRestoreMinimised() const;
    // Restores those windows in their former stacking order, behind the window the last
    // minimise sweep spared, without taking the keyboard; empties the record. Returns how many
    // were restored.
    int restoreMinimised();
    // While a sweep or a restore runs. A wait inside one (the virtual-desktop manager's COM
    // call) dispatches messages, and none of them may start another on this state.
    bool busy() const { return running != 0; }
    // The window has left the minimised state, by whatever hand.
    void noteRestored(HWND window);
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
    // The windows minimise sweeps minimised, front to back: those of the latest sweep first,
    // then those of earlier sweeps that are still minimised.
    MinimisedWindow minimisedWindows[MINIMISED_RECORD_SIZE];
    int minimisedCount;
    // How many of them the running (or last) minimise sweep added.
    int newlyMinimisedCount;
    // The window a minimise sweep spared, which stood in front of those it minimised.
    HWND sparedWindow;

private:
    void handleMatchOfKind(int kind, HWND window);
    void pauseAfterAction() const;
    void spare(HWND window);
    void forgetNoLongerMinimised();
    void rememberMinimised(HWND window);
    bool recorded(HWND window) const;
    void watchRestoresWhileRecorded();

    const Settings& settings;
    const Ceditwindow& mainDialog;
    const DWORD varnelProcess;
    int running;
    HWINEVENTHOOK restoreWatch;
    ProgramImageCache programs;
};

// The record of a window as a sweep takes it, just before minimising it.
MinimisedWindow minimisedRecordOf(HWND window);

// Whether a failed close or minimise (succeeded false, error its GetLastError) was Windows
// refusing it: a normal program may not command a window of a program run as administrator. A
// window that went away meanwhile is no refusal.
int refusedByWindows(BOOL succeeded, DWORD error);
// Both return false when Windows did not take the command.
int closeWindow(HWND window);
int minimiseWindow(HWND window);
int restoreWindow(HWND window, int maximised);
