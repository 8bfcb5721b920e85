#pragma once

#include <windows.h>

#include "framework/Ceditwindow.h"
#include "settings/HotkeyKey.h"
#include "settings/Settings.h"

// The keys part of the Options dialog: a row per action (its label, a hotkey control and a
// word beside it), in the order of the hotkey ids. The word tells, as the user types, of a key
// that Windows keeps, one that another action has, and one that another program holds. Varnel
// holds none of its keys meanwhile, so that the user can type them.
class KeysPart {
public:
    // The keys in use, the hotkey mode, which says the rows that count, and the targets' NAMEs.
    void show(Ceditwindow& owner, const HotkeyKey (&inUse)[HOTKEY_ACTION_COUNT], int hotkeyMode,
              const wchar_t (&targetNames)[OTHER_TARGET_COUNT][OTHER_NAME_SIZE]);
    // A hotkey control told of a change: the words follow.
    void onKeyChanged();
    // The first row whose key cannot be had (kept by Windows, or another action's), or -1.
    int firstRefusedRow() const;
    const HotkeyKey (&chosen() const)[HOTKEY_ACTION_COUNT] { return keys; }
    bool changed() const;
    // Whether a command id is one of the hotkey controls.
    static bool isKeyControl(int id);

private:
    enum Refusal { KEY_FREE, KEY_RESERVED, KEY_TWICE, KEY_IN_USE };
    void showTargetLabel(int index, const wchar_t* name);
    void showModeNote(int hotkeyMode);
    Refusal refusalOf(int row) const;
    bool heldByAnotherProgram(const HotkeyKey& key) const;
    void showWords();

    Ceditwindow* dialog = nullptr;
    HotkeyKey keys[HOTKEY_ACTION_COUNT] = {};
    HotkeyKey shownFirst[HOTKEY_ACTION_COUNT] = {};
    Refusal refusals[HOTKEY_ACTION_COUNT] = {};
};
