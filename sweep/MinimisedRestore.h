#pragma once

#include <windows.h>

// The frontmost windows that minimise sweeps remember for a later restore.
const int MINIMISED_RECORD_SIZE = 256;

// A window a sweep minimised, and whether it was maximised: it is to come back so. Its process
// and thread tell it from a later window that Windows gives the same handle; leftMinimised is
// set once anyone restores it, so that a window the user restored and minimised again himself
// is his, not the sweep's.
struct MinimisedWindow {
    HWND window;
    DWORD process;
    DWORD thread;
    int maximised;
    int leftMinimised;
};

// What minimise sweeps minimised, and bringing it back: in the former stacking order, behind the
// window the last minimise sweep spared, topmost or not as each was, without taking the
// keyboard from the window in use.
class MinimisedRestore {
public:
    MinimisedRestore();
    ~MinimisedRestore();
    MinimisedRestore(const MinimisedRestore&) = delete;
    MinimisedRestore& operator=(const MinimisedRestore&) = delete;

    // A minimise sweep begins: what was closed or restored since is forgotten.
    void beginMinimiseSweep();
    // The sweep is about to minimise window, or spares window, the front-most.
    void rememberMinimised(HWND window);
    void noteSpared(HWND window) { sparedWindow = window; }
    // The sweep has ended: restores are watched while the record holds a window.
    void watchRestoresWhileRecorded();

    // Whether a recorded window still exists and is still minimised.
    int canRestoreMinimised() const;
    // Restores those windows in their former stacking order, behind the window the last
    // minimise sweep spared, without taking the keyboard; empties the record. Returns how many
    // were restored.
    int restoreMinimised();
    // The window has left the minimised state, by whatever hand.
    void noteRestored(HWND window);

    // The windows minimise sweeps minimised, front to back: those of the latest sweep first,
    // then those of earlier sweeps that are still minimised.
    MinimisedWindow minimisedWindows[MINIMISED_RECORD_SIZE];
    int minimisedCount;
    // How many of them the running (or last) minimise sweep added.
    int newlyMinimisedCount;
    // The window a minimise sweep spared, which stood in front of those it minimised.
    HWND sparedWindow;

private:
    void forgetNoLongerMinimised();
    bool recorded(HWND window) const;

    HWINEVENTHOOK restoreWatch;
};

// The record of a window as a sweep takes it, just before minimising it.
MinimisedWindow minimisedRecordOf(HWND window);

// Gives the foreground back to typing, the window the user was typing in.
void handKeyboardBack(HWND typing);
