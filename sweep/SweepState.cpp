#include "sweep/SweepState.h"

#include <cstring>

#include "framework/Ceditwindow.h"
#include "sweep/WindowMatch.h"

namespace {

BOOL CALLBACK visitWindowThunk(HWND window, LPARAM context) {
    return reinterpret_cast<SweepState*>(context)->visitWindow(window);
}

// Closed or restored since the sweep: then it is left alone.
bool stillMinimised(HWND window) { return IsWindow(window) && IsIconic(window); }

typedef BOOL(WINAPI* ShowFunction)(HWND, int);

// ShowWindow on another thread's window waits for that thread to answer, so a program that has
// stopped pumping would hang us; those windows are shown asynchronously instead.
ShowFunction showWithoutWaiting(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() ? ShowWindow
                                                                             : ShowWindowAsync;
}

}  // namespace

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), minimisedCount(0), settings(live), mainDialog(ownDialog) {
    memset(&sweepSelection, 0, sizeof sweepSelection);
    memset(otherCounts, 0, sizeof otherCounts);
    memset(minimisedWindows, 0, sizeof minimisedWindows);
}

int SweepState::runSweep(int countOnly, int spareFirst, int minimise,
                         const TargetSelection& selection) {
    sweepCountOnly = countOnly;
    sweepSpareNext = spareFirst;
    sweepMinimise = minimise;
    if (&selection != &sweepSelection) sweepSelection = selection;
    explorerCount = chromiumCount = firefoxCount = 0;
    memset(otherCounts, 0, sizeof otherCounts);
    if (minimise && !countOnly) minimisedCount = 0;
    // User-defined targets are acted on only while the main dialog shows them.
    if (!dialogExpanded) {
        for (OtherTarget& target : sweepSelection.otherTargets) target.enabled = 0;
    }
    EnumWindows(visitWindowThunk, reinterpret_cast<LPARAM>(this));
    return 1;
}

int SweepState::visitWindow(HWND window) {
    VisitedWindow visited(window);
    if (matchExplorer(visited)) {
        ++explorerCount;
        if (sweepSelection.targetExplorer) handleMatch(window);
    }
    if (matchChromium(visited)) {
        ++chromiumCount;
        if (sweepSelection.targetChromium) handleMatch(window);
    }
    if (matchFirefox(visited)) {
        ++firefoxCount;
        if (sweepSelection.targetFirefox) handleMatch(window);
    }
    HWND ownDialog = mainDialog.getHwnd();
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
        const OtherTarget& target = sweepSelection.otherTargets[i];
        if (matchOtherTarget(visited, target, ownDialog)) {
            ++otherCounts[i];
            if (target.enabled) handleMatch(window);
        }
    }
    return TRUE;
}

int SweepState::handleMatch(HWND window) {
    if (sweepCountOnly) return 0;
    if (sweepSpareNext) {
        sweepSpareNext = 0;
        return 0;
    }
    if (sweepMinimise) {
        rememberMinimised(window);
        minimiseWindow(window);
    } else {
        closeWindow(window);
    }
    pauseAfterAction();
    return 1;
}

// A window minimised before the sweep is not the sweep's to bring back. A window of two kinds
// comes here twice, and another thread's window turns iconic only later, so look for it too.
void SweepState::rememberMinimised(HWND window) {
    if (minimisedCount >= MINIMISED_RECORD_SIZE || IsIconic(window)) return;
    for (int i = 0; i < minimisedCount; ++i)
        if (minimisedWindows[i] == window) return;
    minimisedWindows[minimisedCount++] = window;
}

int SweepState::canRestoreMinimised() const {
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) return 1;
    return 0;
}

// Back to front: each restored window comes to the top, so the former front-most ends in front.
// Other programs restore theirs when they get to it; the pause, as in a sweep, gives each the
// time to do so before the next window is posted.
int SweepState::restoreMinimised() {
    for (int i = minimisedCount - 1; i >= 0; --i) {
        if (!stillMinimised(minimisedWindows[i])) continue;
        restoreWindow(minimisedWindows[i]);
        pauseAfterAction();
    }
    minimisedCount = 0;
    return 1;
}

void SweepState::pauseAfterAction() const {
    int wait = clampWaitTime(settings.waitTime);
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
}

int closeWindow(HWND window) { return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

int minimiseWindow(HWND window) {
    ShowFunction show = showWithoutWaiting(window);
    show(window, SW_HIDE);
    show(window, SW_MINIMIZE);
    show(window, SW_SHOW);
    return 1;
}

int restoreWindow(HWND window) {
    showWithoutWaiting(window)(window, SW_RESTORE);
    return 1;
}
