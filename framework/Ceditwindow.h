#pragma once

#include <windows.h>

// Holds one window handle and offers one-line operations on it. Dialog-item operations treat
// the window as a dialog; the edit-control operations take the id of an edit control.
class Ceditwindow {
public:
    Ceditwindow() = default;
    explicit Ceditwindow(HWND window) : hwnd(window) {}

    void attach(HWND window) { hwnd = window; }
    HWND getHwnd() const { return hwnd; }
    HINSTANCE getInstance() const;

    HWND getDlgItem(int id) const;
    UINT getDlgItemInt(int id, BOOL* translated, BOOL isSigned) const;
    UINT getDlgItemText(int id, char* buffer, int maxCount) const;
    BOOL setDlgItemInt(int id, UINT value, BOOL isSigned);
    BOOL setDlgItemText(int id, const char* text);
    // UTF-16 text: the control shows what it can of it, never bytes of another code page.
    BOOL setDlgItemText(int id, const wchar_t* text);
    BOOL enableDlgItem(int id, BOOL enable);
    int getCheck(int id) const;
    void setCheck(int id, int on);

    LRESULT sendMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT sendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL postMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL setText(const char* text);
    BOOL show(int command);
    UINT_PTR setTimer(UINT_PTR id, UINT milliseconds, TIMERPROC callback);
    BOOL killTimer(UINT_PTR id);
    int setRegion(HRGN region, BOOL redraw);

    BOOL setTopmost(int on);
    BOOL moveTo(int x, int y);
    BOOL moveBy(int dx, int dy);
    BOOL resize(int width, int height);
    // Client pixels at the window's DPI.
    void setClientSize(int width, int height);
    int clientWidth() const;
    int clientHeight() const;
    BOOL centerOnDesktop();
    BOOL centerIn(const RECT& area);

    int appendText(int id, const char* text);
    int deleteLine(int id, int line);
    int appendLimited(int id, const char* text, int maxLines);
    void scrollToEnd(int id);

protected:
    HWND hwnd = nullptr;
};
