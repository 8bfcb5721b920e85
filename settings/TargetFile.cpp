#include "settings/TargetFile.h"

#include <windows.h>

#include <cwchar>

#include "settings/IniText.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

const char TARGET_FILE_NAME[] = "target.ini";

// target.ini beside the program; empty when its path does not fit.
void targetFilePath(char (&path)[TARGET_FILE_PATH_SIZE]) {
    C_PathUtil().makeModuleFilePath(path, sizeof path, TARGET_FILE_NAME);
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
    _snwprintf(section, 16, L"TARGET%02d", index);
    section[15] = 0;
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

int editTargetFile() { return openBesideProgram(TARGET_FILE_NAME); }
