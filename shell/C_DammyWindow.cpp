#include "shell/C_DammyWindow.h"

#include "resources/resource.h"
#include "shell/C_Application.h"
#include "shell/Messages.h"
#include "sweep/TargetKinds.h"

namespace {

// Command 22 ends the program like the menu's Exit.
const WORD COMMAND_EXIT = 22;

UINT taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

}  // namespace

LRESULT C_DammyWindow::windowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DESTROY:
        application->quit();
        break;
    case WM_COMMAND:
        return onCommand(LOWORD(wParam), msg, wParam, lParam);
    case WM_HOTKEY:
        application->onHotkey(static_cast<int>(wParam));
        break;
    case WM_TRAY_NOTIFY:
        return application->onTrayNotify(static_cast<UINT>(lParam));
    case WM_COPYDATA:
        return application->onCommandMessage(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_OPEN_MAIN_DIALOG:
        application->openMainDialog();
        break;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        // A change of scaling comes as one of these, depending on the Windows and on whether
        // the taskbar's monitor is the one that changed. Their parameters, pointers among
        // them, may come from any program: neither this window nor the default handling reads
        // them, since a hidden window has nothing to move.
        application->followTrayScaling();
        return 0;
    case WM_ENDSESSION:
        // Log-off or shutdown ends the process without WM_DESTROY: keep what changed since
        // the last save.
        if (wParam) application->saveSettings();
        return 0;
    default:
        if (msg == taskbarCreatedMessage()) application->onTaskbarCreated();
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT C_DammyWindow::onCommand(WORD command, UINT msg, WPARAM wParam, LPARAM lParam) {
    int hotkey = 0;
    switch (command) {
    case IDM_EXIT:
    case COMMAND_EXIT:
        return application->quit();
    case IDM_OPEN_MAIN:
        application->openMainDialog();
        break;
    case IDM_MINIMISE_ALL:
        hotkey = HOTKEY_MINIMISE_ALL;
        break;
    case IDM_CLOSE_ALL:
        hotkey = HOTKEY_CLOSE_ALL;
        break;
    case IDM_RESTORE_MINIMISED:
        hotkey = HOTKEY_RESTORE_MINIMISED;
        break;
    case IDM_ABOUT:
        application->showWelcomeDialog(nullptr);
        break;
    case IDM_KEEP_TOPMOST:
        application->settings.keepTopmost = !application->settings.keepTopmost;
        break;
    case IDM_OPTIONS:
        application->showSettingsDialog(nullptr);
        break;
    default:
        if (const TargetKind* kind = kindOfMenuCommand(command)) hotkey = kind->hotkey;
        break;
    }
    // Menu sweeps and the restore run after the menu has closed, on the same road as a pressed
    // hotkey.
    if (hotkey) postMessage(WM_HOTKEY, hotkey, 0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
