#pragma once

#include <windows.h>

// Display scaling. The per-DPI functions came with Windows 10; where they are missing, the
// screen's DPI and the process-wide figures stand in, which is all those systems offer.

// The DPI that the program's pixel figures are drawn for (100%).
const UINT DESIGN_DPI = 96;

// How the system scales a program's windows. Only with per-monitor v2 does the dialog manager
// make fonts and frames for each monitor's DPI; v1 leaves them at the system's DPI.
enum DpiAwareness { DPI_UNAWARE, DPI_SYSTEM_AWARE, DPI_PER_MONITOR_V1, DPI_PER_MONITOR_V2 };

// What the window was made with, whatever the manifest asked for: older Windows and the
// user's compatibility settings can give less.
DpiAwareness dpiAwarenessOf(HWND window);
// Start-up, before the first window. Where the thread got per-monitor v1, its windows take v2
// where this Windows has it, or else system awareness, which the system scales whole.
void settleDpiAwareness();

// The DPI that the window is laid out at: its monitor's with per-monitor v2, the system's
// otherwise (96 for an unaware program).
UINT dpiOfWindow(HWND window);
// The DPI that the whole desktop is drawn at for this program, fixed while it runs.
UINT systemDpi();
// The DPI that the taskbar's notification area draws at now. Unlike the system's DPI of a
// running program, it follows a change of the scaling.
UINT notificationAreaDpi();
// A length in 96-DPI pixels, at that DPI.
int scaleToDpi(int pixels, UINT dpi);
int systemMetricForDpi(int index, UINT dpi);
// The window rectangle around a client rectangle for a window of that style at that DPI.
BOOL adjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, UINT dpi);
// The icon resource at the size of sizeMetric (SM_CXICON or SM_CXSMICON) at that DPI, not
// shared: the caller destroys it.
HICON loadIconForDpi(HINSTANCE instance, int id, int sizeMetric, UINT dpi);

// A dialog's DPI as it was last laid out, kept in its DWLP_USER: at WM_INITDIALOG, and after
// each change that followDialogDpi follows.
void rememberDialogDpi(HWND dialog);
// On WM_DPICHANGED, whose parameters are never read: if the dialog's DPI is not the one it was
// laid out at, hands the dialog manager the change with a rectangle of its own (the window's,
// scaled for the new DPI about its centre) and returns true; else does nothing.
bool followDialogDpi(HWND dialog);
// Whether this is the dialog manager's own turn of the change that followDialogDpi hands it.
bool passingDpiChange(HWND dialog);
