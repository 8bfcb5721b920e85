#pragma once

// Top-level windows of the test process itself, for the rules that look only at class, title,
// style and visibility: Unicode windows, with class and title given in UTF-8. Each records what the sweep did to it;
// handled messages land in one ordered log so that tests can check the order across windows.

#include <windows.h>

#include <string>
#include <vector>

struct WindowEvent {
    HWND window;
    std::string what;  // "close", "hide", "minimize", "show"
};

class InProcessWindows {
public:
    ~InProcessWindows();
    // keepOpen: SC_CLOSE is recorded but the window stays, so a second close can be seen.
    HWND make(const char* className, const char* title, bool visible = true, DWORD style = WS_OVERLAPPEDWINDOW,
              bool keepOpen = true, int width = 160, int height = 100);
    // Puts the windows into this stacking order, the first in front.
    void stack(const std::vector<HWND>& frontToBack);
    // Delivers the posted commands and returns the events, in order.
    const std::vector<WindowEvent>& events();
    int count(HWND window, const char* what);
    void destroyAll();

private:
    std::vector<HWND> windows;
};
