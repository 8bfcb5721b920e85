#pragma once

#include <windows.h>

// A global key as RegisterHotKey takes it: MOD_* modifiers and a virtual-key code. Key 0 is
// no key at all.
struct HotkeyKey {
    UINT modifiers;
    UINT key;
};

// The actions that can have a key, indexed by hotkey id - 1: the main window, the three
// kinds, close all, minimise all, restore, and the five user-defined targets.
enum { HOTKEY_ACTION_COUNT = 12, HOTKEY_MAIN_ACTION = 0 };
// Holds the longest text formatHotkey makes, with its terminator.
enum { HOTKEY_TEXT_SIZE = 48 };

inline bool sameHotkey(const HotkeyKey& a, const HotkeyKey& b) {
    return a.key == b.key && (a.key == 0 || a.modifiers == b.modifiers);
}

// The main window's key until the user chooses another: Ctrl+Alt+Shift+W, and Alt+Shift+W in
// the main-only mode (1). The other actions' are the application's to say.
HotkeyKey mainHotkeyOfMode(int hotkeyMode);

// Whether the hotkey mode registers the action's key: the standard mode (0) every action's, the
// main-only mode (1) the main window's alone, any other none.
inline bool modeRegistersAction(int hotkeyMode, int action) {
    return hotkeyMode == 0 || (hotkeyMode == 1 && action == HOTKEY_MAIN_ACTION);
}

// "Ctrl+Alt+Shift+E": the modifiers in that order (Win last), then the key's name; an empty
// text for no key. The same text names the key in the settings file and in the menu.
int formatHotkey(const HotkeyKey& key, char* text, int size);
// The reverse, ignoring ASCII case and blanks around the parts; an empty text is no key.
// False, leaving key as it was, for a text that names no key.
bool parseHotkey(const char* text, HotkeyKey& key);

// A combination that Windows keeps for itself: any with the Windows key, and F12, which is
// the debugger's.
bool isReservedHotkey(const HotkeyKey& key);
