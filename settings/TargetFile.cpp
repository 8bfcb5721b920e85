#include "settings/TargetFile.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "framework/FormatText.h"
#include "settings/IniFileRewrite.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char TARGET_FILE_NAME[] = "target.ini";

// The keys of a section, in the order that a new section is written; the first is the label,
// the others are the conditions.
const char* const TARGET_KEYS[] = {"NAME", "SPEC", "CLASS", "TEXT", "EXE"};
enum { TARGET_KEY_COUNT = 5, SECTION_NAME_SIZE = 16 };
// The longest value that any field keeps, with room to tell that it is longer even when the
// read stops short of a surrogate pair.
enum { READ_VALUE_SIZE = OTHER_EXE_SIZE + 2 };

void targetSectionName(int index, char (&section)[SECTION_NAME_SIZE]) {
    formatText(section, sizeof section, "TARGET%02d", index);
}

// The keys of one target's section, each value to be decoded into wide[k] where given.
void setTargetEntries(const char* section, IniEntry* entries,
                      wchar_t (*wide)[READ_VALUE_SIZE] = nullptr) {
    for (int k = 0; k < TARGET_KEY_COUNT; ++k) {
        entries[k] = IniEntry();
        entries[k].section = section;
        lstrcpynA(entries[k].key, TARGET_KEYS[k], sizeof entries[k].key);
        if (wide) {
            entries[k].wide = wide[k];
            entries[k].wideSize = READ_VALUE_SIZE;
        }
    }
}

// The sections of all five targets as the file has them, and the file's encoding.
struct TargetSections {
    char names[OTHER_TARGET_COUNT][SECTION_NAME_SIZE];
    IniEntry entries[OTHER_TARGET_COUNT * TARGET_KEY_COUNT];
    IniEncoding encoding;
};

void readTargetSections(const char* path, TargetSections& file) {
    IniEntry* section = file.entries;
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i, section += TARGET_KEY_COUNT) {
        targetSectionName(i, file.names[i]);
        setTargetEntries(file.names[i], section);
    }
    readIniFile(path, file.entries, OTHER_TARGET_COUNT * TARGET_KEY_COUNT, &file.encoding);
}

int firstFreeSlotIn(const TargetSections& file) {
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
        bool free = true;
        for (int k = 1; k < TARGET_KEY_COUNT; ++k) {
            const IniEntry& entry = file.entries[i * TARGET_KEY_COUNT + k];
            free = free && (!entry.found || strcmp(entry.value, "-") == 0);
        }
        if (free) return i;
    }
    return -1;
}

enum { TEXT_KEY = 3, EXE_KEY = 4 };
// A value as written, with room for a pair of quotes around the longest condition (and so
// around any label, which is shorter).
enum { LITERAL_SIZE = OTHER_EXE_SIZE + 2 };

// What no value can hold: each ends a line, or may, for one editor or another.
bool isControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// Whether a condition's value, written in its literal form, reads back as the same rule: "-" sets
// no condition, an empty text is in every title, a leading "!" negates a title or program, and a
// control character would end the line or hide in it.
bool readsAsItself(const wchar_t* value, bool negatable) {
    if (!value[0] || lstrcmpW(value, L"-") == 0 || (negatable && value[0] == L'!')) return false;
    for (const wchar_t* c = value; *c; ++c)
        if (isControl(*c)) return false;
    return true;
}

