#pragma once

#include <windows.h>

#include "settings/Settings.h"

enum { PICKED_PATH_SIZE = MAX_PATH, PICKED_CLASS_SIZE = 256 };

// What a new target can be made of, read from a picked top-level window, in UTF-16.
struct PickedWindow {
    // The program's file description from its version resource, else its file name without
    // ".exe"; empty when the process cannot be opened (another user's, a protected one).
    wchar_t name[OTHER_NAME_SIZE];
    // The program's file name, such as "notepad.exe"; empty when the process cannot be opened.
    wchar_t exeName[PICKED_PATH_SIZE];
    wchar_t className[PICKED_CLASS_SIZE];
    wchar_t title[OTHER_TEXT_SIZE];
};

void describePickedWindow(HWND window, PickedWindow& out);
