#pragma once

#include <windows.h>

// Whether a top-level window is one that a user would call a window of his: visible (a
// minimised window is visible), with a title bar or a border of its own, not a tool window
// (palettes, floating toolbars, the hidden owners that programs keep), not a zero-sized
// helper, and not cloaked away from him (see isCloakedAway). Owned windows (a program's
// dialogs) count: the user sees them too. Costlier than a class test: ask it of windows that
// already match.
int isUserWindow(HWND window);

// Whether the window manager hides the window for a reason other than another virtual desktop.
int isCloakedAway(HWND window);

// Whether the window is drawn where it stands: visible and not cloaked, whatever the reason
// (another virtual desktop, a suspended app, a part of the shell). What is not cannot be
// pointed at. Asks no virtual-desktop manager, which cloaks what it moves away.
int isShown(HWND window);

// Whether the user sees the window now: shown, not minimised, on the current virtual desktop.
int isOnScreen(HWND window);
