// Stands in for a program the shell starts (an editor for .ini files, the autorun registrar):
// appends its command line and working folder to %TEMP%\varnel-recorder.txt and exits.

#include <windows.h>

#include <cstdio>

int main() {
    char temp[MAX_PATH] = {}, log[MAX_PATH + 32], folder[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    snprintf(log, sizeof log, "%svarnel-recorder.txt", temp);
    GetCurrentDirectoryA(sizeof folder, folder);
    FILE* out = fopen(log, "ab");
    if (!out) return 1;
    fprintf(out, "command %s\nfolder %s\n", GetCommandLineA(), folder);
    return fclose(out) == 0 ? 0 : 1;
}
