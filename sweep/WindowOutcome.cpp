#include "sweep/WindowOutcome.h"

#include <mmsystem.h>

namespace {

// A hung program keeps the answer back; one that answers does so well within this.
const UINT ANSWER_PATIENCE = 200;
// The owners between a question and the window it asks about (a box over a box over it).
const int OWNER_CHAIN_MAX = 8;
// Most windows go within a few milliseconds: until then the wait only yields the processor, so
// that it sees them go at once; a slower window is looked at once a millisecond.
const DWORD SPIN_TIME = 15;

bool ownedBy(HWND popup, HWND window) {
    HWND owner = popup;
    for (int i = 0; i < OWNER_CHAIN_MAX && owner; ++i) {
        owner = GetWindow(owner, GW_OWNER);
        if (owner == window) return true;
    }
    return false;
}

bool isQuestion(HWND popup, HWND window) {
    return popup && popup != window && IsWindowVisible(popup) && IsWindowEnabled(popup) &&
           ownedBy(popup, window);
}

// timeGetTime follows the raised resolution; GetTickCount moves in whole timer steps.
DWORD elapsedSince(DWORD start) { return timeGetTime() - start; }

}  // namespace

bool windowDone(HWND window, int minimise) {
    if (!IsWindow(window)) return true;
    return minimise ? IsIconic(window) != 0 : !IsWindowVisible(window);
}

// Windows names the question with GW_ENABLEDPOPUP; Wine answers only GetLastActivePopup.
HWND questionOf(HWND window) {
    if (!IsWindow(window) || IsWindowEnabled(window)) return nullptr;
    HWND popup = GetLastActivePopup(window);
    if (isQuestion(popup, window)) return popup;
    popup = GetWindow(window, GW_ENABLEDPOPUP);
    return isQuestion(popup, window) ? popup : nullptr;
}

WindowOutcome outcomeNow(HWND window, int minimise, bool askProgram) {
    if (windowDone(window, minimise)) return OUTCOME_DONE;
    if (questionOf(window)) return OUTCOME_WAITING;
    if (IsHungAppWindow(window)) return OUTCOME_NOT_RESPONDING;
    if (!askProgram) return OUTCOME_PENDING;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, ANSWER_PATIENCE,
                             &result) &&
        IsWindow(window))
        return OUTCOME_NOT_RESPONDING;
    return windowDone(window, minimise) ? OUTCOME_DONE : OUTCOME_STILL_OPEN;
}

// No message loop and no MsgWaitFor...: either would let a message sent to this thread start
// a second command inside the sweep. Sleep(1) is a millisecond on Windows only while FineTimer
// holds.
bool waitForWindow(HWND window, int minimise, DWORD limit) {
    DWORD start = timeGetTime();
    for (;;) {
        if (windowDone(window, minimise)) return true;
        DWORD waited = elapsedSince(start);
        if (waited >= limit) return false;
        if (waited < SPIN_TIME)
            SwitchToThread();
        else
            Sleep(1);
    }
}

FineTimer::FineTimer(bool wanted) : raised(wanted && timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimer::~FineTimer() {
    if (raised) timeEndPeriod(1);
}
