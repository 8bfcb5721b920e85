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
    _snwprintf(section, 16, L"TARGET%02d", index);
    section[15] = 0;
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

int editTargetFile() { return openBesideProgram(TARGET_FILE_NAME); }
