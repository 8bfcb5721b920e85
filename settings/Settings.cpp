#include "settings/Settings.h"

#include <cstring>

void setInitialSettings(Settings& settings) {
    memset(&settings, 0, sizeof settings);
    settings.showOnTop = 1;
    settings.selection.targetExplorer = 1;
    settings.waitTime = 50;
    settings.dialogLeft = -1;
    settings.dialogTop = -1;
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) settings.keys[i] = defaultHotkey(i, 0);
}

void changeHotkeyMode(Settings& settings, int hotkeyMode) {
    HotkeyKey& main = settings.keys[HOTKEY_MAIN_ACTION];
    if (sameHotkey(main, defaultHotkey(HOTKEY_MAIN_ACTION, settings.hotkeyMode)))
        main = defaultHotkey(HOTKEY_MAIN_ACTION, hotkeyMode);
    settings.hotkeyMode = hotkeyMode;
}
