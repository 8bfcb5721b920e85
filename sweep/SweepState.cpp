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

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog, DWORD ownProcess)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), refusedCount(0), actedWindowCount(0), heldCount(0),
      waitTime(0), settings(live), mainDialog(ownDialog), varnelProcess(ownProcess), running(0) {
    memset(&sweepSelection, 0, sizeof sweepSelection);
    memset(otherCounts, 0, sizeof otherCounts);
    memset(actedCounts, 0, sizeof actedCounts);
    memset(sparedCounts, 0, sizeof sparedCounts);
    memset(unwatchedCounts, 0, sizeof unwatchedCounts);
}

int SweepState::runSweep(int countOnly, int spareFirst, int minimise,
                         const TargetSelection& selection) {
    SweepRequest request = {countOnly,         spareFirst,     minimise,
                            settings.waitTime, dialogExpanded, selection};
    return runSweep(request);
}

int SweepState::runSweep(const SweepRequest& request) {
    if (running) return 0;
    running = 1;
    sweepCountOnly = request.countOnly;
    sweepSpareNext = request.spareFirst;
    sweepMinimise = request.minimise;
    waitTime = clampWaitTime(request.waitTime);
    sweepSelection = request.selection;
    explorerCount = chromiumCount = firefoxCount = refusedCount = 0;
    memset(otherCounts, 0, sizeof otherCounts);
    memset(actedCounts, 0, sizeof actedCounts);
    memset(sparedCounts, 0, sizeof sparedCounts);
    memset(unwatchedCounts, 0, sizeof unwatchedCounts);
    actedWindowCount = heldCount = 0;
    programs.clear();
    if (sweepMinimise && !sweepCountOnly) restore.beginMinimiseSweep();
    if (!request.userTargets) {
        for (OtherTarget& target : sweepSelection.otherTargets) target.enabled = 0;
    }
    FineTimer timer(!sweepCountOnly && waitTime > 0);
    EnumWindows(visitWindowThunk, reinterpret_cast<LPARAM>(this));
    closeHeldBackToFront();
    restore.watchRestoresWhileRecorded();
    running = 0;
    return 1;
}

// Every rule first, then the counts and the actions: a window of Varnel's own process (the
// resident window, a dialog) is no rule's, and only a window that some rule takes costs the
// question of its process. A window of several kinds is counted, and handled, once for each.
int SweepState::visitWindow(HWND window) {
    VisitedWindow visited(window, programs);
    HWND ownDialog = mainDialog.getHwnd();
    bool matches[SWEEP_KIND_COUNT] = {};
    bool any = false;
    for (const TargetKind& kind : TARGET_KINDS)
        any |= matches[kindIndex(kind)] = matchesKind(visited, kind, sweepSelection, ownDialog);
    if (!any || (varnelProcess && visited.processId() == varnelProcess)) return TRUE;
    for (const TargetKind& kind : TARGET_KINDS) {
        if (!matches[kindIndex(kind)]) continue;
        ++counterOf(*this, kind);
        if (selectedIn(sweepSelection, kind)) handleMatch(window, kindIndex(kind));
    }
    return TRUE;
}

// Windows of a kind that closes back to front are held back until the enumeration is through.
int SweepState::handleMatch(HWND window, int kind) {
    if (sweepCountOnly) return 0;
    if (takesSpare(window)) {
        ++sparedCounts[kind];
        return 0;
    }
    if (!sweepMinimise && TARGET_KINDS[kind].closesBackToFront && heldCount < ACTED_RECORD_SIZE) {
        heldWindows[heldCount++] = {window, kind};
        return 0;
    }
    return actOn(window, kind);
}

// The spare goes to the first window that the user sees; a hidden one, or one on another
// virtual desktop, in front of it is acted on.
bool SweepState::takesSpare(HWND window) {
    if (!sweepSpareNext || !isOnScreen(window)) return false;
    spare(window);
    return true;
}

// A window that Windows refused to command is not counted as acted on. The sweep goes on as
// soon as the window has done it, or after waitTime.
int SweepState::actOn(HWND window, int kind) {
    int done;
    if (sweepMinimise) {
        // Minimising would show a hidden window; it stays as it is.
        if (!IsWindowVisible(window)) return 0;
        restore.rememberMinimised(window);
        done = minimiseWindow(window);
    } else if (questionOf(window)) {
        // Already asking its user: a second close would have some programs ask twice.
        recordActed(window, kind, OUTCOME_WAITING);
        return 1;
    } else {
        done = closeWindow(window);
    }
    if (refusedByWindows(done, GetLastError())) {
        ++refusedCount;
        return 1;
    }
    ++actedCounts[kind];
    bool gone = waitTime > 0 && waitForWindow(window, sweepMinimise, static_cast<DWORD>(waitTime));
    recordActed(window, kind, gone ? OUTCOME_DONE : OUTCOME_PENDING);
    return 1;
}

void SweepState::recordActed(HWND window, int kind, int outcome) {
    if (actedWindowCount < ACTED_RECORD_SIZE)
        actedWindows[actedWindowCount++] = {window, kind, outcome};
    else
        ++unwatchedCounts[kind];
}

void SweepState::closeHeldBackToFront() {
    while (heldCount > 0) {
        --heldCount;
        actOn(heldWindows[heldCount].window, heldWindows[heldCount].kind);
    }
}

unsigned SweepState::foundCount(int kind) const {
    return kind >= 0 && kind < SWEEP_KIND_COUNT ? counterOf(*this, TARGET_KINDS[kind]) : 0;
}

void SweepState::spare(HWND window) {
    sweepSpareNext = 0;
    if (sweepMinimise) restore.noteSpared(window);
}

int SweepState::restoreMinimised() {
    if (running) return 0;
    running = 1;
    int restored = restore.restoreMinimised();
    running = 0;
    return restored;
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
