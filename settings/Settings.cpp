#include "settings/Settings.h"

#include <cstring>

void setInitialSettings(Settings& settings) {
    memset(&settings, 0, sizeof settings);
    settings.showOnTop = 1;
    settings.selection.targetExplorer = 1;
    settings.waitTime = 50;
    settings.dialogLeft = -1;
    settings.dialogTop = -1;
    settings.keys[HOTKEY_MAIN_ACTION] = mainHotkeyOfMode(0);
}

void changeHotkeyMode(Settings& settings, int hotkeyMode) {
    HotkeyKey& main = settings.keys[HOTKEY_MAIN_ACTION];
    if (sameHotkey(main, mainHotkeyOfMode(settings.hotkeyMode)))
        main = mainHotkeyOfMode(hotkeyMode);
    settings.hotkeyMode = hotkeyMode;
}
