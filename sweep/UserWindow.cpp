// The virtual-desktop manager is declared for Windows 10 on; where it is missing at run time,
// the query fails and its answer is the one desktop.
#define NTDDI_VERSION 0x0A000000

#include "sweep/UserWindow.h"

#include <dwmapi.h>
#include <shobjidl.h>

namespace {

// The DWM_CLOAKED_* flags; 0 when the window is not cloaked or the system cannot say.
DWORD cloakedFlags(HWND window) {
    DWORD flags = 0;
    if (FAILED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &flags, sizeof flags))) return 0;
    return flags;
}

// Without a virtual-desktop manager (older systems) there is only the one desktop. The
// identifiers come from the headers: the uuid library would bring forty kilobytes of others.
bool onCurrentDesktop(HWND window) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BOOL current = TRUE;
    IVirtualDesktopManager* desktops = nullptr;
    if (SUCCEEDED(CoCreateInstance(__uuidof(VirtualDesktopManager), nullptr, CLSCTX_ALL,
                                   __uuidof(IVirtualDesktopManager),
                                   reinterpret_cast<void**>(&desktops)))) {
        if (FAILED(desktops->IsWindowOnCurrentVirtualDesktop(window, &current))) current = TRUE;
        desktops->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return current != FALSE;
}

}  // namespace

// A top-level window is visible when its own style says so: one read answers visibility and
// frame together (each query of another program's window may cost a trip to the system).
int isUserWindow(HWND window) {
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if (!(style & WS_VISIBLE) || !(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME))) return 0;
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return 0;
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return 0;
    return !isCloakedAway(window);
}

// A window the shell cloaks because it is on another virtual desktop is still the user's; one
// cloaked on this desktop (a suspended or closed app's frame, a part of the shell) is not.
int isCloakedAway(HWND window) {
    DWORD flags = cloakedFlags(window);
    if (!flags) return 0;
    return !(flags & DWM_CLOAKED_SHELL) || onCurrentDesktop(window);
}

int isShown(HWND window) { return IsWindowVisible(window) && !cloakedFlags(window); }

int isOnScreen(HWND window) {
    return isShown(window) && !IsIconic(window) && onCurrentDesktop(window);
}
