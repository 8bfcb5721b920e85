#include "sweep/Restacking.h"

namespace {

// Ample for a program that answers, even a busy one; a hung one costs this once.
const DWORD PLACE_TIMEOUT_MS = 500;
const UINT PLACE_FLAGS = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

bool isTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// HWND_TOP puts a window in front of all but the topmost ones.
bool standsBehind(HWND window, HWND above) {
    HWND previous = GetWindow(window, GW_HWNDPREV);
    if (above == HWND_TOP) return !previous || isTopmost(previous);
    return previous == above;
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

// Behind a topmost window a window would become topmost itself.
StackingPass::StackingPass(HWND front)
    : above(front && !isTopmost(front) ? front : HWND_TOP), hungThreads(), hungCount(0) {}

// A window whose program does not answer keeps its move queued and takes its place behind the
// window before it once the program wakes; the next window is placed behind that same one.
void StackingPass::placeNext(HWND window) {
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

void handKeyboardBack(HWND typing) {
    if (IsWindowVisible(typing)) SetForegroundWindow(typing);
}
