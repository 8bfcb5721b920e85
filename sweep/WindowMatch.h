#pragma once

#include <windows.h>

struct OtherTarget;

enum { CLASS_NAME_SIZE = 256, TITLE_SIZE = 256, PROCESS_PATH_SIZE = 4096 };

// One top-level window as a sweep sees it. The class name is read at once; the title only
// when a rule asks for it, since most windows are decided by their class alone.
class VisitedWindow {
public:
    explicit VisitedWindow(HWND window);

    HWND window() const { return hwnd; }
    const char* className() const { return classBuffer; }
    const char* title();

private:
    HWND hwnd;
    int titleRead;
    char classBuffer[CLASS_NAME_SIZE];
    char titleBuffer[TITLE_SIZE];
};

// Byte-exact, case-sensitive text tests.
int endsWith(const char* suffix, const char* text);
int contains(const char* text, const char* part);

// Fills path with the image path of the process that owns window; empty when the process
// cannot be opened or queried.
void readProcessImagePath(HWND window, char* path, DWORD size);

int matchExplorer(VisitedWindow& window);
int matchChromium(VisitedWindow& window);
int matchFirefox(VisitedWindow& window);
// ownDialog is the main dialog's window, which no user-defined target matches.
int matchOtherTarget(VisitedWindow& window, const OtherTarget& target, HWND ownDialog);

// The text condition of a user-defined target: "-" holds for any title, "!x" for titles
// without x, anything else for titles containing it.
int textConditionHolds(const char* text, const char* title);
