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

// What a user or another program asks of the resident: each may start a sweep, a dialog or the
// exit.
bool isRequest(UINT msg) {
    return msg == WM_COMMAND || msg == WM_HOTKEY || msg == WM_TRAY_NOTIFY ||
           msg == WM_OPEN_MAIN_DIALOG || msg == WM_CLOSE;
}

}  // namespace

LRESULT C_DammyWindow::windowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (holdDuringSweep(msg, wParam, lParam)) return 0;
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
    case WM_TIMER:
        if (wParam == OUTCOME_TIMER_ID) application->onOutcomeTimer();
        return 0;
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

// A wait inside a sweep dispatches messages; what they ask for waits for the sweep's end. A
// request is held and posted again then; a command, which is sent, is answered busy instead and
// its sender tries again. The same request twice is held once; a full hold drops the newest.
bool C_DammyWindow::holdDuringSweep(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!isRequest(msg) || !application->sweep.busy()) return false;
    for (int i = 0; i < heldCount; ++i)
        if (held[i].msg == msg && held[i].wParam == wParam && held[i].lParam == lParam) return true;
    if (heldCount < HELD_CAPACITY) held[heldCount++] = {msg, wParam, lParam};
    return true;
}

void C_DammyWindow::releaseHeld() {
    if (!heldCount || application->sweep.busy()) return;
    for (int i = 0; i < heldCount; ++i) postMessage(held[i].msg, held[i].wParam, held[i].lParam);
    heldCount = 0;
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
