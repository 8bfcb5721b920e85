#pragma once

#include <windows.h>

// Display scaling. The per-DPI functions came with Windows 10; where they are missing, the
// screen's DPI and the process-wide figures stand in, which is all those systems offer.

// The DPI that the program's pixel figures are drawn for (100%).
const UINT DESIGN_DPI = 96;

// The DPI of the monitor that the window is on.
UINT dpiOfWindow(HWND window);
// The DPI that the whole desktop (and the notification area) is drawn at.
UINT systemDpi();
// A length in 96-DPI pixels, at that DPI.
int scaleToDpi(int pixels, UINT dpi);
int systemMetricForDpi(int index, UINT dpi);
// The window rectangle around a client rectangle for a window of that style at that DPI.
BOOL adjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, UINT dpi);
// The icon resource at the size of sizeMetric (SM_CXICON or SM_CXSMICON) at that DPI, not
// shared: the caller destroys it.
HICON loadIconForDpi(HINSTANCE instance, int id, int sizeMetric, UINT dpi);
