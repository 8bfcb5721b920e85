#include "dialogs/WindowPicker.h"

#include <dwmapi.h>

#include "framework/Dpi.h"
#include "sweep/UserWindow.h"

namespace {

const char PICKER_CLASS[] = "VarnelPicker";
// The outline's width in 96-DPI pixels.
const int FRAME_WIDTH = 3;
// The cursor catcher's distance from its one visible pixel to its edges.
const int CATCHER_REACH = 4;

bool ownWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// On Windows 10 and 11 a window's rectangle takes in resize borders that are not drawn; the
// window manager knows the frame that the user sees. Its answer counts only where it lies within
// the rectangle, as it does whenever both speak in the same pixels.
RECT visibleFrameOf(HWND window) {
    RECT whole = {}, seen = {}, both;
    GetWindowRect(window, &whole);
    if (FAILED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &seen, sizeof seen)) ||
        IsRectEmpty(&seen) || !UnionRect(&both, &whole, &seen) || !EqualRect(&both, &whole))
        return whole;
    return seen;
}

// Both windows of the picker: the colour of a selection, a crosshair wherever the pointer is.
void registerPickerClass(HINSTANCE instance) {
    WNDCLASSA known;
    if (GetClassInfoA(instance, PICKER_CLASS, &known)) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = PICKER_CLASS;
    RegisterClassA(&wc);
}

HWND createPickerWindow(HINSTANCE instance) {
    return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PICKER_CLASS, "",
                           WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

void placeOnTop(HWND window, const RECT& r) {
    SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace

WindowPicker* WindowPicker::current = nullptr;

bool WindowPicker::start(HINSTANCE instance, HWND notifyWindow) {
    if (picking()) return true;
    current = this;
    notify = notifyWindow;
    finished = false;
    outlined = nullptr;
    // The hooks first: once the picker's windows exist, every move and click reaches it.
    mouseHook = SetWindowsHookExA(WH_MOUSE_LL, onMouse, instance, 0);
    keyHook = SetWindowsHookExA(WH_KEYBOARD_LL, onKey, instance, 0);
    registerPickerClass(instance);
    frame = createPickerWindow(instance);
    cursorCatcher = createPickerWindow(instance);
    if (!frame || !cursorCatcher || !mouseHook || !keyHook) {
        stop();
        return false;
    }
    const int side = 2 * CATCHER_REACH + 1;
    SetWindowRgn(cursorCatcher,
                 CreateRectRgn(CATCHER_REACH, CATCHER_REACH, CATCHER_REACH + 1, CATCHER_REACH + 1),
                 FALSE);
    SetWindowPos(cursorCatcher, nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER);
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    POINT at;
    GetCursorPos(&at);
    follow(at);
    return true;
}

void WindowPicker::stop() {
    if (mouseHook) UnhookWindowsHookEx(mouseHook);
    if (keyHook) UnhookWindowsHookEx(keyHook);
    if (frame) DestroyWindow(frame);
    if (cursorCatcher) DestroyWindow(cursorCatcher);
    mouseHook = keyHook = nullptr;
    frame = cursorCatcher = outlined = nullptr;
    if (current == this) current = nullptr;
}

LRESULT CALLBACK WindowPicker::onMouse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && current &&
        current->handleMouse(wParam, reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt))
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WindowPicker::onKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && current &&
        reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == VK_ESCAPE) {
        if (wParam == WM_KEYDOWN) current->finish(nullptr);
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// True for the events that the windows below must not get: the clicks that pick or cancel.
bool WindowPicker::handleMouse(WPARAM message, POINT at) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!finished) follow(at);
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return true;
    case WM_LBUTTONUP: {
        HWND picked = windowAt(at);
        finish(picked && !ownWindow(picked) ? picked : nullptr);
        return true;
    }
    case WM_RBUTTONUP:
        finish(nullptr);
        return true;
    }
    return false;
}

// The catcher moves before the system looks at what lies under the pointer, so the pointer
// is always over it.
void WindowPicker::follow(POINT at) {
    HWND under = windowAt(at);
    outline(under && !ownWindow(under) ? under : nullptr);
    RECT catcher = {at.x - CATCHER_REACH, at.y - CATCHER_REACH, at.x + CATCHER_REACH + 1,
                    at.y + CATCHER_REACH + 1};
    placeOnTop(cursorCatcher, catcher);
}

// A frame-shaped window around the window: moved or hidden, it leaves nothing behind.
void WindowPicker::outline(HWND window) {
    RECT r = {};
    if (window) r = visibleFrameOf(window);
    RECT shown = {};
    GetWindowRect(frame, &shown);
    if (window == outlined && EqualRect(&r, &shown)) return;
    outlined = window;
    if (!window) {
        ShowWindow(frame, SW_HIDE);
        return;
    }
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int edge = scaleToDpi(FRAME_WIDTH, systemDpi());
    HRGN shape = CreateRectRgn(0, 0, width, height);
    HRGN inside = CreateRectRgn(edge, edge, width - edge, height - edge);
    CombineRgn(shape, shape, inside, RGN_DIFF);
    DeleteObject(inside);
    SetWindowRgn(frame, shape, FALSE);
    placeOnTop(frame, r);
}

void WindowPicker::finish(HWND picked) {
    if (finished) return;
    finished = true;
    PostMessageA(notify, WM_WINDOW_PICKED, reinterpret_cast<WPARAM>(picked), 0);
}

// The top-level window that the point falls on, front to back, past the picker's own windows,
// the windows that the user does not see (as the sweeps tell them) and those that let clicks
// through.
HWND WindowPicker::windowAt(POINT at) const {
    const LONG CLICK_THROUGH = WS_EX_LAYERED | WS_EX_TRANSPARENT;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == frame || w == cursorCatcher) continue;
        RECT r;
        if (!GetWindowRect(w, &r) || !PtInRect(&r, at) || !isShown(w)) continue;
        if ((GetWindowLongA(w, GWL_EXSTYLE) & CLICK_THROUGH) == CLICK_THROUGH) continue;
        return w;
    }
    return nullptr;
}
