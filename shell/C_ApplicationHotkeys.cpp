#include "shell/C_Application.h"

#include <cstring>

#include "settings/Settings.h"
#include "shell/HotkeyTable.h"
#include "shell/Messages.h"

int C_Application::registerHotkeys() {
    if (hotkeysRegistered) unregisterHotkeys();
    hotkeysRegistered = 1;
    heldHotkeys = 0;
    int count = 0;
    const HotkeyBinding* keys = hotkeysOfMode(settings.hotkeyMode, &count);
    for (int i = 0; i < count; ++i) {
        // Another program may hold the combination; then it simply does nothing here.
        if (RegisterHotKey(residentWindow.getHwnd(), keys[i].id, keys[i].modifiers, keys[i].key))
            heldHotkeys |= 1u << keys[i].id;
    }
    return 1;
}

int C_Application::unregisterHotkeys() {
    if (!hotkeysRegistered) return 0;
    // The current mode says which ids to release: it may change only while none are held.
    int count = 0;
    const HotkeyBinding* keys = hotkeysOfMode(settings.hotkeyMode, &count);
    for (int i = 0; i < count; ++i) UnregisterHotKey(residentWindow.getHwnd(), keys[i].id);
    hotkeysRegistered = 0;
    heldHotkeys = 0;
    return 1;
}

int C_Application::onHotkey(int id) {
    TargetSelection selection;
    memset(&selection, 0, sizeof selection);
    int minimise = 0;
    switch (id) {
    case HOTKEY_MAIN:
        openMainDialog();
        return 1;
    case HOTKEY_EXPLORER:
        selection.targetExplorer = 1;
        break;
    case HOTKEY_CHROMIUM:
        selection.targetChromium = 1;
        break;
    case HOTKEY_FIREFOX:
        selection.targetFirefox = 1;
        break;
    case HOTKEY_MINIMISE_ALL:
        minimise = 1;
        [[fallthrough]];
    case HOTKEY_CLOSE_ALL:
        // The targets as target.ini says now, whether or not the main window has read it.
        reloadTargets();
        selection = settings.selection;
        break;
    case HOTKEY_RESTORE_MINIMISED:
        sweep.restoreMinimised();
        residentWindow.releaseHeld();
        return 1;
    default:
        return 0;
    }
    runSweep(0, settings.keepTopmost, minimise, selection);
    return 1;
}
