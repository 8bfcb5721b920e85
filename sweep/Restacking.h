#pragma once

#include <windows.h>

// Puts windows one directly behind the other, front to back, without activating them.
// Topmost windows are stacked among the topmost and the others among the others: placed behind
// a topmost window, a window would become topmost itself. A window's owned windows stand in
// front of it wherever it goes.
// Another thread's window is moved by its own thread: each move is posted, and the pass waits
// for it, but only a short while, so that the order is settled for every program that answers
// and a program that does not answer never holds the pass up.
class StackingPass {
public:
    // front: the window that stays in front of them all, or HWND_TOP.
    explicit StackingPass(HWND front);
    void placeNext(HWND window);

private:
    bool knownHung(DWORD thread) const;

    enum { HUNG_THREADS_MAX = 8 };
    // The window placed last in each band, or HWND_TOP.
    HWND aboveTopmost;
    HWND aboveNormal;
    DWORD hungThreads[HUNG_THREADS_MAX];
    int hungCount;
};
