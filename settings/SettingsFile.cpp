#include "settings/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstring>

#include "settings/FormatText.h"
#include "settings/IniFileRewrite.h"
#include "settings/IniText.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char SETTINGS_RELATIVE_PATH[] = "Lumo\\Varnel\\default.ini";
const char FALLBACK_FILE_NAME[] = "vrnl.ini";

// The keys of the actions in the order of their hotkey ids; the targets' as AP00 to AP04, as
// their switches are named.
const char* const ACTION_KEY_NAMES[] = {"MAIN", "EX", "IE", "NN", "ALL", "MINIMISE", "RESTORE"};
const int NAMED_ACTIONS = sizeof ACTION_KEY_NAMES / sizeof ACTION_KEY_NAMES[0];

// Read after the mode, whose main-window key is the default of MAIN; a missing key keeps the
// value that the caller gave. A file without the keys reads as the keys of before they could be
// chosen.
template <class Visitor>
void visitHotkeyKeys(Settings& s, Visitor& visit) {
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        char key[INI_NAME_CAP + 1];
        if (i < NAMED_ACTIONS)
            lstrcpynA(key, ACTION_KEY_NAMES[i], sizeof key);
        else
            formatText(key, sizeof key, "AP%02d", i - NAMED_ACTIONS);
        HotkeyKey fallback = i == HOTKEY_MAIN_ACTION ? mainHotkeyOfMode(s.hotkeyMode) : s.keys[i];
        visit.hotkey("KEYS", key, fallback, s.keys[i]);
    }
    visit.number("KEYS", "NOTTAKEN", "0", s.keysNotTakenMark);
}
// One pass over every key of the file, in the file's order, shared by load and save so that
// the two can never disagree about sections, keys or defaults.
template <class Visitor>
void visitKeys(Settings& s, int& showWelcome, Visitor&& visit) {
    TargetSelection& t = s.selection;
    visit.flag("TARGET", "EX", "true", t.targetExplorer);
    visit.flag("TARGET", "IE", "false", t.targetChromium);
    visit.flag("TARGET", "NN", "false", t.targetFirefox);
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
        char key[8];
        formatText(key, sizeof key, "AP%02d", i);
        visit.flag("TARGET", key, "false", t.otherTargets[i].enabled);
    }
    visit.flag("OPTIONS", "TOPMOST", "true", s.showOnTop);
    visit.flag("OPTIONS", "KEEP1ST", "false", s.keepTopmost);
    visit.flag("OPTIONS", "FULLSIZE", "false", s.fullSize);
    visit.number("RECT", "LEFT", "-1", s.dialogLeft);
    visit.number("RECT", "TOP", "-1", s.dialogTop);
    visit.number("HOTKEY", "MODE", "", s.hotkeyMode);
    visit.flag("SETTINGS", "NOBACK", "false", s.nonResident);
    visit.number("SETTINGS", "WAITTIME", "50", s.waitTime);
    visit.flag("SETTINGS", "RUNNEXT", "true", showWelcome);
    visitHotkeyKeys(s, visit);
}

// Varnel's keys in the file's order, each with the value a save writes.
struct Table {
    IniEntry entries[INI_MAX_ENTRIES];
    int count = 0;
    void add(const char* section, const char* key, const char* value) {
        IniEntry& e = entries[count++];
        e.section = section;
        lstrcpynA(e.key, key, sizeof e.key);
        lstrcpynA(e.value, value, sizeof e.value);
        e.found = 0;
    }
    void flag(const char* section, const char* key, const char*, int& field) {
        add(section, key, field ? "true" : "false");
    }
    void number(const char* section, const char* key, const char*, int& field) {
        char value[16];
        formatText(value, sizeof value, "%d", field);
        add(section, key, value);
    }
    void hotkey(const char* section, const char* key, const HotkeyKey&, HotkeyKey& field) {
        char value[HOTKEY_TEXT_SIZE];
        formatHotkey(field, value, sizeof value);
        add(section, key, value);
    }
};

// Takes each field from the entry that reading found, else from its default.
struct Reader {
    const IniEntry* entries;
    int next;
    const char* text(const char* fallback) {
        const IniEntry& e = entries[next++];
        return e.found ? e.value : fallback;
    }
    void flag(const char*, const char*, const char* fallback, int& field) {
        field = parseSwitch(text(fallback));
    }
    void number(const char*, const char*, const char* fallback, int& field) {
        field = parseInteger(text(fallback));
    }
    // An empty value is no key; a text that names no key gives the default, as a missing one does.
    void hotkey(const char*, const char*, const HotkeyKey& fallback, HotkeyKey& field) {
        const IniEntry& e = entries[next++];
        field = fallback;
        if (e.found) parseHotkey(e.value, field);
    }
};

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
    Table table;
    int showWelcome = 1;
    visitKeys(settings, showWelcome, table);
    readIniFile(path, table.entries, table.count);
    Reader reader{table.entries, 0};
    visitKeys(settings, showWelcome, reader);
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
    Table table;
    Settings copy = settings;
    int showWelcome = 0;
    visitKeys(copy, showWelcome, table);
    rewriteIniFile(path, table.entries, table.count, INI_ANSI);
    return 1;
}
