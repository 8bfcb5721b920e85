#pragma once

#include <windows.h>

// The monitors' work areas: each monitor less its taskbar and docked bars.

// Whether the point lies on the work area of one of the monitors.
bool onSomeWorkArea(POINT point);
// The work area of the primary monitor.
RECT primaryWorkArea();
