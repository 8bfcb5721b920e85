#include "sweep/SweepState.h"

#include <cstring>

#include "framework/Ceditwindow.h"
#include "sweep/WindowMatch.h"

namespace {

BOOL CALLBACK visitWindowThunk(HWND window, LPARAM context) {
    return reinterpret_cast<SweepState*>(context)->visitWindow(window);
}

}  // namespace

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), settings(live), mainDialog(ownDialog) {
    memset(&sweepSelection, 0, sizeof sweepSelection);
    memset(otherCounts, 0, sizeof otherCounts);
}

int SweepState::runSweep(int countOnly, int spareFirst, int minimise, const TargetSelection& selection) {
    sweepCountOnly = countOnly;
    sweepSpareNext = spareFirst;
    sweepMinimise = minimise;
    if (&selection != &sweepSelection) sweepSelection = selection;
    explorerCount = chromiumCount = firefoxCount = 0;
    memset(otherCounts, 0, sizeof otherCounts);
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
    if (sweepMinimise)
        minimiseWindow(window);
    else
        closeWindow(window);
    pauseAfterAction();
    return 1;
}

void SweepState::pauseAfterAction() const {
    int wait = clampWaitTime(settings.waitTime);
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
}

int closeWindow(HWND window) { return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

// ShowWindow on another thread's window waits for that thread to answer, so a program that has
// stopped pumping would hang the sweep; those windows are shown asynchronously instead.
int minimiseWindow(HWND window) {
    BOOL(WINAPI* show)(HWND, int) =
        GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() ? ShowWindow : ShowWindowAsync;
    show(window, SW_HIDE);
    show(window, SW_MINIMIZE);
    show(window, SW_SHOW);
    return 1;
}
