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

// The notification area keeps a copy of the icon, made at the size that it draws at now.
int C_Application::showTrayIcon(DWORD command) {
    UINT dpi = notificationAreaDpi();
    HICON icon = loadIconForDpi(instanceHandle, IDI_VARNEL, SM_CXSMICON, dpi);
    if (!icon) return 0;
    NOTIFYICONDATAA data = iconRecord(residentWindow.getHwnd());
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = icon;
    lstrcpynA(data.szTip, TRAY_TIP, sizeof data.szTip);
    BOOL shown = Shell_NotifyIconA(command, &data);
    DestroyIcon(icon);
    if (shown) trayIconDpi = dpi;
    return 1;
}

int C_Application::addTrayIcon() {
    trayIconDpi = 0;
    if (!showTrayIcon(NIM_ADD)) return 0;
    // A taskbar that announces itself while it still holds the icon takes it at today's size.
    if (!trayIconDpi) showTrayIcon(NIM_MODIFY);
    return 1;
}

void C_Application::removeTrayIcon() {
    NOTIFYICONDATAA data = iconRecord(residentWindow.getHwnd());
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayIconDpi = 0;
}

void C_Application::showTrayBalloon(const char* title, const char* text) {
    NOTIFYICONDATAA data = iconRecord(residentWindow.getHwnd());
    data.uFlags = NIF_INFO;
    lstrcpynA(data.szInfoTitle, title, sizeof data.szInfoTitle);
    lstrcpynA(data.szInfo, text, sizeof data.szInfo);
    data.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

// Explorer restarted: its new taskbar knows no icons until they are added again.
int C_Application::onTaskbarCreated() { return addTrayIcon(); }

void C_Application::followTrayScaling() {
    if (trayIconDpi && notificationAreaDpi() != trayIconDpi) showTrayIcon(NIM_MODIFY);
}

int C_Application::onTrayNotify(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) openMainDialog();
    if (mouseMessage == WM_RBUTTONDOWN) showTrayMenu();
    if (mouseMessage == NIN_BALLOONUSERCLICK) showWaitingQuestion();
    return 0;
}

void C_Application::showTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    HWND window = residentWindow.getHwnd();
    HMENU menu = loadUiMenu(residentWindow.getInstance(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    prepareTrayMenu(popup, settings.keepTopmost, settings.keys, heldHotkeys,
                    sweep.restore.canRestoreMinimised());
    SetForegroundWindow(window);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, window, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
