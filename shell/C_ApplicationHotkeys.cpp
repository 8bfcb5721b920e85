#include "shell/C_Application.h"

#include <cstring>

#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "shell/HotkeyTable.h"
#include "shell/SweepNote.h"
#include "sweep/TargetKinds.h"

// Keys that Windows keeps are never asked for; a key another program holds is noted, so that
// the menu leaves out its hint and the user is told.
int C_Application::registerHotkeys() {
    if (hotkeysRegistered) unregisterHotkeys();
    hotkeysRegistered = 1;
    heldHotkeys = 0;
    hotkeysNotTaken = 0;
    for (int id = HOTKEY_MAIN; id <= HOTKEY_LAST; ++id) {
        const HotkeyKey& key = keyOfId(settings.keys, id);
        if (!modeRegistersAction(settings.hotkeyMode, id - 1) || !key.key || isReservedHotkey(key))
            continue;
        if (RegisterHotKey(residentWindow.getHwnd(), id, key.modifiers, key.key))
            heldHotkeys |= 1u << id;
        else
            hotkeysNotTaken |= 1u << id;
    }
    return 1;
}

int C_Application::unregisterHotkeys() {
    if (!hotkeysRegistered) return 0;
    for (int id = HOTKEY_MAIN; id <= HOTKEY_LAST; ++id)
        if (heldHotkeys & (1u << id)) UnregisterHotKey(residentWindow.getHwnd(), id);
    hotkeysRegistered = 0;
    heldHotkeys = 0;
    hotkeysNotTaken = 0;
    return 1;
}

// The settings dialog holds none of the keys while it is open; its launcher registers these.
void C_Application::takeHotkeys(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT]) {
    memcpy(settings.keys, keys, sizeof settings.keys);
}

// Once for a set of keys that other programs hold, not at every start: the settings file keeps
// which set was told of last.
void C_Application::tellKeysNotTaken() {
    int mark = keysNotTakenMark(settings.keys, hotkeysNotTaken);
    if (mark == settings.keysNotTakenMark) return;
    settings.keysNotTakenMark = mark;
    if (!mark) return;
    char keyList[REFUSAL_NOTE_SIZE];
    listKeys(settings.keys, hotkeysNotTaken, keyList, sizeof keyList);
    char title[REFUSAL_TITLE_SIZE];
    char text[REFUSAL_NOTE_SIZE];
    loadUiString(instanceHandle, IDS_KEYS_NOT_TAKEN_TITLE, title, sizeof title);
    if (keysNotTakenNote(instanceHandle, keyList, text, sizeof text)) showTrayBalloon(title, text);
}

// The keys of the former mode go first. Without a resident window (non-resident mode) there is
// nothing to register.
void C_Application::takeHotkeyMode(int mode) {
    if (mode == settings.hotkeyMode) return;
    unregisterHotkeys();
    changeHotkeyMode(settings, mode);
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
        // A kind's own key: that kind alone, whatever the settings have switched on.
        const TargetKind* kind = kindOfHotkey(id);
        if (!kind) return 0;
        if (!isBuiltIn(*kind)) {
            closeTarget(kind->otherIndex);
            return 1;
        }
        selectedIn(selection, *kind) = 1;
        break;
    }
    runSweep(SWEEP_ACTS, settings.keepTopmost, action, selection);
    return 1;
}

// As the command line does when it names the target: whether or not it is ticked, and whatever
// the main window's last layout.
void C_Application::closeTarget(int index) {
    reloadTargets();
    TargetSelection selection;
    memset(&selection, 0, sizeof selection);
    selection.otherTargets[index] = settings.selection.otherTargets[index];
    selection.otherTargets[index].enabled = 1;
    int expanded = sweep.dialogExpanded;
    sweep.dialogExpanded = 1;
    runSweep(SWEEP_ACTS, settings.keepTopmost, SWEEP_CLOSE, selection);
    sweep.dialogExpanded = expanded;
}
