// Writes what the path utilities make of this program's own location, one result a line, into
// the file named by its argument: the folder (260 bytes), target.ini (260) and vrnl.ini (310);
// with a second argument "edit", then what opening target.ini and starting the registrar return.

#include <cstdio>
#include <cstring>

#include "framework/ShellOpen.h"
#include "settings/PathUtil.h"
#include "settings/TargetFile.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    C_PathUtil util;
    char folder[260], target[260], settings[310];
    util.getModuleFolder(folder, sizeof folder);
    util.makeModuleFilePath(target, sizeof target, "target.ini");
    util.makeModuleFilePath(settings, sizeof settings, "vrnl.ini");
    FILE* out = fopen(argv[1], "wb");
    if (!out) return 3;
    fprintf(out, "%s\n%s\n%s\n", folder, target, settings);
    char quillon[260];
    if (argc > 2 && strcmp(argv[2], "edit") == 0)
        fprintf(out, "%d\n%d\n", openWithShell(targetFilePath(target)),
                openWithShell(util.makeModuleFilePath(quillon, sizeof quillon, "Quillon.exe")));
    return fclose(out) == 0 ? 0 : 4;
}
