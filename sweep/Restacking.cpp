#include "sweep/Restacking.h"

namespace {

// Ample for a program that answers, even a busy one; a hung one costs this once.
const DWORD PLACE_TIMEOUT_MS = 500;
const UINT PLACE_FLAGS = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

bool isTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Deep enough for any program's chain of dialogs; a bound all the same.
const int OWNER_CHAIN_MAX = 32;

bool ownedBy(HWND window, HWND owner) {
    HWND next = GetWindow(window, GW_OWNER);
    for (int depth = 0; next && depth < OWNER_CHAIN_MAX; ++depth) {
        if (next == owner) return true;
        next = GetWindow(next, GW_OWNER);
    }
    return false;
}

// The window in front of this one and of the windows it owns, which travel with it.
HWND inFrontOfGroup(HWND window) {
    HWND previous = GetWindow(window, GW_HWNDPREV);
    while (previous && ownedBy(previous, window)) previous = GetWindow(previous, GW_HWNDPREV);
    return previous;
}

// HWND_TOP puts a topmost window in front of all, and any other in front of all but the
// topmost ones.
bool standsBehind(HWND window, HWND above) {
    HWND previous = inFrontOfGroup(window);
    if (above != HWND_TOP) return previous == above;
    return !previous || (!isTopmost(window) && isTopmost(previous));
}

bool waitUntilBehind(HWND window, HWND above) {
    DWORD start = GetTickCount();
    while (!standsBehind(window, above)) {
        if (GetTickCount() - start > PLACE_TIMEOUT_MS || !IsWindow(window)) return false;
        Sleep(1);
    }
    return true;
}

}  // namespace

StackingPass::StackingPass(HWND front)
    : aboveTopmost(front && isTopmost(front) ? front : HWND_TOP),
      aboveNormal(front && !isTopmost(front) ? front : HWND_TOP), hungThreads(), hungCount(0) {}

// A window whose program does not answer keeps its move queued and takes its place behind the
// window before it once the program wakes; the next window is placed behind that same one.
void StackingPass::placeNext(HWND window) {
    // An owned window stands where its owner stands: Windows keeps it in front of its owner.
    if (GetWindow(window, GW_OWNER)) return;
    HWND& above = isTopmost(window) ? aboveTopmost : aboveNormal;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == GetCurrentThreadId()) {
        SetWindowPos(window, above, 0, 0, 0, 0, PLACE_FLAGS);
        above = window;
        return;
    }
    SetWindowPos(window, above, 0, 0, 0, 0, PLACE_FLAGS | SWP_ASYNCWINDOWPOS);
    if (knownHung(thread) || hungCount == HUNG_THREADS_MAX) return;
    if (waitUntilBehind(window, above)) {
        above = window;
    } else if (IsWindow(window)) {
        hungThreads[hungCount++] = thread;
    }
}

bool StackingPass::knownHung(DWORD thread) const {
    for (int i = 0; i < hungCount; ++i)
        if (hungThreads[i] == thread) return true;
    return false;
}
