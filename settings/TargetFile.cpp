#include "settings/TargetFile.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

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
// none.
void setUtf8Value(IniEntry& entry, const wchar_t* value) {
    lstrcpynA(entry.value, "-", sizeof entry.value);
    if (!value) return;
    int bytes = 0;
    for (int i = 0; value[i];) {
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
}

template <int WIDTH>
void setText(const wchar_t* value, char (&ansi)[WIDTH], wchar_t (&wide)[WIDTH]) {
    int units = cutToAnsi(value, ansi, WIDTH, WIDTH - 1);
    lstrcpynW(wide, value, units + 1);
}

}  // namespace

void setOtherTargetTexts(OtherTarget& record, const wchar_t* name, const wchar_t* spec,
                         const wchar_t* className, const wchar_t* text) {
    setText(name, record.name, record.wideName);
    setText(spec, record.spec, record.wideSpec);
    setText(className, record.className, record.wideClassName);
    setText(text, record.text, record.wideText);
}

int loadOtherTarget(int index, OtherTarget& record) {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    // No path or no file: an empty one, in which every key is missing.
    IniFile file;
    loadIniFile(file, path);
    wchar_t section[16];
    sectionName(index, section);
    // The longest value that any field keeps, with room to tell that it is longer.
    wchar_t name[OTHER_TEXT_SIZE + 1], spec[OTHER_TEXT_SIZE + 1], className[OTHER_TEXT_SIZE + 1],
        text[OTHER_TEXT_SIZE + 1];
    readIniValue(file, section, L"NAME", L"-", name, OTHER_TEXT_SIZE + 1);
    readIniValue(file, section, L"SPEC", L"-", spec, OTHER_TEXT_SIZE + 1);
    readIniValue(file, section, L"CLASS", L"-", className, OTHER_TEXT_SIZE + 1);
    readIniValue(file, section, L"TEXT", L"-", text, OTHER_TEXT_SIZE + 1);
    setOtherTargetTexts(record, name, spec, className, text);
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
    snprintf(section, sizeof section, "TARGET%02d", slot);
    IniEntry entries[TARGET_KEY_COUNT];
    for (int k = 0; k < TARGET_KEY_COUNT; ++k) {
        entries[k].section = section;
        lstrcpynA(entries[k].key, TARGET_KEYS[k], sizeof entries[k].key);
        setUtf8Value(entries[k], values[k]);
        entries[k].found = 0;
    }
    IniRewriteResult written = rewriteIniFile(path, entries, TARGET_KEY_COUNT, INI_UTF8_BOM);
    error = GetLastError();
    if (written == INI_REWRITE_WRITTEN) return TARGET_ADDED;
    return written == INI_REWRITE_READ_ONLY ? TARGET_FILE_READ_ONLY : TARGET_NOT_WRITTEN;
}

int editTargetFile() { return openBesideProgram(TARGET_FILE_NAME); }
