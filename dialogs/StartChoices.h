#pragma once

#include <windows.h>

#include "settings/HotkeyKey.h"
#include "settings/Settings.h"

// What the welcome and the settings dialogs let the user choose, as the settings hold it. Each
// dialog shows a copy and hands back what the user commits, at the moment he commits it,
// through a ChoiceTaker; neither sees the program itself.
struct StartChoices {
    int nonResident;
    int hotkeyMode;
    int waitTime;
    HotkeyKey keys[HOTKEY_ACTION_COUNT];
    // The user-defined targets' NAMEs, which their keys' rows show ("-": not defined).
    wchar_t targetNames[OTHER_TARGET_COUNT][OTHER_NAME_SIZE];
};

class ChoiceTaker {
public:
    virtual void takeNonResident(int on) = 0;
    // The keys of the former mode are released, and those of the new one held where the
    // program is resident.
    virtual void takeHotkeyMode(int mode) = 0;
    // Milliseconds, within the settings' range.
    virtual void takeWaitTime(int milliseconds) = 0;
    // New keys for the actions, which the program registers as the settings dialog ends.
    virtual void takeHotkeys(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT]) = 0;

protected:
    ~ChoiceTaker() = default;
};
