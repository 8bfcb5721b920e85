#include "settings/TargetFile.h"

#include <windows.h>

#include <cwchar>

#include "settings/FormatText.h"
#include "settings/IniFileRewrite.h"
#include "settings/IniText.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char TARGET_FILE_NAME[] = "target.ini";

// target.ini beside the program; empty when its path does not fit.
void targetFilePath(char (&path)[TARGET_FILE_PATH_SIZE]) {
    C_PathUtil().makeModuleFilePath(path, sizeof path, TARGET_FILE_NAME);
}

// The keys of a section, in the order that a new section is written; the first is the label,
// the others are the conditions.
const char* const TARGET_KEYS[] = {"NAME", "SPEC", "CLASS", "TEXT", "EXE"};
const wchar_t* const CONDITION_KEYS[] = {L"SPEC", L"CLASS", L"TEXT", L"EXE"};
const int TARGET_KEY_COUNT = 5;

void sectionName(int index, wchar_t (&section)[16]) {
    _snwprintf(section, 16, L"TARGET%02d", index);
    section[15] = 0;
}

int firstFreeSlotIn(const IniFile& file) {
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
        wchar_t section[16];
        sectionName(i, section);
        bool free = true;
        for (const wchar_t* key : CONDITION_KEYS) {
            wchar_t value[OTHER_TEXT_SIZE];
            readIniValue(file, section, key, L"-", value, OTHER_TEXT_SIZE);
            free = free && lstrcmpW(value, L"-") == 0;
        }
        if (free) return i;
    }
    return -1;
}

// Whether every value can be written in an ANSI file's code page without a character lost.
bool fitsAnsiCodePage(const wchar_t* const* values, int count) {
    if (GetACP() == CP_UTF8) return true;
    for (int i = 0; i < count; ++i) {
        BOOL lost = FALSE;
        if (values[i])
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, values[i], -1, nullptr, 0, nullptr,
                                &lost);
        if (lost) return false;
    }
    return true;
}

// value in UTF-8 (the rewrite's form), as many whole characters as fit in the entry; "-" for
// none. Whether it fitted whole.
bool setUtf8Value(IniEntry& entry, const wchar_t* value) {
    lstrcpynA(entry.value, "-", sizeof entry.value);
    if (!value) return true;
    int bytes = 0;
    int i = 0;
    while (value[i]) {
        int width = value[i] >= 0xD800 && value[i] <= 0xDBFF && value[i + 1] ? 2 : 1;
        char encoded[8];
        int length = WideCharToMultiByte(CP_UTF8, 0, value + i, width, encoded, sizeof encoded,
                                         nullptr, nullptr);
        if (length <= 0 || bytes + length > static_cast<int>(sizeof entry.value) - 1) break;
        CopyMemory(entry.value + bytes, encoded, length);
        bytes += length;
        i += width;
    }
    entry.value[bytes] = 0;
    return value[i] == 0;
}

// Copies value into a field of WIDTH code units, a longer one cut before the first character
// that does not fit. Whether it fitted whole.
template <int WIDTH>
bool copyWhole(const wchar_t* value, wchar_t (&field)[WIDTH]) {
    int length = lstrlenW(value);
    int kept = length < WIDTH ? length : WIDTH - 1;
    if (kept < length && kept > 0 && IS_HIGH_SURROGATE(value[kept - 1])) --kept;
    wmemcpy(field, value, kept);
    field[kept] = 0;
    return kept == length;
}

// The ANSI copy is for display; the UTF-16 one is the rule. Whether the rule fitted whole.
template <int WIDTH>
bool setText(const wchar_t* value, char (&ansi)[WIDTH], wchar_t (&wide)[WIDTH]) {
    cutToAnsi(value, ansi, WIDTH, WIDTH - 1);
    return copyWhole(value, wide);
}

}  // namespace

void setOtherTargetTexts(OtherTarget& record, const wchar_t* name, const wchar_t* spec,
                         const wchar_t* className, const wchar_t* text, const wchar_t* exe) {
    setText(name, record.name, record.wideName);
    bool whole = setText(spec, record.spec, record.wideSpec);
    whole &= setText(className, record.className, record.wideClassName);
    whole &= setText(text, record.text, record.wideText);
    whole &= copyWhole(exe, record.wideExe);
    record.ruleTooLong = whole ? 0 : 1;
}

int loadOtherTarget(int index, OtherTarget& record) {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    // No path or no file: an empty one, in which every key is missing.
    IniFile file;
    loadIniFile(file, path);
    wchar_t section[16];
    sectionName(index, section);
    // The longest value that any field keeps, with room to tell that it is longer even when the
    // read stops short of a surrogate pair.
    const int size = OTHER_EXE_SIZE + 2;
    wchar_t name[size], spec[size], className[size], text[size], exe[size];
    readIniValue(file, section, L"NAME", L"-", name, size);
    readIniValue(file, section, L"SPEC", L"-", spec, size);
    readIniValue(file, section, L"CLASS", L"-", className, size);
    readIniValue(file, section, L"TEXT", L"-", text, size);
    readIniValue(file, section, L"EXE", L"-", exe, size);
    setOtherTargetTexts(record, name, spec, className, text, exe);
    return 1;
}

int firstFreeTargetSlot() {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    IniFile file;
    loadIniFile(file, path);
    return firstFreeSlotIn(file);
}

TargetFileWrite addOtherTarget(const NewOtherTarget& target, int& slot, unsigned long& error) {
    error = 0;
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    if (!path[0]) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return TARGET_NOT_WRITTEN;
    }
    IniFile file;
    loadIniFile(file, path);
    slot = firstFreeSlotIn(file);
    if (slot < 0) return TARGET_SLOTS_TAKEN;
    const wchar_t* values[TARGET_KEY_COUNT] = {target.name, nullptr, target.className, target.text,
                                               target.exe};
    if (file.encoding == INI_ANSI && !fitsAnsiCodePage(values, TARGET_KEY_COUNT))
        return TARGET_NOT_ENCODABLE;
    char section[16];
    formatText(section, sizeof section, "TARGET%02d", slot);
    IniEntry entries[TARGET_KEY_COUNT];
    for (int k = 0; k < TARGET_KEY_COUNT; ++k) {
        entries[k].section = section;
        lstrcpynA(entries[k].key, TARGET_KEYS[k], sizeof entries[k].key);
        entries[k].found = 0;
        // A cut label is still the user's label; a cut condition would be a weaker rule.
        if (!setUtf8Value(entries[k], values[k]) && k > 0) return TARGET_TOO_LONG;
    }
    IniRewriteResult written = rewriteIniFile(path, entries, TARGET_KEY_COUNT, INI_UTF8_BOM);
    error = GetLastError();
    if (written == INI_REWRITE_WRITTEN) return TARGET_ADDED;
    return written == INI_REWRITE_READ_ONLY ? TARGET_FILE_READ_ONLY : TARGET_NOT_WRITTEN;
}

int editTargetFile() { return openBesideProgram(TARGET_FILE_NAME); }
