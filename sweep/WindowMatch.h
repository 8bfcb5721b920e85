#pragma once

#include <windows.h>

#include "sweep/ProgramImage.h"

struct OtherTarget;

// In code units.
enum { CLASS_NAME_SIZE = 256, TITLE_SIZE = 256 };

// One top-level window as a sweep sees it, in UTF-16 as the system holds it: read through a
// code page, a character it lacks would become "?" and a rule could then match in its place. The
// class name is read at once; the rest only when a rule asks for it, since most windows are
// decided by their class alone.
class VisitedWindow {
public:
    // programs: the images that the sweep has read so far, each process's at most once.
    VisitedWindow(HWND window, ProgramImageCache& programs);

    HWND window() const { return hwnd; }
    const wchar_t* className() const { return classBuffer; }
    const wchar_t* title();
    // The owning process; 0 once the window is gone.
    DWORD processId();
    const ProgramImage& program();
    // isUserWindow, asked once.
    int userWindow();

private:
    HWND hwnd;
    ProgramImageCache& cache;
    int titleRead;
    int userWindowState;  // -1 until asked
    int processRead;
    DWORD process;
    const ProgramImage* image;
    wchar_t classBuffer[CLASS_NAME_SIZE];
    wchar_t titleBuffer[TITLE_SIZE];
};

// Exact, case-sensitive text tests, code unit by code unit.
int endsWith(const wchar_t* suffix, const wchar_t* text);
int contains(const wchar_t* text, const wchar_t* part);

// The built-in kinds take only windows that the user sees as his (isUserWindow): programs keep
// hidden windows of these classes ready, which are not the user's to count or close.
int matchExplorer(VisitedWindow& window);
int matchChromium(VisitedWindow& window);
int matchFirefox(VisitedWindow& window);
// ownDialog is the main dialog's window, which no user-defined target matches.
int matchOtherTarget(VisitedWindow& window, const OtherTarget& target, HWND ownDialog);

// The text condition of a user-defined target: "-" holds for any title, "!x" for titles
// without x, anything else for titles containing it.
int textConditionHolds(const wchar_t* text, const wchar_t* title);
