#include "framework/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

int openWithShell(const char* path) {
    if (!path || !path[0]) return 0;
    // The system takes the path apart, so a trail byte of 0x5C is never taken for a backslash.
    char folder[MAX_PATH];
    char* fileName = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof folder, folder, &fileName);
    if (length == 0 || length >= sizeof folder || !fileName) return 0;
    *fileName = 0;
    ShellExecuteA(nullptr, "open", path, nullptr, folder, SW_SHOWNORMAL);
    return 1;
}
