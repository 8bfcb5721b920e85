// Saves the settings file again and again, alternating between two records that differ in
// every integer, until the test kills it. Each finished save bumps a counter in the shared
// memory named on the command line, so the test knows saves are under way.

#include <windows.h>

#include <cstdlib>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, argv[1]);
    if (!mapping) return 1;
    auto* saves = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!saves) return 1;

    Settings records[2];
    for (int i = 0; i < 2; ++i) {
        setInitialSettings(records[i]);
        Settings& s = records[i];
        int on = i == 0;
        s.selection.targetExplorer = !on;
        s.selection.targetChromium = on;
        s.selection.targetFirefox = on;
        for (OtherTarget& t : s.selection.otherTargets) t.enabled = on;
        s.showOnTop = !on;
        s.keepTopmost = on;
        s.fullSize = on;
        s.nonResident = on;
        s.dialogLeft = 1000 + i;
        s.dialogTop = 2000 + i;
        s.hotkeyMode = 1 - i;
        s.keys[HOTKEY_MAIN_ACTION] = mainHotkeyOfMode(s.hotkeyMode);
        s.waitTime = 10 + i;
    }
    for (unsigned n = 0;; ++n) {
        saveSettings(records[n & 1]);
        InterlockedIncrement(saves);
    }
}
