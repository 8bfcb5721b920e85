#include "sweep/SweepState.h"

#include <cstring>

#include "framework/Ceditwindow.h"
#include "sweep/Restacking.h"
#include "sweep/UserWindow.h"
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

bool listed(const MinimisedWindow* windows, int count, HWND window) {
    for (int i = 0; i < count; ++i)
        if (windows[i].window == window) return true;
    return false;
}

}  // namespace

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), refusedCount(0), minimisedCount(0),
      newlyMinimisedCount(0), sparedWindow(nullptr), settings(live), mainDialog(ownDialog) {
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
    explorerCount = chromiumCount = firefoxCount = refusedCount = 0;
    memset(otherCounts, 0, sizeof otherCounts);
    if (minimise && !countOnly) {
        forgetNoLongerMinimised();
        newlyMinimisedCount = 0;
    }
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
        rememberMinimised(window);
        done = minimiseWindow(window);
    } else {
        done = closeWindow(window);
    }
    if (refusedByWindows(done, GetLastError())) ++refusedCount;
    pauseAfterAction();
    return 1;
}

void SweepState::spare(HWND window) {
    sweepSpareNext = 0;
    if (sweepMinimise) sparedWindow = window;
}

// Closed or restored since: nothing to bring back.
void SweepState::forgetNoLongerMinimised() {
    int kept = 0;
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i].window))
            minimisedWindows[kept++] = minimisedWindows[i];
    minimisedCount = kept;
}

bool SweepState::recorded(HWND window) const {
    return listed(minimisedWindows, minimisedCount, window);
}

// A window minimised before the sweep is not the sweep's to bring back. A window of two kinds
// comes here twice, and another thread's window turns iconic only later, so look for it too.
// The new window goes behind this sweep's others and in front of the earlier sweeps', and a
// full record drops its back-most.
void SweepState::rememberMinimised(HWND window) {
    if (newlyMinimisedCount >= MINIMISED_RECORD_SIZE || IsIconic(window) || recorded(window))
        return;
    int kept = minimisedCount < MINIMISED_RECORD_SIZE ? minimisedCount : MINIMISED_RECORD_SIZE - 1;
    MinimisedWindow* slot = minimisedWindows + newlyMinimisedCount;
    memmove(slot + 1, slot, (kept - newlyMinimisedCount) * sizeof *slot);
    slot->window = window;
    slot->maximised = IsZoomed(window);
    ++newlyMinimisedCount;
    minimisedCount = kept + 1;
}

int SweepState::canRestoreMinimised() const {
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i].window)) return 1;
    return 0;
}

// All are sent on their way first, so that their programs work on them side by side; then one
// pass stacks them front to back. A window coming back maximised, and under some systems any
// window of this thread, takes the foreground as it is shown; the user's window gets it back.
int SweepState::restoreMinimised() {
    HWND typing = GetForegroundWindow();
    int restored = 0;
    for (int i = 0; i < minimisedCount; ++i) {
        if (!stillMinimised(minimisedWindows[i].window)) continue;
        restoreWindow(minimisedWindows[i].window, minimisedWindows[i].maximised);
        minimisedWindows[restored++] = minimisedWindows[i];
    }
    StackingPass stack(isOnScreen(sparedWindow) ? sparedWindow : HWND_TOP);
    for (int i = 0; i < restored; ++i) stack.placeNext(minimisedWindows[i].window);
    HWND now = GetForegroundWindow();
    if (now != typing && listed(minimisedWindows, restored, now) &&
        !listed(minimisedWindows, restored, typing))
        handKeyboardBack(typing);
    minimisedCount = newlyMinimisedCount = 0;
    sparedWindow = nullptr;
    return 1;
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
