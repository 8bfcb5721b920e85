#pragma once

#include <windows.h>

// Whether a top-level window is one that a user would call a window of his: visible (a
// minimised window is visible), with a title bar or a border of its own, not a tool window
// (palettes, floating toolbars, the hidden owners that programs keep), and not a zero-sized
// helper. Owned windows (a program's dialogs) count: the user sees them too.
int isUserWindow(HWND window);
