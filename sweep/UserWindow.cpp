#include "sweep/UserWindow.h"

int isUserWindow(HWND window) {
    if (!IsWindowVisible(window)) return 0;
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return 0;
    const LONG frame = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME;
    if (!(GetWindowLongW(window, GWL_STYLE) & frame)) return 0;
    RECT r;
    return GetWindowRect(window, &r) && r.right > r.left && r.bottom > r.top;
}
