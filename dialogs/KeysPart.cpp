#include "dialogs/KeysPart.h"

#include <commctrl.h>

#include <cstring>

#include "framework/UiLanguage.h"
#include "resources/resource.h"

namespace {

const int WORD_SIZE = 64;
const int FORMAT_SIZE = 64;
// What wsprintfW writes at most, with its terminator.
const int LABEL_SIZE = 1025;
// The id under which a key is tried for a moment, to learn whether another program holds it.
const int PROBE_ID = 0xBFFF;
const int TARGET_ROW0 = HOTKEY_ACTION_COUNT - OTHER_TARGET_COUNT;

HotkeyKey keyOfControl(HWND control) {
    LRESULT value = SendMessageA(control, HKM_GETHOTKEY, 0, 0);
    UINT flags = HIBYTE(LOWORD(value));
    HotkeyKey key = {0, LOBYTE(LOWORD(value))};
    if (flags & HOTKEYF_CONTROL) key.modifiers |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT) key.modifiers |= MOD_ALT;
    if (flags & HOTKEYF_SHIFT) key.modifiers |= MOD_SHIFT;
    return key;
}

// The keys beside the numeric pad, which the control would name as the pad's without the flag.
bool isExtendedKey(UINT key) {
    return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE ||
           key == VK_DIVIDE;
}

// The control has no Windows key: a key with it shows without, and the word beside it says why.
void showKeyIn(HWND control, const HotkeyKey& key) {
    BYTE flags = isExtendedKey(key.key) ? HOTKEYF_EXT : 0;
    if (key.modifiers & MOD_CONTROL) flags |= HOTKEYF_CONTROL;
    if (key.modifiers & MOD_ALT) flags |= HOTKEYF_ALT;
    if (key.modifiers & MOD_SHIFT) flags |= HOTKEYF_SHIFT;
    SendMessageA(control, HKM_SETHOTKEY, MAKEWORD(key.key, flags), 0);
}

}  // namespace

bool KeysPart::isKeyControl(int id) {
    return id >= IDC_KEY0 && id < IDC_KEY0 + HOTKEY_ACTION_COUNT;
}

void KeysPart::show(Ceditwindow& owner, const HotkeyKey (&inUse)[HOTKEY_ACTION_COUNT],
                    int hotkeyMode,
                    const wchar_t (&targetNames)[OTHER_TARGET_COUNT][OTHER_NAME_SIZE]) {
    dialog = &owner;
    memcpy(keys, inUse, sizeof keys);
    memcpy(shownFirst, inUse, sizeof shownFirst);
    for (int row = 0; row < HOTKEY_ACTION_COUNT; ++row) {
        showKeyIn(dialog->getDlgItem(IDC_KEY0 + row), keys[row]);
        BOOL used = modeRegistersAction(hotkeyMode, row);
        dialog->enableDlgItem(IDC_KEY_LABEL0 + row, used);
        dialog->enableDlgItem(IDC_KEY0 + row, used);
    }
    for (int t = 0; t < OTHER_TARGET_COUNT; ++t) showTargetLabel(t, targetNames[t]);
    showModeNote(hotkeyMode);
    showWords();
}

// The target's NAME, in any script; a target that target.ini does not define by its number.
void KeysPart::showTargetLabel(int index, const wchar_t* name) {
    HINSTANCE instance = dialog->getInstance();
    wchar_t format[FORMAT_SIZE] = {};
    wchar_t label[LABEL_SIZE] = {};
    bool defined = name[0] && lstrcmpW(name, L"-") != 0;
    loadUiStringW(instance, defined ? IDS_KEY_TARGET : IDS_KEY_TARGET_UNDEFINED, format,
                  FORMAT_SIZE);
    if (defined)
        wsprintfW(label, format, name);
    else
        wsprintfW(label, format, index + 1);
    dialog->setDlgItemText(IDC_KEY_LABEL0 + TARGET_ROW0 + index, label);
}

void KeysPart::showModeNote(int hotkeyMode) {
    char note[FORMAT_SIZE * 2] = {};
    if (hotkeyMode != 0)
        loadUiString(dialog->getInstance(), hotkeyMode == 1 ? IDS_KEYS_MAIN_ONLY : IDS_KEYS_NONE,
                     note, sizeof note);
    dialog->setDlgItemText(IDC_KEYS_MODE_NOTE, note);
}

void KeysPart::onKeyChanged() {
    for (int row = 0; row < HOTKEY_ACTION_COUNT; ++row) {
        HotkeyKey typed = keyOfControl(dialog->getDlgItem(IDC_KEY0 + row));
        // The control cannot show the Windows key: a key from the file stays as it is until
        // the user types another.
        HotkeyKey shown = keys[row];
        shown.modifiers &= ~static_cast<UINT>(MOD_WIN);
        if (!sameHotkey(typed, shown)) keys[row] = typed;
    }
    showWords();
}

KeysPart::Refusal KeysPart::refusalOf(int row) const {
    const HotkeyKey& key = keys[row];
    if (!key.key) return KEY_FREE;
    if (isReservedHotkey(key)) return KEY_RESERVED;
    for (int other = 0; other < HOTKEY_ACTION_COUNT; ++other)
        if (other != row && sameHotkey(key, keys[other])) return KEY_TWICE;
    return heldByAnotherProgram(key) ? KEY_IN_USE : KEY_FREE;
}

// Tried for a moment on the dialog.
bool KeysPart::heldByAnotherProgram(const HotkeyKey& key) const {
    HWND window = dialog->getHwnd();
    if (RegisterHotKey(window, PROBE_ID, key.modifiers, key.key)) {
        UnregisterHotKey(window, PROBE_ID);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

void KeysPart::showWords() {
    static const UINT WORDS[] = {0, IDS_KEY_RESERVED, IDS_KEY_TWICE, IDS_KEY_IN_USE};
    for (int row = 0; row < HOTKEY_ACTION_COUNT; ++row) {
        Refusal refusal = refusalOf(row);
        refusals[row] = refusal;
        char word[WORD_SIZE] = {};
        if (refusal != KEY_FREE)
            loadUiString(dialog->getInstance(), WORDS[refusal], word, sizeof word);
        dialog->setDlgItemText(IDC_KEY_NOTE0 + row, word);
    }
}

int KeysPart::firstRefusedRow() const {
    for (int row = 0; row < HOTKEY_ACTION_COUNT; ++row)
        if (refusals[row] == KEY_RESERVED || refusals[row] == KEY_TWICE) return row;
    return -1;
}

bool KeysPart::changed() const {
    for (int row = 0; row < HOTKEY_ACTION_COUNT; ++row)
        if (!sameHotkey(keys[row], shownFirst[row])) return true;
    return false;
}
