#pragma once

#include <windows.h>

// Private messages of the resident window.
const UINT WM_TRAY_NOTIFY = WM_USER + 10;       // tray icon callback; lParam the mouse message
const UINT WM_OPEN_MAIN_DIALOG = WM_USER + 20;  // posted by a second start

// Hotkey ids (wParam of WM_HOTKEY). 1 to 4 are registered with the system by hotkey mode;
// 5 to 7 arrive only from the popup menu, which posts them to the resident window.
enum {
    HOTKEY_MAIN = 1,
    HOTKEY_EXPLORER = 2,
    HOTKEY_CHROMIUM = 3,
    HOTKEY_FIREFOX = 4,
    HOTKEY_CLOSE_ALL = 5,
    HOTKEY_MINIMISE_ALL = 6,
    HOTKEY_RESTORE_MINIMISED = 7
};

const UINT TRAY_ICON_ID = 1;
// The resident window's timer that watches what became of a sweep's windows.
const UINT_PTR OUTCOME_TIMER_ID = 1;
