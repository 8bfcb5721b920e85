#include "settings/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char SETTINGS_RELATIVE_PATH[] = "Lumo\\Varnel\\default.ini";
const char FALLBACK_FILE_NAME[] = "vrnl.ini";
const DWORD COPY_CHUNK_SIZE = 4096;

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
        snprintf(key, sizeof key, "AP%02d", i);
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
}

struct Reader {
    const char* path;
    void read(const char* section, const char* key, const char* fallback, char* value) {
        GetPrivateProfileStringA(section, key, fallback, value, SETTINGS_VALUE_SIZE, path);
    }
    void flag(const char* section, const char* key, const char* fallback, int& field) {
        char value[SETTINGS_VALUE_SIZE];
        read(section, key, fallback, value);
        field = parseSwitch(value);
    }
    void number(const char* section, const char* key, const char* fallback, int& field) {
        char value[SETTINGS_VALUE_SIZE];
        read(section, key, fallback, value);
        field = parseInteger(value);
    }
};

struct Writer {
    const char* path;
    bool ok;
    void write(const char* section, const char* key, const char* value) {
        ok = WritePrivateProfileStringA(section, key, value, path) && ok;
    }
    void flag(const char* section, const char* key, const char*, int& field) {
        write(section, key, field ? "true" : "false");
    }
    void number(const char* section, const char* key, const char*, int& field) {
        char value[16];
        snprintf(value, sizeof value, "%d", field);
        write(section, key, value);
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

// The file that save writes: the application-data file (its folders created) whenever the
// application-data folder is known, else vrnl.ini beside the program.
void settingsFileToWrite(char* path) {
    C_PathUtil util;
    if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA, "Lumo")) {
        CreateDirectoryA(path, nullptr);
        if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA, "Lumo\\Varnel"))
            CreateDirectoryA(path, nullptr);
        if (util.makeSpecialFolderPath(path, SETTINGS_PATH_SIZE, CSIDL_APPDATA,
                                       SETTINGS_RELATIVE_PATH))
            return;
    }
    util.makeModuleFilePath(path, SETTINGS_PATH_SIZE, FALLBACK_FILE_NAME);
}

// Another program reading the file at that moment (an editor, a virus scanner) keeps it from
// being replaced; it lets go within moments, so the replace is tried again for a while.
bool replaceFile(const char* from, const char* to) {
    const int ATTEMPTS = 20;
    const DWORD PAUSE_MS = 25;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
            error != ERROR_ACCESS_DENIED)
            return false;
        Sleep(PAUSE_MS);
    }
    return false;
}

// The current file's bytes into a new, plain file: a read-only original must not make a copy
// that can be neither written nor deleted. CopyFileA would do, but under Wine each call leaves
// the process a little larger, and a save follows every closing of the main dialog.
bool copyContents(const char* from, const char* to) {
    HANDLE source = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) return false;
    HANDLE target =
        CreateFileA(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = target != INVALID_HANDLE_VALUE;
    char chunk[COPY_CHUNK_SIZE];
    DWORD read = 0;
    while (ok && ReadFile(source, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        DWORD written = 0;
        ok = WriteFile(target, chunk, read, &written, nullptr) && written == read;
    }
    if (target != INVALID_HANDLE_VALUE) CloseHandle(target);
    CloseHandle(source);
    return ok;
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
    int showWelcome = 1;
    Reader reader{path};
    visitKeys(settings, showWelcome, reader);
    settings.waitTime = clampWaitTime(settings.waitTime);
    return showWelcome;
}

// Every key goes into a temporary copy of the settings file, which then replaces it in one
// step: a save cut short by a crash or a kill leaves the old file whole, and keys, sections and
// comments that the user added by hand stay as they were.
int saveSettings(const Settings& settings) {
    char path[SETTINGS_PATH_SIZE] = {};
    settingsFileToWrite(path);
    if (!path[0]) return 1;
    char temporary[SETTINGS_PATH_SIZE + 8];
    snprintf(temporary, sizeof temporary, "%s.tmp", path);
    DeleteFileA(temporary);
    // Without a file yet the copy fails and the keys go into a new one.
    if (!copyContents(path, temporary)) DeleteFileA(temporary);

    Settings copy = settings;
    int showWelcome = 0;
    Writer writer{temporary, true};
    visitKeys(copy, showWelcome, writer);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, temporary);  // flush the profile cache

    if (!writer.ok || !replaceFile(temporary, path)) DeleteFileA(temporary);
    return 1;
}
