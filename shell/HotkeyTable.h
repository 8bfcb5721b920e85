#pragma once

#include <windows.h>

#include "settings/HotkeyKey.h"

// The keys until the user chooses others: each kind's own key (with Ctrl+Alt+Shift) and the
// main window's of the standard mode; no key for the other actions.
void setDefaultHotkeys(HotkeyKey (&keys)[HOTKEY_ACTION_COUNT]);

// The chosen key of a hotkey id (ids 1 to HOTKEY_LAST, in the order of the actions).
inline const HotkeyKey& keyOfId(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT], int id) {
    return keys[id - 1];
}

// A number that stands for the keys of the ids in notTaken (bit n for id n); 0 for none.
int keysNotTakenMark(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT], unsigned notTaken);

// The keys of the ids in notTaken, as "Ctrl+Alt+Shift+E, Alt+F9", cut to size.
void listKeys(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT], unsigned notTaken, char* text,
              int size);

// Readies the tray menu's popup, freshly loaded, for one showing: the check mark of the
// keep-topmost item, the restore item greyed unless canRestore, and after their items' texts
// the keys that are really held (bit n of heldHotkeys for id n), right-aligned after a tab; a
// key another program holds gets no hint.
void prepareTrayMenu(HMENU popup, int keepTopmost, const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT],
                     unsigned heldHotkeys, int canRestore);
