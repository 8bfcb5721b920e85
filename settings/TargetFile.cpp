#include "settings/TargetFile.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "settings/PathUtil.h"
#include "settings/Settings.h"

int loadOtherTarget(int index, OtherTarget& record) {
    char path[TARGET_FILE_PATH_SIZE] = {};
    C_PathUtil().makeModuleFilePath(path, sizeof path, "target.ini");
    char section[16];
    snprintf(section, sizeof section, "TARGET%02d", index);
    GetPrivateProfileStringA(section, "NAME", "-", record.name, sizeof record.name, path);
    GetPrivateProfileStringA(section, "SPEC", "-", record.spec, sizeof record.spec, path);
    GetPrivateProfileStringA(section, "CLASS", "-", record.className, sizeof record.className, path);
    GetPrivateProfileStringA(section, "TEXT", "-", record.text, sizeof record.text, path);
    return 1;
}

int editTargetFile() {
    char folder[TARGET_FILE_PATH_SIZE] = {};
    C_PathUtil().getModuleFolder(folder, sizeof folder);
    ShellExecuteA(nullptr, "open", "target.ini", nullptr, folder, SW_SHOWNORMAL);
    return 1;
}
