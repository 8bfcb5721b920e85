#include "shell/C_Application.h"

#include <cstring>

#include "resources/resource.h"
#include "settings/Settings.h"
#include "shell/HotkeyTable.h"
#include "sweep/TargetKinds.h"

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

// Unregistering decides by the current mode which keys to release: the mode changes only while
// none are held. Without a resident window (non-resident mode) there is nothing to register.
void C_Application::takeHotkeyMode(int mode) {
    if (mode == settings.hotkeyMode) return;
    unregisterHotkeys();
    settings.hotkeyMode = mode;
    if (residentWindow.getHwnd()) registerHotkeys();
}

int C_Application::onHotkey(int id) {
    TargetSelection selection;
    memset(&selection, 0, sizeof selection);
    int action = SWEEP_CLOSE;
    switch (id) {
    case HOTKEY_MAIN:
        openMainDialog();
        return 1;
    case HOTKEY_MINIMISE_ALL:
        action = SWEEP_MINIMISE;
        selection = settings.selection;
        break;
    case HOTKEY_CLOSE_ALL:
        selection = settings.selection;
        break;
    case HOTKEY_RESTORE_MINIMISED:
        sweep.restore.restoreMinimised();
        return 1;
    default:
        // A kind's own key: that kind alone, whatever the settings have switched on.
        const TargetKind* kind = kindOfHotkey(id);
        if (!kind) return 0;
        selectedIn(selection, *kind) = 1;
        break;
    }
    runSweep(SWEEP_ACTS, settings.keepTopmost, action, selection);
    return 1;
}
