#include "settings/HotkeyKey.h"

#include <cstring>

#include "framework/FormatText.h"

namespace {

const UINT ALL_THREE = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
const int FUNCTION_KEYS = 24;

struct Modifier {
    UINT flag;
    const char* name;
};
const Modifier MODIFIERS[] = {
    {MOD_CONTROL, "Ctrl"}, {MOD_ALT, "Alt"}, {MOD_SHIFT, "Shift"}, {MOD_WIN, "Win"}};

struct NamedKey {
    UINT key;
    const char* name;
};
const NamedKey NAMED_KEYS[] = {
    {VK_SPACE, "Space"},
    {VK_PRIOR, "PageUp"},
    {VK_NEXT, "PageDown"},
    {VK_END, "End"},
    {VK_HOME, "Home"},
    {VK_LEFT, "Left"},
    {VK_UP, "Up"},
    {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},
    {VK_INSERT, "Insert"},
    {VK_DELETE, "Delete"},
    {VK_BACK, "Backspace"},
    {VK_TAB, "Tab"},
    {VK_RETURN, "Enter"},
    {VK_ESCAPE, "Esc"},
    {VK_PAUSE, "Pause"},
    {VK_SNAPSHOT, "PrintScreen"},
    {VK_SCROLL, "ScrollLock"},
    {VK_MULTIPLY, "NumMultiply"},
    {VK_ADD, "NumAdd"},
    {VK_SUBTRACT, "NumSubtract"},
    {VK_DECIMAL, "NumDecimal"},
    {VK_DIVIDE, "NumDivide"},
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Names compare ignoring ASCII case, whatever the code page; the first count characters, or all.
bool sameName(const char* a, const char* b, size_t count = static_cast<size_t>(-1)) {
    for (size_t i = 0; i < count; ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
        if (!a[i]) return true;
    }
    return true;
}

bool isLetterOrDigit(UINT key) { return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'); }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The key of one name: a letter or digit, F1 to F24, Num0 to Num9, a named key, or "VK" and
// two hex digits for any other. 0 for none of these.
UINT keyOfName(const char* name) {
    size_t length = strlen(name);
    if (length == 1) {
        UINT c = static_cast<unsigned char>(upper(name[0]));
        return isLetterOrDigit(c) ? c : 0;
    }
    for (const NamedKey& named : NAMED_KEYS)
        if (sameName(name, named.name)) return named.key;
    if (upper(name[0]) == 'F' && length <= 3) {
        int number = 0;
        for (const char* p = name + 1; *p; ++p) {
            if (*p < '0' || *p > '9') return 0;
            number = number * 10 + (*p - '0');
        }
        return number >= 1 && number <= FUNCTION_KEYS ? VK_F1 + number - 1 : 0;
    }
    if (length == 4 && sameName(name, "Num", 3) && name[3] >= '0' && name[3] <= '9')
        return VK_NUMPAD0 + (name[3] - '0');
    if (length == 4 && sameName(name, "VK", 2)) {
        int high = hexDigit(name[2]), low = hexDigit(name[3]);
        if (high >= 0 && low >= 0) return static_cast<UINT>(high * 16 + low);
    }
    return 0;
}

void formatKeyName(UINT key, char* text, int size) {
    if (isLetterOrDigit(key)) {
        formatText(text, size, "%c", static_cast<int>(key));
        return;
    }
    if (key >= VK_F1 && key < VK_F1 + FUNCTION_KEYS) {
        formatText(text, size, "F%u", key - VK_F1 + 1);
        return;
    }
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
        formatText(text, size, "Num%u", key - VK_NUMPAD0);
        return;
    }
    for (const NamedKey& named : NAMED_KEYS)
        if (named.key == key) {
            lstrcpynA(text, named.name, size);
            return;
        }
    formatText(text, size, "VK%02X", key & 0xFF);
}

// Copies the part of text from start to end without the blanks around it.
void trimmedPart(const char* start, const char* end, char* part, int size) {
    while (start < end && (*start == ' ' || *start == '\t')) ++start;
    while (end > start && (end[-1] == ' ' || end[-1] == '\t')) --end;
    int length = static_cast<int>(end - start);
    if (length >= size) length = size - 1;
    memcpy(part, start, static_cast<size_t>(length));
    part[length] = 0;
}

}  // namespace

HotkeyKey mainHotkeyOfMode(int hotkeyMode) {
    return hotkeyMode == 1 ? HotkeyKey{MOD_ALT | MOD_SHIFT, 'W'} : HotkeyKey{ALL_THREE, 'W'};
}

int formatHotkey(const HotkeyKey& key, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = 0;
    if (!key.key) return 0;
    char name[HOTKEY_TEXT_SIZE];
    formatKeyName(key.key, name, sizeof name);
    int length = 0;
    for (const Modifier& m : MODIFIERS)
        if (key.modifiers & m.flag)
            length += formatText(text + length, static_cast<size_t>(size - length), "%s+", m.name);
    return length + formatText(text + length, static_cast<size_t>(size - length), "%s", name);
}

bool parseHotkey(const char* text, HotkeyKey& key) {
    HotkeyKey read = {0, 0};
    const char* start = text;
    for (;;) {
        const char* plus = strchr(start, '+');
        const char* end = plus ? plus : start + strlen(start);
        char part[HOTKEY_TEXT_SIZE];
        trimmedPart(start, end, part, sizeof part);
        if (!plus) {
            if (!part[0] && start == text) break;  // an empty text: no key
            read.key = keyOfName(part);
            if (!read.key) return false;
            break;
        }
        UINT flag = 0;
        for (const Modifier& m : MODIFIERS)
            if (sameName(part, m.name)) flag = m.flag;
        if (!flag) return false;
        read.modifiers |= flag;
        start = plus + 1;
    }
    key = read;
    return true;
}

bool isReservedHotkey(const HotkeyKey& key) {
    return key.key && ((key.modifiers & MOD_WIN) || key.key == VK_F12);
}
