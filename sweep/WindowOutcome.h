#pragma once

#include <windows.h>

// What became of a window that a sweep closed or minimised, as far as anyone can tell from
// outside its program.
enum WindowOutcome {
    OUTCOME_PENDING = 0,         // not yet done, nothing known to hold it up
    OUTCOME_DONE = 1,            // closed (destroyed or hidden) or minimised, as asked
    OUTCOME_WAITING = 2,         // its program asks the user something first
    OUTCOME_NOT_RESPONDING = 3,  // its program does not handle messages
    OUTCOME_STILL_OPEN = 4       // none of these when the time was up
};
enum { OUTCOME_COUNT = 5 };

// A window whose outcome is watched, the group it is counted in (its kind, or the line of a
// command's reply), and its outcome so far (a WindowOutcome).
struct WatchedWindow {
    HWND window;
    int group;
    int outcome;
};

// Whether the window has done what it was told: closed means destroyed or hidden; minimised
// means iconic (or gone, which leaves nothing to minimise).
bool windowDone(HWND window, int minimise);

// The question the window shows its user, such as a "Save changes?" box: a visible, enabled
// window that it owns while it is disabled itself. Null when it asks nothing.
HWND questionOf(HWND window);

// The window's outcome now; a window that is merely slow is OUTCOME_PENDING. Programs that
// stopped handling messages show as such after 5 s; askProgram finds them sooner by sending
// one a message, which takes a moment for a hung one (and is then OUTCOME_STILL_OPEN instead
// of pending when it answers).
WindowOutcome outcomeNow(HWND window, int minimise, bool askProgram);

// Whether an outcome needs no more watching.
inline bool outcomeSettled(int outcome) {
    return outcome == OUTCOME_DONE || outcome == OUTCOME_WAITING ||
           outcome == OUTCOME_NOT_RESPONDING;
}

// Waits up to limit milliseconds for the window to do it; true when it did. Takes no message
// off this thread's queue, so nothing this program is sent meanwhile is carried out inside.
bool waitForWindow(HWND window, int minimise, DWORD limit);

// Raises the system timer's resolution while it lives, when wanted: a wait of 1 ms is
// otherwise a whole timer step on Windows (15.6 ms).
class FineTimer {
public:
    explicit FineTimer(bool wanted);
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    bool raised;
};
