#include "shell/HotkeyTable.h"

#include "framework/FormatText.h"
#include "resources/resource.h"
#include "shell/Messages.h"

namespace {

const UINT ALL_THREE = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
const int MENU_TEXT_SIZE = 128;

const HotkeyBinding STANDARD_HOTKEYS[] = {
    {HOTKEY_EXPLORER, ALL_THREE, 'E', IDM_CLOSE_EXPLORER, "Ctrl+Alt+Shift+E"},
    {HOTKEY_CHROMIUM, ALL_THREE, 'C', IDM_CLOSE_CHROMIUM, "Ctrl+Alt+Shift+C"},
    {HOTKEY_FIREFOX, ALL_THREE, 'F', IDM_CLOSE_FIREFOX, "Ctrl+Alt+Shift+F"},
    {HOTKEY_MAIN, ALL_THREE, 'W', IDM_OPEN_MAIN, "Ctrl+Alt+Shift+W"},
};

const HotkeyBinding MAIN_ONLY_HOTKEYS[] = {
    {HOTKEY_MAIN, MOD_ALT | MOD_SHIFT, 'W', IDM_OPEN_MAIN, "Alt+Shift+W"},
};

}  // namespace

const HotkeyBinding* hotkeysOfMode(int hotkeyMode, int* count) {
    switch (hotkeyMode) {
    case 0:
        *count = sizeof STANDARD_HOTKEYS / sizeof STANDARD_HOTKEYS[0];
        return STANDARD_HOTKEYS;
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
        char withHint[MENU_TEXT_SIZE + 32];
        formatText(withHint, sizeof withHint, "%s\t%s", text, keys[i].hint);
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING;
        item.dwTypeData = withHint;
        SetMenuItemInfoA(popup, keys[i].menuCommand, FALSE, &item);
    }
}
