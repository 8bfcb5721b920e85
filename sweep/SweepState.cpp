#include "sweep/SweepState.h"

#include <cstring>

#include "framework/Ceditwindow.h"
#include "sweep/TargetKinds.h"
#include "sweep/UserWindow.h"
#include "sweep/WindowMatch.h"

namespace {

BOOL CALLBACK visitWindowThunk(HWND window, LPARAM context) {
    return reinterpret_cast<SweepState*>(context)->visitWindow(window);
}

typedef BOOL(WINAPI* ShowFunction)(HWND, int);

// ShowWindow on another thread's window waits for that thread to answer, so a program that has
// stopped pumping would hang us; those windows are shown asynchronously instead.
ShowFunction showWithoutWaiting(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() ? ShowWindow
                                                                             : ShowWindowAsync;
}

// ownDialog: the main dialog, which no user-defined target matches.
bool matchesKind(VisitedWindow& window, const TargetKind& kind, const TargetSelection& selection,
                 HWND ownDialog) {
    if (isBuiltIn(kind)) return kind.builtInMatch(window) != 0;
    return matchOtherTarget(window, selection.otherTargets[kind.otherIndex], ownDialog) != 0;
}

}  // namespace

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), refusedCount(0), settings(live), mainDialog(ownDialog) {
    memset(&sweepSelection, 0, sizeof sweepSelection);
    memset(otherCounts, 0, sizeof otherCounts);
    memset(actedCounts, 0, sizeof actedCounts);
    memset(sparedCounts, 0, sizeof sparedCounts);
}

int SweepState::runSweep(int countOnly, int spareFirst, int minimise,
                         const TargetSelection& selection) {
    sweepCountOnly = countOnly;
    sweepSpareNext = spareFirst;
    sweepMinimise = minimise;
    if (&selection != &sweepSelection) sweepSelection = selection;
    explorerCount = chromiumCount = firefoxCount = refusedCount = 0;
    memset(otherCounts, 0, sizeof otherCounts);
    memset(actedCounts, 0, sizeof actedCounts);
    memset(sparedCounts, 0, sizeof sparedCounts);
    programs.clear();
    if (minimise && !countOnly) restore.beginMinimiseSweep();
    // User-defined targets are acted on only while the main dialog shows them.
    if (!dialogExpanded) {
        for (OtherTarget& target : sweepSelection.otherTargets) target.enabled = 0;
    }
    EnumWindows(visitWindowThunk, reinterpret_cast<LPARAM>(this));
    restore.watchRestoresWhileRecorded();
    return 1;
}

// Every rule is asked of every window, whatever the switches say; a window of several kinds
// is counted, and handled, once for each.
int SweepState::visitWindow(HWND window) {
    VisitedWindow visited(window, programs);
    HWND ownDialog = mainDialog.getHwnd();
    for (const TargetKind& kind : TARGET_KINDS) {
        if (!matchesKind(visited, kind, sweepSelection, ownDialog)) continue;
        ++counterOf(*this, kind);
        if (selectedIn(sweepSelection, kind)) handleMatchOfKind(kindIndex(kind), window);
    }
    return TRUE;
}

// The spare goes to the first window that the user sees; a hidden one, or one on another
// virtual desktop, in front of it is acted on.
int SweepState::handleMatch(HWND window) {
    if (sweepCountOnly) return 0;
    if (sweepSpareNext && isOnScreen(window)) {
        spare(window);
        return 0;
    }
    int done;
    if (sweepMinimise) {
        // Minimising would show a hidden window; it stays as it is.
        if (!IsWindowVisible(window)) return 0;
        restore.rememberMinimised(window);
        done = minimiseWindow(window);
    } else {
        done = closeWindow(window);
    }
    if (refusedByWindows(done, GetLastError())) ++refusedCount;
    pauseAfterAction();
    return 1;
}

// The spare is the match that found sweepSpareNext on and turned it off; a window that Windows
// refused to command is not counted as acted on.
void SweepState::handleMatchOfKind(int kind, HWND window) {
    int spareOpen = sweepSpareNext;
    unsigned refusedBefore = refusedCount;
    if (handleMatch(window)) {
        if (refusedCount == refusedBefore) ++actedCounts[kind];
    } else if (spareOpen && !sweepSpareNext) {
        ++sparedCounts[kind];
    }
}

unsigned SweepState::foundCount(int kind) const {
    return kind >= 0 && kind < SWEEP_KIND_COUNT ? counterOf(*this, TARGET_KINDS[kind]) : 0;
}

void SweepState::spare(HWND window) {
    sweepSpareNext = 0;
    if (sweepMinimise) restore.noteSpared(window);
}

void SweepState::pauseAfterAction() const {
    int wait = clampWaitTime(settings.waitTime);
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
}

int refusedByWindows(BOOL succeeded, DWORD error) {
    return !succeeded && error == ERROR_ACCESS_DENIED;
}

int closeWindow(HWND window) { return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

// Windows refuses all three for a window of higher rights, and says so at the first.
int minimiseWindow(HWND window) {
    ShowFunction show = showWithoutWaiting(window);
    if (!show(window, SW_HIDE) && show == ShowWindowAsync) return 0;
    show(window, SW_MINIMIZE);
    show(window, SW_SHOW);
    return 1;
}

// No show command brings a window back maximised without activating it; SW_SHOWNOACTIVATE would
// bring it back in its normal size.
int restoreWindow(HWND window, int maximised) {
    showWithoutWaiting(window)(window, maximised ? SW_RESTORE : SW_SHOWNOACTIVATE);
    return 1;
}
