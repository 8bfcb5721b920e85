// The smallest Windows program that starts and ends at once: the floor of a command-line run.
// With any argument it first enumerates the top-level windows once, as a sweep does: the first
// use of the window system that every sweep pays for.

#include <windows.h>

namespace {

BOOL CALLBACK ignoreWindow(HWND, LPARAM) { return TRUE; }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    if (arguments && *arguments) EnumDesktopWindows(nullptr, ignoreWindow, 0);
    return 0;
}
