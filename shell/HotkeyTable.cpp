#include "shell/HotkeyTable.h"

#include "framework/FormatText.h"
#include "resources/resource.h"
#include "sweep/TargetKinds.h"

namespace {

const int MENU_TEXT_SIZE = 128;
const UINT ALL_THREE = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

// The menu items that do what a key does, besides the kinds' (in the table of kinds).
struct MenuOfHotkey {
    int id;
    UINT menuCommand;
};
const MenuOfHotkey ACTION_MENU_ITEMS[] = {
    {HOTKEY_MAIN, IDM_OPEN_MAIN},
    {HOTKEY_CLOSE_ALL, IDM_CLOSE_ALL},
    {HOTKEY_MINIMISE_ALL, IDM_MINIMISE_ALL},
    {HOTKEY_RESTORE_MINIMISED, IDM_RESTORE_MINIMISED},
};

bool has(unsigned ids, int id) { return (ids & (1u << id)) != 0; }

void showHint(HMENU popup, UINT menuCommand, const HotkeyKey& key) {
    char text[MENU_TEXT_SIZE] = {};
    GetMenuStringA(popup, menuCommand, text, sizeof text, MF_BYCOMMAND);
    char hint[HOTKEY_TEXT_SIZE];
    formatHotkey(key, hint, sizeof hint);
    char withHint[MENU_TEXT_SIZE + HOTKEY_TEXT_SIZE];
    formatText(withHint, sizeof withHint, "%s\t%s", text, hint);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = withHint;
    SetMenuItemInfoA(popup, menuCommand, FALSE, &item);
}

}  // namespace

void setDefaultHotkeys(HotkeyKey (&keys)[HOTKEY_ACTION_COUNT]) {
    for (HotkeyKey& key : keys) key = {0, 0};
    keys[HOTKEY_MAIN_ACTION] = mainHotkeyOfMode(0);
    for (const TargetKind& kind : TARGET_KINDS)
        if (kind.defaultKey) keys[kind.hotkey - 1] = {ALL_THREE, kind.defaultKey};
}

// FNV-1a over the ids and their keys.
int keysNotTakenMark(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT], unsigned notTaken) {
    if (!notTaken) return 0;
    unsigned mark = 2166136261u;
    for (int id = HOTKEY_MAIN; id <= HOTKEY_LAST; ++id) {
        if (!has(notTaken, id)) continue;
        const HotkeyKey& key = keyOfId(keys, id);
        const unsigned parts[] = {static_cast<unsigned>(id), key.modifiers, key.key};
        for (unsigned part : parts) mark = (mark ^ part) * 16777619u;
    }
    return mark ? static_cast<int>(mark) : 1;
}

void listKeys(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT], unsigned notTaken, char* text,
              int size) {
    int length = 0;
    text[0] = 0;
    for (int id = HOTKEY_MAIN; id <= HOTKEY_LAST && length < size - 1; ++id) {
        if (!has(notTaken, id)) continue;
        char name[HOTKEY_TEXT_SIZE];
        formatHotkey(keyOfId(keys, id), name, sizeof name);
        length += formatText(text + length, static_cast<size_t>(size - length), "%s%s",
                             length ? ", " : "", name);
    }
}

void prepareTrayMenu(HMENU popup, int keepTopmost, const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT],
                     unsigned heldHotkeys, int canRestore) {
    if (keepTopmost) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE;
        item.fState = MFS_CHECKED;
        SetMenuItemInfoA(popup, IDM_KEEP_TOPMOST, FALSE, &item);
    }
    if (!canRestore) EnableMenuItem(popup, IDM_RESTORE_MINIMISED, MF_BYCOMMAND | MF_GRAYED);

    for (const MenuOfHotkey& entry : ACTION_MENU_ITEMS)
        if (has(heldHotkeys, entry.id)) showHint(popup, entry.menuCommand, keyOfId(keys, entry.id));
    for (const TargetKind& kind : TARGET_KINDS)
        if (kind.menuCommand && has(heldHotkeys, kind.hotkey))
            showHint(popup, kind.menuCommand, keyOfId(keys, kind.hotkey));
}
