#include "settings/TargetFile.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "settings/PathUtil.h"
#include "settings/Settings.h"

namespace {

// target.ini beside the program; empty when its path does not fit.
void targetFilePath(char (&path)[TARGET_FILE_PATH_SIZE]) {
    C_PathUtil().makeModuleFilePath(path, sizeof path, "target.ini");
}

}  // namespace

int loadOtherTarget(int index, OtherTarget& record) {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    char section[16];
    snprintf(section, sizeof section, "TARGET%02d", index);
    GetPrivateProfileStringA(section, "NAME", "-", record.name, sizeof record.name, path);
    GetPrivateProfileStringA(section, "SPEC", "-", record.spec, sizeof record.spec, path);
    GetPrivateProfileStringA(section, "CLASS", "-", record.className, sizeof record.className,
                             path);
    GetPrivateProfileStringA(section, "TEXT", "-", record.text, sizeof record.text, path);
    return 1;
}

int editTargetFile() {
    char path[TARGET_FILE_PATH_SIZE] = {};
    targetFilePath(path);
    // No path, no file to open: an empty folder would have the shell look in the current one.
    if (!path[0]) return 0;
    char folder[TARGET_FILE_PATH_SIZE];
    lstrcpynA(folder, path, sizeof folder);
    C_PathUtil::truncateAfterLast(folder, '\\');
    ShellExecuteA(nullptr, "open", path, nullptr, folder, SW_SHOWNORMAL);
    return 1;
}
