#pragma once

#include <windows.h>

// Private messages of the resident window.
const UINT WM_TRAY_NOTIFY = WM_USER + 10;       // tray icon callback; lParam the mouse message
const UINT WM_OPEN_MAIN_DIALOG = WM_USER + 20;  // posted by a second start

// Hotkey ids (wParam of WM_HOTKEY), one per action that can have a key: the hotkey mode says
// which are registered with the system. The popup menu posts them to the resident window too.
enum {
    HOTKEY_MAIN = 1,
    HOTKEY_EXPLORER = 2,
    HOTKEY_CHROMIUM = 3,
    HOTKEY_FIREFOX = 4,
    HOTKEY_CLOSE_ALL = 5,
    HOTKEY_MINIMISE_ALL = 6,
    HOTKEY_RESTORE_MINIMISED = 7,
    HOTKEY_TARGET0 = 8,  // user-defined target i: HOTKEY_TARGET0 + i
    HOTKEY_LAST = 12
};

const UINT TRAY_ICON_ID = 1;
