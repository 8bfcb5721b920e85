#pragma once

#include <windows.h>

// One global hotkey of a hotkey mode, with the menu item that names it.
struct HotkeyBinding {
    int id;
    UINT modifiers;
    UINT key;
    UINT menuCommand;
    const char* hint;  // shown after the menu item's text
};

// The hotkeys of a mode, in registration order; an unknown mode has none.
const HotkeyBinding* hotkeysOfMode(int hotkeyMode, int* count);
