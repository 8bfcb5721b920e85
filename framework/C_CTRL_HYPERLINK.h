#pragma once

#include <windows.h>

// Private messages of the link control. They go only to the control, or from it to the
// window it notifies, so HLM_AUTOSIZE sharing its value with the tray message is harmless.
const UINT HLM_AUTOSIZE = WM_USER + 10;    // size to the label, draw it left-aligned
const UINT HLM_FIXEDRIGHT = WM_USER + 11;  // keep the size, draw the label right-aligned
// To the control: wParam the window to notify on a click (null: open the target), lParam the
// value to send back. From the control on a click: wParam the control, lParam that value.
const UINT HLM_NOTIFY = WM_USER + 199;

// The state of one link control, in fixed global memory held in its GWLP_USERDATA.
struct HLinkState {
    LONG fixedRight;
    HWND notifyTarget;
    LPARAM notifyValue;
};

// Registers the link window class and makes the one font that every link control draws with.
// A control's window text is its label, a TAB and its target; a click opens the target through
// the shell or notifies the window named by HLM_NOTIFY.
class C_CTRL_HYPERLINK {
public:
    // 1 on success, -1 on failure (among others when the class already exists).
    virtual int registerClass(HINSTANCE instance, const char* className);
    // An underlined copy of font becomes linkFont; a null font leaves the controls to the
    // paint DC's default font.
    void createFont(HFONT font);

    static HFONT linkFont;

private:
    static LRESULT CALLBACK windowProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
};
