#include "sweep/MinimisedRestore.h"

#include <cstring>

#include "sweep/Restacking.h"
#include "sweep/SweepState.h"
#include "sweep/UserWindow.h"

namespace {

// Still the window that the sweep minimised, and still minimised by the sweep: not closed, not
// restored since (and then perhaps minimised again by the user), its handle not passed on to a
// window of another program.
bool stillMinimised(const MinimisedWindow& record) {
    DWORD process = 0;
    return !record.leftMinimised && IsIconic(record.window) &&
           GetWindowThreadProcessId(record.window, &process) == record.thread &&
           process == record.process;
}

// The one record that the restore watch keeps.
MinimisedRestore* watchedRecord = nullptr;

void CALLBACK onMinimizeEnd(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (watchedRecord && object == OBJID_WINDOW && child == CHILDID_SELF)
        watchedRecord->noteRestored(window);
}

bool listed(const MinimisedWindow* windows, int count, HWND window) {
    for (int i = 0; i < count; ++i)
        if (windows[i].window == window) return true;
    return false;
}

}  // namespace

MinimisedRestore::MinimisedRestore()
    : minimisedCount(0), newlyMinimisedCount(0), sparedWindow(nullptr), restoreWatch(nullptr) {
    memset(minimisedWindows, 0, sizeof minimisedWindows);
}

MinimisedRestore::~MinimisedRestore() {
    minimisedCount = 0;
    watchRestoresWhileRecorded();
}

void MinimisedRestore::beginMinimiseSweep() {
    forgetNoLongerMinimised();
    newlyMinimisedCount = 0;
}

// Closed or restored since: nothing to bring back.
void MinimisedRestore::forgetNoLongerMinimised() {
    int kept = 0;
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) minimisedWindows[kept++] = minimisedWindows[i];
    minimisedCount = kept;
}

bool MinimisedRestore::recorded(HWND window) const {
    return listed(minimisedWindows, minimisedCount, window);
}

// A window minimised before the sweep is not the sweep's to bring back. A window of two kinds
// comes here twice, and another thread's window turns iconic only later, so look for it too.
// The new window goes behind this sweep's others and in front of the earlier sweeps', and a
// full record drops its back-most.
void MinimisedRestore::rememberMinimised(HWND window) {
    if (newlyMinimisedCount >= MINIMISED_RECORD_SIZE || IsIconic(window) || recorded(window))
        return;
    int kept = minimisedCount < MINIMISED_RECORD_SIZE ? minimisedCount : MINIMISED_RECORD_SIZE - 1;
    MinimisedWindow* slot = minimisedWindows + newlyMinimisedCount;
    memmove(slot + 1, slot, (kept - newlyMinimisedCount) * sizeof *slot);
    *slot = minimisedRecordOf(window);
    ++newlyMinimisedCount;
    minimisedCount = kept + 1;
}

int MinimisedRestore::canRestoreMinimised() const {
    for (int i = 0; i < minimisedCount; ++i)
        if (stillMinimised(minimisedWindows[i])) return 1;
    return 0;
}

void MinimisedRestore::noteRestored(HWND window) {
    for (int i = 0; i < minimisedCount; ++i)
        if (minimisedWindows[i].window == window) minimisedWindows[i].leftMinimised = 1;
}

// Nothing that a window keeps changes when it is restored and back when it is minimised again;
// Windows reports every restore, whoever makes it (taskbar, Alt+Tab, the program itself), to
// this thread as it waits for messages. Watched only while the record holds a window.
void MinimisedRestore::watchRestoresWhileRecorded() {
    if (minimisedCount && !restoreWatch) {
        restoreWatch = SetWinEventHook(EVENT_SYSTEM_MINIMIZEEND, EVENT_SYSTEM_MINIMIZEEND, nullptr,
                                       onMinimizeEnd, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (restoreWatch) watchedRecord = this;
    } else if (!minimisedCount && restoreWatch) {
        UnhookWinEvent(restoreWatch);
        restoreWatch = nullptr;
        if (watchedRecord == this) watchedRecord = nullptr;
    }
}

// All are sent on their way first, so that their programs work on them side by side; then one
// pass stacks them front to back. A window coming back maximised, and under some systems any
// window of this thread, takes the foreground as it is shown; the user's window gets it back.
int MinimisedRestore::restoreMinimised() {
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

void handKeyboardBack(HWND typing) {
    if (IsWindowVisible(typing)) SetForegroundWindow(typing);
}
