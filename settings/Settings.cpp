#include "settings/Settings.h"

#include <cstring>

namespace {

template <int INDEX>
int& targetSwitch(Settings& s) {
    return s.selection.otherTargets[INDEX].enabled;
}

}  // namespace

const SettingKey SETTING_KEYS[] = {
    {"TARGET", "EX", SETTING_SWITCH, 1,
     [](Settings& s) -> int& { return s.selection.targetExplorer; }},
    {"TARGET", "IE", SETTING_SWITCH, 0,
     [](Settings& s) -> int& { return s.selection.targetChromium; }},
    {"TARGET", "NN", SETTING_SWITCH, 0,
     [](Settings& s) -> int& { return s.selection.targetFirefox; }},
    {"TARGET", "AP00", SETTING_SWITCH, 0, targetSwitch<0>},
    {"TARGET", "AP01", SETTING_SWITCH, 0, targetSwitch<1>},
    {"TARGET", "AP02", SETTING_SWITCH, 0, targetSwitch<2>},
    {"TARGET", "AP03", SETTING_SWITCH, 0, targetSwitch<3>},
    {"TARGET", "AP04", SETTING_SWITCH, 0, targetSwitch<4>},
    {"OPTIONS", "TOPMOST", SETTING_SWITCH, 1, [](Settings& s) -> int& { return s.showOnTop; }},
    {"OPTIONS", "KEEP1ST", SETTING_SWITCH, 0, [](Settings& s) -> int& { return s.keepTopmost; }},
    {"OPTIONS", "FULLSIZE", SETTING_SWITCH, 0, [](Settings& s) -> int& { return s.fullSize; }},
    {"RECT", "LEFT", SETTING_INTEGER, -1, [](Settings& s) -> int& { return s.dialogLeft; }},
    {"RECT", "TOP", SETTING_INTEGER, -1, [](Settings& s) -> int& { return s.dialogTop; }},
    {"HOTKEY", "MODE", SETTING_INTEGER, 0, [](Settings& s) -> int& { return s.hotkeyMode; }},
    {"SETTINGS", "NOBACK", SETTING_SWITCH, 0, [](Settings& s) -> int& { return s.nonResident; }},
    {"SETTINGS", "WAITTIME", SETTING_INTEGER, 50, [](Settings& s) -> int& { return s.waitTime; }},
};

const int SETTING_KEY_COUNT = sizeof SETTING_KEYS / sizeof SETTING_KEYS[0];

void setInitialSettings(Settings& settings) {
    memset(&settings, 0, sizeof settings);
    for (const SettingKey& key : SETTING_KEYS) key.field(settings) = key.initial;
    settings.keys[HOTKEY_MAIN_ACTION] = mainHotkeyOfMode(0);
}

void changeHotkeyMode(Settings& settings, int hotkeyMode) {
    HotkeyKey& main = settings.keys[HOTKEY_MAIN_ACTION];
    if (sameHotkey(main, mainHotkeyOfMode(settings.hotkeyMode)))
        main = mainHotkeyOfMode(hotkeyMode);
    settings.hotkeyMode = hotkeyMode;
}
