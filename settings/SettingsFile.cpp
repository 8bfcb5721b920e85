#include "settings/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "settings/IniStream.h"
#include "settings/IniText.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char SETTINGS_RELATIVE_PATH[] = "Lumo\\Varnel\\default.ini";
const char FALLBACK_FILE_NAME[] = "vrnl.ini";
const DWORD STREAM_BLOCK_SIZE = 32768;
const char TEMPORARY_PATTERN[] = "~vrn%04x";  // no longer than either file's own name
const char TEMPORARY_WILDCARD[] = "~vrn????";
const ULONGLONG STALE_AFTER = 60ull * 10000000;  // one minute in 100 ns units

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
        snprintf(value, sizeof value, "%d", field);
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
};

struct FileSink final : IniSink {
    HANDLE file;
    bool ok;
    explicit FileSink(HANDLE file) : file(file), ok(true) {}
    void put(const unsigned char* bytes, DWORD size) override {
        DWORD written = 0;
        ok = ok && WriteFile(file, bytes, size, &written, nullptr) && written == size;
    }
};

// One pass over the whole file in fixed blocks; the encoding (and so the BOM that a rewrite
// keeps) is told by the first block. False when a read fails or the text was not the expected.
bool streamFile(HANDLE file, IniEntry* entries, int count, IniSink* sink) {
    unsigned char block[STREAM_BLOCK_SIZE];
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE && !ReadFile(file, block, sizeof block, &read, nullptr))
        return false;
    IniEncoding encoding = detectIniEncoding(block, read);
    DWORD bom = read < iniBomSize(encoding) ? read : iniBomSize(encoding);
    if (sink) sink->put(block, bom);
    IniStream stream(entries, count, encoding == INI_UTF16LE ? 2 : 1, sink);
    stream.feed(block + bom, read - bom);
    while (read == sizeof block) {
        if (!ReadFile(file, block, sizeof block, &read, nullptr)) return false;
        stream.feed(block, read);
    }
    return stream.finish() != 0;
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

HANDLE openToRead(const char* path) {
    // Others may replace the file meanwhile (the handle keeps what it opened); nobody may
    // write into it while it is read.
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool isReadOnly(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

ULONGLONG ticksOf(const FILETIME& time) {
    return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// Temporary files that saves cut short by a kill left in folder (which ends in a backslash). One
// that a save is writing is open without sharing and young, so it stays.
void removeStaleTemporaries(const char* folder) {
    char pattern[SETTINGS_PATH_SIZE];
    snprintf(pattern, sizeof pattern, "%s%s", folder, TEMPORARY_WILDCARD);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        char stale[SETTINGS_PATH_SIZE];
        snprintf(stale, sizeof stale, "%s%s", folder, found.cFileName);
        if (ticksOf(now) - ticksOf(found.ftLastWriteTime) > STALE_AFTER) DeleteFileA(stale);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A new file of a name of its own beside path, for one save: every process that saves at the
// same moment has its own. Its name is no longer than the settings file's, so it fits wherever
// that fits.
HANDLE createTemporary(const char* path, char (&temporary)[SETTINGS_PATH_SIZE]) {
    const int ATTEMPTS = 64;
    lstrcpynA(temporary, path, sizeof temporary);
    C_PathUtil::truncateAfterLast(temporary, '\\');
    removeStaleTemporaries(temporary);
    int folder = lstrlenA(temporary);
    DWORD seed = GetCurrentProcessId() * 40503u + GetTickCount();
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        snprintf(temporary + folder, sizeof temporary - folder, TEMPORARY_PATTERN,
                 static_cast<unsigned>((seed + attempt * 7919u) & 0xFFFF));
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// The new file in full: every line of the current one (source; none yet when invalid) with
// Varnel's keys set to their new values, in the current one's encoding.
bool writeNewFile(HANDLE source, HANDLE target, Table& table) {
    if (source != INVALID_HANDLE_VALUE) {
        Table seen = table;
        if (!streamFile(source, seen.entries, seen.count, nullptr)) return false;
        for (int e = 0; e < table.count; ++e) table.entries[e].found = seen.entries[e].found;
        if (SetFilePointer(source, 0, nullptr, FILE_BEGIN) != 0) return false;
    }
    FileSink sink(target);
    return streamFile(source, table.entries, table.count, &sink) && sink.ok &&
           FlushFileBuffers(target);
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
    HANDLE file = openToRead(path);
    if (file != INVALID_HANDLE_VALUE) {
        streamFile(file, table.entries, table.count, nullptr);
        CloseHandle(file);
    }
    Reader reader{table.entries, 0};
    visitKeys(settings, showWelcome, reader);
    settings.waitTime = clampWaitTime(settings.waitTime);
    // Saves leave a read-only file as it is, so its welcome flag would never go off.
    return isReadOnly(path) ? 0 : showWelcome;
}

// The new content goes into a temporary file of this save's own, which then replaces the
// settings file in one step: a save cut short, or racing another process's save, never leaves
// a partial file, and the last whole save wins. Keys, sections and comments that the user added
// by hand stay as they were. Whatever keeps the current file from being read keeps this save
// from happening; the next save tries again.
int saveSettings(const Settings& settings) {
    char path[SETTINGS_PATH_SIZE] = {};
    settingsFileToWrite(path);
    // A read-only file is the user's wish that Varnel leave it alone (and Windows would refuse
    // to replace it); a folder of that name cannot be written.
    if (!path[0] || isReadOnly(path) || fileExists(path, 1)) return 1;
    Table table;
    Settings copy = settings;
    int showWelcome = 0;
    visitKeys(copy, showWelcome, table);

    HANDLE source = openToRead(path);
    DWORD error = GetLastError();
    if (source == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND &&
        error != ERROR_PATH_NOT_FOUND)
        return 1;
    char temporary[SETTINGS_PATH_SIZE];
    HANDLE target = createTemporary(path, temporary);
    bool ok = target != INVALID_HANDLE_VALUE && writeNewFile(source, target, table);
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    if (target == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(target);
    if (!ok || !replaceFile(temporary, path)) DeleteFileA(temporary);
    return 1;
}
