#pragma once

#include <windows.h>

// Picking a top-level window with the mouse. Low-level hooks see the pointer and the keys over
// every program's windows (a capture would be lost over another program's window), and keep
// the clicks from reaching the window that is picked. While picking, a frame outlines the
// top-level window under the pointer, and a one-pixel window of ours stays under the pointer's
// hot spot so that the pointer is a crosshair over every window.
//
//   picker.start(instance, dialog);   // dialog later gets WM_WINDOW_PICKED
//   ... case WM_WINDOW_PICKED: picker.stop(); picked = (HWND)wParam;  // null: cancelled
class WindowPicker {
public:
    // To the notified window once a left click picks (wParam: the top-level window) or Esc, a
    // right click or a click on one of the program's own windows cancels (wParam: null).
    static const UINT WM_WINDOW_PICKED = WM_APP + 2;

    ~WindowPicker() { stop(); }
    // False, picking nothing, when the hooks cannot be set.
    bool start(HINSTANCE instance, HWND notify);
    // Ends picking: the hooks go and the frame is gone without a trace. Safe when not picking.
    void stop();
    bool picking() const { return mouseHook != nullptr; }

private:
    static LRESULT CALLBACK onMouse(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK onKey(int code, WPARAM wParam, LPARAM lParam);
    bool handleMouse(WPARAM message, POINT at);
    void follow(POINT at);
    void outline(HWND window);
    void finish(HWND picked);
    HWND windowAt(POINT at) const;

    // The hooks reach the picker through this; one picks at a time.
    static WindowPicker* current;
    HHOOK mouseHook = nullptr;
    HHOOK keyHook = nullptr;
    HWND notify = nullptr;
    HWND frame = nullptr;
    HWND cursorCatcher = nullptr;
    HWND outlined = nullptr;
    bool finished = false;
};
