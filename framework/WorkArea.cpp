#include "framework/WorkArea.h"

// Monitors never overlap: the monitor that holds the point is the only one to ask.
bool onSomeWorkArea(POINT point) {
    HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    return monitor && GetMonitorInfoA(monitor, &info) && PtInRect(&info.rcWork, point);
}

RECT primaryWorkArea() {
    RECT area = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
