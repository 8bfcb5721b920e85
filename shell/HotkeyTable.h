#pragma once

#include <windows.h>

// One global hotkey of a hotkey mode, with the menu item that names it.
struct HotkeyBinding {
    int id;
    UINT modifiers;
    UINT key;
    UINT menuCommand;
};

// The hotkeys of a mode, in registration order; an unknown mode has none.
const HotkeyBinding* hotkeysOfMode(int hotkeyMode, int* count);

// Readies the tray menu's popup, freshly loaded, for one showing: the check mark of the
// keep-topmost item, the restore item greyed unless canRestore, and after their items' texts
// the hotkeys of the mode that are really held (bit n of heldHotkeys for id n), right-aligned
// after a tab; a key another program holds gets no hint.
void prepareTrayMenu(HMENU popup, int keepTopmost, int hotkeyMode, unsigned heldHotkeys,
                     int canRestore);
