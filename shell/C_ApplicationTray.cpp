#include <windows.h>
#include <shellapi.h>

#include "framework/Dpi.h"
#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "shell/C_Application.h"
#include "shell/HotkeyTable.h"
#include "shell/Messages.h"

namespace {

const char TRAY_TIP[] = "VarnelTray";

NOTIFYICONDATAA iconRecord(HWND window) {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = TRAY_ICON_ID;
    return data;
}

}  // namespace

// The notification area draws at the system's DPI and keeps a copy of the icon.
int C_Application::addTrayIcon() {
    HICON icon = loadIconForDpi(instanceHandle, IDI_VARNEL, SM_CXSMICON, systemDpi());
    if (!icon) return 0;
    NOTIFYICONDATAA data = iconRecord(residentWindow.getHwnd());
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = icon;
    lstrcpynA(data.szTip, TRAY_TIP, sizeof data.szTip);
    Shell_NotifyIconA(NIM_ADD, &data);
    DestroyIcon(icon);
    return 1;
}

void C_Application::removeTrayIcon() {
    NOTIFYICONDATAA data = iconRecord(residentWindow.getHwnd());
    Shell_NotifyIconA(NIM_DELETE, &data);
}

// Explorer restarted: its new taskbar knows no icons until they are added again.
int C_Application::onTaskbarCreated() { return addTrayIcon(); }

int C_Application::onTrayNotify(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) openMainDialog();
    if (mouseMessage == WM_RBUTTONDOWN) showTrayMenu();
    return 0;
}

void C_Application::showTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    HWND window = residentWindow.getHwnd();
    HMENU menu = loadUiMenu(residentWindow.getInstance(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    prepareTrayMenu(popup, settings.keepTopmost, settings.hotkeyMode, heldHotkeys,
                    sweep.canRestoreMinimised());
    SetForegroundWindow(window);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, window, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
