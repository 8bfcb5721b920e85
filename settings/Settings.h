#pragma once

// The settings record and its parts. Plain records of fixed-size fields: a sweep copies a
// TargetSelection as one unit, so its members stay together and in this order.

#include "settings/HotkeyKey.h"

enum { OTHER_TARGET_COUNT = 5 };

enum { OTHER_NAME_SIZE = 128, OTHER_SPEC_SIZE = 32, OTHER_CLASS_SIZE = 128, OTHER_TEXT_SIZE = 256 };
// The program condition, in UTF-16 code units with the terminator: a full path fits.
enum { OTHER_EXE_SIZE = 260 };

// One user-defined target: texts from target.ini (ANSI, each ending in a zero within its
// width, for display only), the switch from the settings file. "-" in spec, className, text or
// exe sets no condition. Beside them the texts in UTF-16 as the user wrote them, which the label
// and the rules use: the code page may lack a character, and "?" in its place would change the
// rule. A condition longer than its UTF-16 field sets ruleTooLong: cut, it would be a weaker
// rule, so the target matches nothing instead. The label alone is cut when long; it is no rule.
struct OtherTarget {
    char name[OTHER_NAME_SIZE];
    char spec[OTHER_SPEC_SIZE];
    char className[OTHER_CLASS_SIZE];
    char text[OTHER_TEXT_SIZE];
    int enabled;
    wchar_t wideName[OTHER_NAME_SIZE];
    wchar_t wideSpec[OTHER_SPEC_SIZE];
    wchar_t wideClassName[OTHER_CLASS_SIZE];
    wchar_t wideText[OTHER_TEXT_SIZE];
    wchar_t wideExe[OTHER_EXE_SIZE];
    int ruleTooLong;
};

// What a sweep acts on.
struct TargetSelection {
    int targetExplorer;
    int targetChromium;
    int targetFirefox;
    OtherTarget otherTargets[OTHER_TARGET_COUNT];
};

struct Settings {
    int showOnTop;
    TargetSelection selection;
    int keepTopmost;
    int fullSize;
    int waitTime;
    int dialogLeft;
    int dialogTop;
    int hotkeyMode;
    int nonResident;
    // The key of each action, by hotkey id - 1; which of them are registered, the mode says.
    HotkeyKey keys[HOTKEY_ACTION_COUNT];
    // Stands for the set of keys that other programs held when Varnel last told of them; 0 when
    // it held every key.
    int keysNotTakenMark;
};

enum { WAIT_TIME_MIN = 0, WAIT_TIME_MAX = 200 };

// The pause after each acted-on window, kept within 0..200 ms whatever a file says.
inline int clampWaitTime(int milliseconds) {
    return milliseconds < WAIT_TIME_MIN   ? WAIT_TIME_MIN
           : milliseconds > WAIT_TIME_MAX ? WAIT_TIME_MAX
                                          : milliseconds;
}

enum SettingForm { SETTING_SWITCH, SETTING_INTEGER };

// One key of the settings file: where it lives, how its value is written, the field's initial
// value (which is also the default for a missing key) and the field. In the file's order.
struct SettingKey {
    const char* section;
    const char* key;
    SettingForm form;
    int initial;
    int& (*field)(Settings&);
};

extern const SettingKey SETTING_KEYS[];
extern const int SETTING_KEY_COUNT;

// The initial values, equal to the defaults of the settings file; every text empty. Of the
// keys, only the main window's: the others' defaults are the application's, which sets them
// before it loads.
void setInitialSettings(Settings& settings);

// A new hotkey mode. The main window's key follows it while it is the old mode's default.
void changeHotkeyMode(Settings& settings, int hotkeyMode);
