#include "shell/HotkeyTable.h"

#include "resources/resource.h"
#include "settings/FormatText.h"
#include "sweep/TargetKinds.h"

namespace {

const UINT ALL_THREE = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
const int MENU_TEXT_SIZE = 128;
const int HINT_SIZE = 32;

// The standard mode: the key of each kind that has one, in the order of the kinds, then the
// main dialog's.
struct StandardHotkeys {
    HotkeyBinding keys[SWEEP_KIND_COUNT + 1];
    int count;
};

constexpr StandardHotkeys standardHotkeys() {
    StandardHotkeys standard = {};
    for (const TargetKind& kind : TARGET_KINDS)
        if (kind.defaultKey)
            standard.keys[standard.count++] = {kind.hotkey, ALL_THREE, kind.defaultKey,
                                               kind.menuCommand};
    standard.keys[standard.count++] = {HOTKEY_MAIN, ALL_THREE, 'W', IDM_OPEN_MAIN};
    return standard;
}

constexpr StandardHotkeys STANDARD_HOTKEYS = standardHotkeys();

const HotkeyBinding MAIN_ONLY_HOTKEYS[] = {
    {HOTKEY_MAIN, MOD_ALT | MOD_SHIFT, 'W', IDM_OPEN_MAIN},
};

// "Ctrl+Alt+Shift+E": the modifiers in the order that Windows names them, then the letter.
void formatHint(char* out, int size, const HotkeyBinding& key) {
    formatText(out, size, "%s%s%s%c", key.modifiers & MOD_CONTROL ? "Ctrl+" : "",
               key.modifiers & MOD_ALT ? "Alt+" : "", key.modifiers & MOD_SHIFT ? "Shift+" : "",
               static_cast<char>(key.key));
}

}  // namespace

const HotkeyBinding* hotkeysOfMode(int hotkeyMode, int* count) {
    switch (hotkeyMode) {
    case 0:
        *count = STANDARD_HOTKEYS.count;
        return STANDARD_HOTKEYS.keys;
    case 1:
        *count = sizeof MAIN_ONLY_HOTKEYS / sizeof MAIN_ONLY_HOTKEYS[0];
        return MAIN_ONLY_HOTKEYS;
    default:
        *count = 0;
        return nullptr;
    }
}

void prepareTrayMenu(HMENU popup, int keepTopmost, int hotkeyMode, unsigned heldHotkeys,
                     int canRestore) {
    if (keepTopmost) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE;
        item.fState = MFS_CHECKED;
        SetMenuItemInfoA(popup, IDM_KEEP_TOPMOST, FALSE, &item);
    }
    if (!canRestore) EnableMenuItem(popup, IDM_RESTORE_MINIMISED, MF_BYCOMMAND | MF_GRAYED);

    int count = 0;
    const HotkeyBinding* keys = hotkeysOfMode(hotkeyMode, &count);
    for (int i = 0; i < count; ++i) {
        if (!(heldHotkeys & (1u << keys[i].id))) continue;
        char text[MENU_TEXT_SIZE] = {};
        GetMenuStringA(popup, keys[i].menuCommand, text, sizeof text, MF_BYCOMMAND);
        char hint[HINT_SIZE];
        formatHint(hint, sizeof hint, keys[i]);
        char withHint[MENU_TEXT_SIZE + HINT_SIZE];
        formatText(withHint, sizeof withHint, "%s\t%s", text, hint);
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING;
        item.dwTypeData = withHint;
        SetMenuItemInfoA(popup, keys[i].menuCommand, FALSE, &item);
    }
}
