#include "sweep/SweepState.h"

#include <cstring>

#include "framework/Ceditwindow.h"
#include "sweep/Restacking.h"
#include "sweep/TargetKinds.h"
#include "sweep/UserWindow.h"
#include "sweep/WindowMatch.h"

namespace {

BOOL CALLBACK visitWindowThunk(HWND window, LPARAM context) {
    return reinterpret_cast<SweepState*>(context)->visitWindow(window);
}

// Still the window that the sweep minimised, and still minimised by the sweep: not closed, not
// restored since (and then perhaps minimised again by the user), its handle not passed on to a
// window of another program.
bool stillMinimised(const MinimisedWindow& record) {
    DWORD process = 0;
    return !record.leftMinimised && IsIconic(record.window) &&
           GetWindowThreadProcessId(record.window, &process) == record.thread &&
           process == record.process;
}

// The one sweep state whose record the restore watch keeps.
SweepState* watchedState = nullptr;

void CALLBACK onMinimizeEnd(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (watchedState && object == OBJID_WINDOW && child == CHILDID_SELF)
        watchedState->noteRestored(window);
}

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

// ownDialog: the main dialog, which no user-defined target matches.
bool matchesKind(VisitedWindow& window, const TargetKind& kind, const TargetSelection& selection,
                 HWND ownDialog) {
    if (isBuiltIn(kind)) return kind.builtInMatch(window) != 0;
    return matchOtherTarget(window, selection.otherTargets[kind.otherIndex], ownDialog) != 0;
}

}  // namespace

SweepState::SweepState(const Settings& live, const Ceditwindow& ownDialog)
    : sweepSpareNext(0), sweepCountOnly(0), sweepMinimise(0), explorerCount(0), chromiumCount(0),
      firefoxCount(0), dialogExpanded(0), refusedCount(0), actedWindowCount(0), minimisedCount(0),
      newlyMinimisedCount(0), sparedWindow(nullptr), heldCount(0), waitTime(0), settings(live),
      mainDialog(ownDialog), restoreWatch(nullptr) {
    memset(&sweepSelection, 0, sizeof sweepSelection);
    memset(otherCounts, 0, sizeof otherCounts);
    memset(actedCounts, 0, sizeof actedCounts);
    memset(sparedCounts, 0, sizeof sparedCounts);
    memset(unwatchedCounts, 0, sizeof unwatchedCounts);
    memset(minimisedWindows, 0, sizeof minimisedWindows);
}

SweepState::~SweepState() {
    minimisedCount = 0;
    watchRestoresWhileRecorded();
}

int SweepState::runSweep(int countOnly, int spareFirst, int minimise,
                         const TargetSelection& selection) {
    SweepRequest request = {countOnly,         spareFirst,     minimise,
                            settings.waitTime, dialogExpanded, selection};
    return runSweep(request);
}

int SweepState::runSweep(const SweepRequest& request) {
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
    if (sweepMinimise && !sweepCountOnly) {
        forgetNoLongerMinimised();
        newlyMinimisedCount = 0;
    }
    if (!request.userTargets) {
        for (OtherTarget& target : sweepSelection.otherTargets) target.enabled = 0;
    }
    FineTimer timer(!sweepCountOnly && waitTime > 0);
    EnumWindows(visitWindowThunk, reinterpret_cast<LPARAM>(this));
    closeHeldBackToFront();
    watchRestoresWhileRecorded();
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
        rememberMinimised(window);
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
    if (sweepMinimise) sparedWindow = window;
}

// Closed or restored since: nothing to bring back.
void SweepState::forgetNoLongerMinimised() {
    int kept = 0;
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) minimisedWindows[kept++] = minimisedWindows[i];
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
    *slot = minimisedRecordOf(window);
    ++newlyMinimisedCount;
    minimisedCount = kept + 1;
}

int SweepState::canRestoreMinimised() const {
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) return 1;
    return 0;
}

void SweepState::noteRestored(HWND window) {
    for (int i = 0; i < minimisedCount; ++i)
        if (minimisedWindows[i].window == window) minimisedWindows[i].leftMinimised = 1;
}

// Nothing that a window keeps changes when it is restored and back when it is minimised again;
// Windows reports every restore, whoever makes it (taskbar, Alt+Tab, the program itself), to
// this thread as it waits for messages. Watched only while the record holds a window.
void SweepState::watchRestoresWhileRecorded() {
    if (minimisedCount && !restoreWatch) {
        restoreWatch = SetWinEventHook(EVENT_SYSTEM_MINIMIZEEND, EVENT_SYSTEM_MINIMIZEEND, nullptr,
                                       onMinimizeEnd, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (restoreWatch) watchedState = this;
    } else if (!minimisedCount && restoreWatch) {
        UnhookWinEvent(restoreWatch);
        restoreWatch = nullptr;
        if (watchedState == this) watchedState = nullptr;
    }
}

// All are sent on their way first, so that their programs work on them side by side; then one
// pass stacks them front to back. A window coming back maximised, and under some systems any
// window of this thread, takes the foreground as it is shown; the user's window gets it back.
int SweepState::restoreMinimised() {
    HWND typing = GetForegroundWindow();
    int restored = 0;
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) minimisedWindows[restored++] = minimisedWindows[i];
    // The restores that follow are the sweep's own.
    minimisedCount = 0;
    watchRestoresWhileRecorded();
    for (int i = 0; i < restored; ++i)
        restoreWindow(minimisedWindows[i].window, minimisedWindows[i].maximised);
    StackingPass stack(isOnScreen(sparedWindow) ? sparedWindow : HWND_TOP);
    for (int i = 0; i < restored; ++i) stack.placeNext(minimisedWindows[i].window);
    HWND now = GetForegroundWindow();
    if (now != typing && listed(minimisedWindows, restored, now) &&
        !listed(minimisedWindows, restored, typing))
        handKeyboardBack(typing);
    newlyMinimisedCount = 0;
    sparedWindow = nullptr;
    return restored;
}

MinimisedWindow minimisedRecordOf(HWND window) {
    MinimisedWindow record = {window, 0, 0, IsZoomed(window), 0};
    record.thread = GetWindowThreadProcessId(window, &record.process);
    return record;
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
