#include "sweep/OutcomeWatch.h"

#include <mmsystem.h>

namespace {

// Between two looks at windows that have not gone yet.
const DWORD LOOK_STEP = 2;

}  // namespace

void OutcomeWatch::begin(int minimiseSweep) {
    minimise = minimiseSweep;
    size = 0;
}

bool OutcomeWatch::add(const WatchedWindow& window) {
    if (size >= ACTED_RECORD_SIZE || window.group < 0 || window.group >= GROUP_COUNT) return false;
    windows[size++] = window;
    return true;
}

bool OutcomeWatch::look() {
    bool settled = true;
    for (int i = 0; i < size; ++i) {
        WatchedWindow& watched = windows[i];
        if (outcomeSettled(watched.outcome)) continue;
        watched.outcome = outcomeNow(watched.window, minimise, false);
        if (!outcomeSettled(watched.outcome)) settled = false;
    }
    return settled;
}

// The step is a millisecond or two on Windows too while FineTimer holds.
void OutcomeWatch::watch(DWORD limit) {
    FineTimer timer(true);
    DWORD start = timeGetTime();
    while (!look() && timeGetTime() - start < limit) Sleep(LOOK_STEP);
}

void OutcomeWatch::conclude(bool askPrograms) {
    for (int i = 0; i < size; ++i) {
        WatchedWindow& watched = windows[i];
        if (outcomeSettled(watched.outcome)) continue;
        watched.outcome = outcomeNow(watched.window, minimise, askPrograms);
        if (watched.outcome == OUTCOME_PENDING) watched.outcome = OUTCOME_STILL_OPEN;
    }
}

unsigned OutcomeWatch::count(int group, int outcome) const {
    unsigned n = 0;
    for (int i = 0; i < size; ++i)
        if (windows[i].group == group && windows[i].outcome == outcome) ++n;
    return n;
}

unsigned OutcomeWatch::notDone() const {
    unsigned n = 0;
    for (int i = 0; i < size; ++i)
        if (windows[i].outcome != OUTCOME_DONE) ++n;
    return n;
}

bool OutcomeWatch::holds(HWND window) const {
    for (int i = 0; i < size; ++i)
        if (windows[i].window == window) return true;
    return false;
}

HWND OutcomeWatch::firstWaiting() const {
    for (int i = 0; i < size; ++i)
        if (windows[i].outcome == OUTCOME_WAITING) return windows[i].window;
    return nullptr;
}