// value as target.ini must hold it to read back whole: in quotes where the reader would take
// blanks around it or a pair of quotes off. False when that does not fit.
bool literalForm(const wchar_t* value, wchar_t (&out)[LITERAL_SIZE]) {
    int length = lstrlenW(value);
    bool quoted =
        length > 0 &&
        (value[0] == L' ' || value[length - 1] == L' ' ||
         (length >= 2 && (value[0] == L'"' || value[0] == L'\'') && value[length - 1] == value[0]));
    int total = length + (quoted ? 2 : 0);
    if (total > LITERAL_SIZE - 1) return false;
    int at = 0;
    if (quoted) out[at++] = L'"';
    wmemcpy(out + at, value, length);
    at += length;
    if (quoted) out[at++] = L'"';
    out[at] = 0;
    return true;
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
    char section[SECTION_NAME_SIZE];
    targetSectionName(index, section);
    wchar_t values[TARGET_KEY_COUNT][READ_VALUE_SIZE];
    IniEntry entries[TARGET_KEY_COUNT];
    setTargetEntries(section, entries, values);
    // No path or no file: every key is missing.
    readIniFile(path, entries, TARGET_KEY_COUNT);
    for (int k = 0; k < TARGET_KEY_COUNT; ++k)
        if (!entries[k].found) lstrcpyW(values[k], L"-");
    setOtherTargetTexts(record, values[0], values[1], values[2], values[3], values[4]);
    return 1;
}

int firstFreeTargetSlot() {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    TargetSections file;
    readTargetSections(path, file);
    return firstFreeSlotIn(file);
}

void removeControlCharacters(wchar_t* text) {
    wchar_t* kept = text;
    for (const wchar_t* c = text; *c; ++c)
        if (!isControl(*c)) *kept++ = *c;
    *kept = 0;
}

TargetFileWrite addOtherTarget(const NewOtherTarget& target, int& slot, unsigned long& error) {
    error = 0;
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    if (!path[0]) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return TARGET_NOT_WRITTEN;
    }
    // The label loses what cannot stand in one line; a condition without it would be another.
    wchar_t name[OTHER_NAME_SIZE] = {};
    lstrcpynW(name, target.name ? target.name : L"", OTHER_NAME_SIZE);
    removeControlCharacters(name);
    const wchar_t* values[TARGET_KEY_COUNT] = {name[0] ? name : nullptr, nullptr, target.className,
                                               target.text, target.exe};
    wchar_t literals[TARGET_KEY_COUNT][LITERAL_SIZE];
    for (int k = 0; k < TARGET_KEY_COUNT; ++k) {
        if (!values[k]) continue;
        if (k > 0 && !readsAsItself(values[k], k == TEXT_KEY || k == EXE_KEY))
            return TARGET_NOT_LITERAL;
        if (!literalForm(values[k], literals[k])) return TARGET_TOO_LONG;
        values[k] = literals[k];
    }
    TargetSections file;
    readTargetSections(path, file);
    slot = firstFreeSlotIn(file);
    if (slot < 0) return TARGET_SLOTS_TAKEN;
    if (file.encoding == INI_ANSI && !fitsAnsiCodePage(values, TARGET_KEY_COUNT))
        return TARGET_NOT_ENCODABLE;
    char section[SECTION_NAME_SIZE];
    targetSectionName(slot, section);
    IniEntry entries[TARGET_KEY_COUNT];
    setTargetEntries(section, entries);
    // A cut label is still the user's label; a cut condition would be a weaker rule.
    for (int k = 0; k < TARGET_KEY_COUNT; ++k)
        if (!setUtf8Value(entries[k], values[k]) && k > 0) return TARGET_TOO_LONG;
    IniRewriteResult written =
        rewriteIniFile(path, entries, TARGET_KEY_COUNT, INI_UTF8_BOM, INI_STAYS_ANSI);
    error = GetLastError();
    switch (written) {
    case INI_REWRITE_WRITTEN:
        return TARGET_ADDED;
    case INI_REWRITE_READ_ONLY:
        return TARGET_FILE_READ_ONLY;
    case INI_REWRITE_ENCODING_CHANGED:
        return TARGET_NOT_ENCODABLE;
    default:
        return TARGET_NOT_WRITTEN;
    }
}

char* targetFilePath(char (&path)[TARGET_FILE_PATH_SIZE]) {
    return C_PathUtil().makeModuleFilePath(path, sizeof path, TARGET_FILE_NAME);
}
