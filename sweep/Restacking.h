#pragma once

#include <windows.h>

// Puts windows one directly behind the other, front to back, without activating them.
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
    HWND above;
    DWORD hungThreads[HUNG_THREADS_MAX];
    int hungCount;
};

// Gives the foreground back to typing, the window the user was typing in.
void handKeyboardBack(HWND typing);
