#pragma once

#include <windows.h>

#include "sweep/SweepState.h"
#include "sweep/WindowOutcome.h"

// Watches the windows that a sweep acted on until each is accounted for, and counts their
// outcomes by group. Its windows are only looked at: a handle that came from another program
// is never trusted further than a query.
class OutcomeWatch {
public:
    enum { GROUP_COUNT = SWEEP_KIND_COUNT };

    OutcomeWatch() : minimise(0), size(0) {}
    void begin(int minimiseSweep);
    // False, the window left out, when full or when group is out of range.
    bool add(const WatchedWindow& window);
    // Looks again at each window not yet settled; true when every one is.
    bool look();
    // Looks until every window is settled or limit ms have passed, without taking any message
    // off this thread's queue.
    void watch(DWORD limit);
    // Decides the windows still pending: still open, or, with askPrograms, not responding when
    // their program does not answer at once.
    void conclude(bool askPrograms);
    unsigned count(int group, int outcome) const;
    // The windows that did not close (or minimise).
    unsigned notDone() const;
    bool holds(HWND window) const;
    // The first window that waits for its user; null when none does.
    HWND firstWaiting() const;
    int windowCount() const { return size; }
    int minimising() const { return minimise; }

private:
    int minimise;
    int size;
    WatchedWindow windows[ACTED_RECORD_SIZE];
};
