#include "settings/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstring>

#include "framework/FormatText.h"
#include "settings/IniFileRewrite.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char SETTINGS_RELATIVE_PATH[] = "Lumo\\Varnel\\default.ini";
const char FALLBACK_FILE_NAME[] = "vrnl.ini";
// The welcome flag follows the table's keys; it is no field of the record.
const char WELCOME_SECTION[] = "SETTINGS";
const char WELCOME_KEY[] = "RUNNEXT";
// After the table's keys and the welcome flag, the actions' keys and then the mark of the keys
// told of, all in one section.
const int FIRST_HOTKEY_ENTRY = SETTING_KEY_COUNT + 1;
const int NOT_TAKEN_ENTRY = FIRST_HOTKEY_ENTRY + HOTKEY_ACTION_COUNT;
const char NOT_TAKEN_KEY[] = "NOTTAKEN";

void setEntry(IniEntry& entry, const char* section, const char* key, SettingForm form, int value) {
    entry = IniEntry();
    entry.section = section;
    lstrcpynA(entry.key, key, sizeof entry.key);
    if (form == SETTING_SWITCH)
        lstrcpynA(entry.value, value ? "true" : "false", sizeof entry.value);
    else
        formatText(entry.value, sizeof entry.value, "%d", value);
}

// The keys of the actions in the order of their hotkey ids; the targets' as AP00 to AP04, as
// their switches are named.
const char HOTKEY_SECTION[] = "KEYS";
const char* const ACTION_KEY_NAMES[] = {"MAIN", "EX", "IE", "NN", "ALL", "MINIMISE", "RESTORE"};
const int NAMED_ACTIONS = sizeof ACTION_KEY_NAMES / sizeof ACTION_KEY_NAMES[0];

void setHotkeyEntry(IniEntry& entry, int action, const HotkeyKey& key) {
    entry = IniEntry();
    entry.section = HOTKEY_SECTION;
    if (action < NAMED_ACTIONS)
        lstrcpynA(entry.key, ACTION_KEY_NAMES[action], sizeof entry.key);
    else
        formatText(entry.key, sizeof entry.key, "AP%02d", action - NAMED_ACTIONS);
    formatHotkey(key, entry.value, sizeof entry.value);
}

// Varnel's keys in the file's order, each with the value that a save writes. The count.
int tableOf(Settings& settings, int showWelcome, IniEntry (&entries)[INI_MAX_ENTRIES]) {
    for (int k = 0; k < SETTING_KEY_COUNT; ++k) {
        const SettingKey& key = SETTING_KEYS[k];
        setEntry(entries[k], key.section, key.key, key.form, key.field(settings));
    }
    setEntry(entries[SETTING_KEY_COUNT], WELCOME_SECTION, WELCOME_KEY, SETTING_SWITCH, showWelcome);
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i)
        setHotkeyEntry(entries[FIRST_HOTKEY_ENTRY + i], i, settings.keys[i]);
    setEntry(entries[NOT_TAKEN_ENTRY], HOTKEY_SECTION, NOT_TAKEN_KEY, SETTING_INTEGER,
             settings.keysNotTakenMark);
    return NOT_TAKEN_ENTRY + 1;
}

int valueOf(const IniEntry& entry, SettingForm form, int fallback) {
    if (!entry.found) return fallback;
    return form == SETTING_SWITCH ? parseSwitch(entry.value) : parseInteger(entry.value);
}

// Read after the mode, whose main-window key is the default of MAIN; a missing key keeps the
// value that the caller gave, and a text that names no key the default. A file without the keys
// reads as the keys of before they could be chosen.
void takeHotkeys(Settings& settings, const IniEntry* entries) {
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        HotkeyKey& key = settings.keys[i];
        if (i == HOTKEY_MAIN_ACTION) key = mainHotkeyOfMode(settings.hotkeyMode);
        if (entries[i].found) parseHotkey(entries[i].value, key);
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The file that load reads: the application-data file when it exists as a file, else
// vrnl.ini beside the program (the first start's source), existing or not.
void settingsFileToRead(char* path) {
    C_PathUtil util;
    if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA,
                                   SETTINGS_RELATIVE_PATH) &&
        fileExists(path, 0))
        return;
    util.makeModuleFilePath(path, SETTINGS_PATH_SIZE, FALLBACK_FILE_NAME);
}

// The file that save writes: the application-data file (its folders created) whenever its
// folder is there or can be made, else vrnl.ini beside the program, which load then reads
// (a file named Lumo in the way would otherwise make every save fail and bring the welcome
// window back at every start).
void settingsFileToWrite(char* path) {
    C_PathUtil util;
    if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA, "Lumo")) {
        CreateDirectoryA(path, nullptr);
        if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA, "Lumo\\Varnel"))
            CreateDirectoryA(path, nullptr);
        if (fileExists(path, 1) &&
            util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA,
                                       SETTINGS_RELATIVE_PATH))
            return;
    }
    util.makeModuleFilePath(path, SETTINGS_PATH_SIZE, FALLBACK_FILE_NAME);
}

}  // namespace

int parseSwitch(const char* text) { return strcmp(text, "true") == 0 ? 1 : 0; }

int parseInteger(const char* text) {
    while (isBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

int loadSettings(Settings& settings) {
    char path[SETTINGS_PATH_SIZE] = {};
    settingsFileToRead(path);
    IniEntry entries[INI_MAX_ENTRIES];
    int count = tableOf(settings, 1, entries);
    readIniFile(path, entries, count);
    for (int k = 0; k < SETTING_KEY_COUNT; ++k) {
        const SettingKey& key = SETTING_KEYS[k];
        key.field(settings) = valueOf(entries[k], key.form, key.initial);
    }
    int showWelcome = valueOf(entries[SETTING_KEY_COUNT], SETTING_SWITCH, 1);
    takeHotkeys(settings, entries + FIRST_HOTKEY_ENTRY);
    settings.keysNotTakenMark = valueOf(entries[NOT_TAKEN_ENTRY], SETTING_INTEGER, 0);
    settings.waitTime = clampWaitTime(settings.waitTime);
    // Saves leave a read-only file as it is, so its welcome flag would never go off.
    return isReadOnlyFile(path) ? 0 : showWelcome;
}

// Keys, sections and comments that the user added by hand stay as they were. Whatever keeps
// the current file from being read or replaced keeps this save from happening; the next save
// tries again.
int saveSettings(const Settings& settings) {
    char path[SETTINGS_PATH_SIZE] = {};
    settingsFileToWrite(path);
    IniEntry entries[INI_MAX_ENTRIES];
    Settings copy = settings;
    rewriteIniFile(path, entries, tableOf(copy, 0, entries), INI_ANSI);
    return 1;
}
