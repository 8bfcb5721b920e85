#pragma once

#include <windows.h>

// Private messages of the resident window.
const UINT WM_TRAY_NOTIFY = WM_USER + 10;       // tray icon callback; lParam the mouse message
const UINT WM_OPEN_MAIN_DIALOG = WM_USER + 20;  // posted by a second start

const UINT TRAY_ICON_ID = 1;
