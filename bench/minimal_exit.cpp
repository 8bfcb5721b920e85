// The smallest Windows program that starts and ends at once: the floor of a command-line run.
// With any argument it first enumerates the top-level windows once, which is the first use of
// the window system that every sweep and every search for a window pays for.

#include <windows.h>

namespace {

BOOL CALLBACK ignoreWindow(HWND, LPARAM) { return TRUE; }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    if (arguments && *arguments) EnumWindows(ignoreWindow, 0);
    return 0;
}
