#include "framework/Ceditwindow.h"

#include "framework/Dpi.h"

HINSTANCE Ceditwindow::getInstance() const {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
}

HWND Ceditwindow::getDlgItem(int id) const { return GetDlgItem(hwnd, id); }

UINT Ceditwindow::getDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    return GetDlgItemInt(hwnd, id, translated, isSigned);
}

UINT Ceditwindow::getDlgItemText(int id, char* buffer, int maxCount) const {
    return GetDlgItemTextA(hwnd, id, buffer, maxCount);
}

BOOL Ceditwindow::setDlgItemInt(int id, UINT value, BOOL isSigned) {
    return SetDlgItemInt(hwnd, id, value, isSigned);
}

BOOL Ceditwindow::setDlgItemText(int id, const char* text) {
    return SetDlgItemTextA(hwnd, id, text);
}

BOOL Ceditwindow::setDlgItemText(int id, const wchar_t* text) {
    return SetDlgItemTextW(hwnd, id, text);
}

BOOL Ceditwindow::enableDlgItem(int id, BOOL enable) {
    return EnableWindow(GetDlgItem(hwnd, id), enable);
}

int Ceditwindow::getCheck(int id) const {
    return static_cast<int>(SendDlgItemMessageA(hwnd, id, BM_GETCHECK, 0, 0));
}

// Any non-zero value checks the box; BM_SETCHECK itself would take 2 as indeterminate.
void Ceditwindow::setCheck(int id, int on) {
    SendDlgItemMessageA(hwnd, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

LRESULT Ceditwindow::sendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(hwnd, msg, wParam, lParam);
}

LRESULT Ceditwindow::sendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(hwnd, id, msg, wParam, lParam);
}

BOOL Ceditwindow::postMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(hwnd, msg, wParam, lParam);
}

BOOL Ceditwindow::setText(const char* text) { return SetWindowTextA(hwnd, text); }

BOOL Ceditwindow::show(int command) {
    ShowWindow(hwnd, command);
    return UpdateWindow(hwnd);
}

UINT_PTR Ceditwindow::setTimer(UINT_PTR id, UINT milliseconds, TIMERPROC callback) {
    return SetTimer(hwnd, id, milliseconds, callback);
}

BOOL Ceditwindow::killTimer(UINT_PTR id) { return KillTimer(hwnd, id); }

int Ceditwindow::setRegion(HRGN region, BOOL redraw) { return SetWindowRgn(hwnd, region, redraw); }

BOOL Ceditwindow::setTopmost(int on) {
    return SetWindowPos(hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE);
}

BOOL Ceditwindow::moveTo(int x, int y) {
    return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

BOOL Ceditwindow::moveBy(int dx, int dy) {
    RECT own;
    GetWindowRect(hwnd, &own);
    return moveTo(own.left + dx, own.top + dy);
}

BOOL Ceditwindow::resize(int width, int height) {
    return SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

// The frame is the one of the window's DPI. The extended style is left out of the frame
// computation, so a WS_EX_CLIENTEDGE window comes out by its edge too small.
void Ceditwindow::setClientSize(int width, int height) {
    RECT outer = {0, 0, width, height};
    adjustWindowRectForDpi(&outer, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)),
                           GetMenu(hwnd) ? TRUE : FALSE, dpiOfWindow(hwnd));
    resize(outer.right - outer.left, outer.bottom - outer.top);
}

int Ceditwindow::clientWidth() const {
    RECT client;
    GetClientRect(hwnd, &client);
    return client.right - client.left;
}

int Ceditwindow::clientHeight() const {
    RECT client;
    GetClientRect(hwnd, &client);
    return client.bottom - client.top;
}

BOOL Ceditwindow::centerOnDesktop() {
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    return centerIn(desk);
}

BOOL Ceditwindow::centerIn(const RECT& area) {
    RECT own;
    GetWindowRect(hwnd, &own);
    int x = (area.left + area.right) / 2 - (own.right - own.left) / 2;
    int y = (area.top + area.bottom) / 2 - (own.bottom - own.top) / 2;
    return moveTo(x, y);
}

int Ceditwindow::appendText(int id, const char* text) {
    HWND control = GetDlgItem(hwnd, id);
    int length = GetWindowTextLengthA(control);
    SendMessageA(control, EM_SETSEL, length, length);
    SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    return 1;
}

// A line with a successor goes with its line break; the last line leaves the break before it.
int Ceditwindow::deleteLine(int id, int line) {
    HWND control = GetDlgItem(hwnd, id);
    int start = static_cast<int>(SendMessageA(control, EM_LINEINDEX, line, 0));
    if (start < 0) return 0;
    int end = static_cast<int>(SendMessageA(control, EM_LINEINDEX, line + 1, 0));
    if (end < 0) end = start + static_cast<int>(SendMessageA(control, EM_LINELENGTH, start, 0));
    SendMessageA(control, EM_SETSEL, start, end);
    SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    return end - start;
}

int Ceditwindow::appendLimited(int id, const char* text, int maxLines) {
    HWND control = GetDlgItem(hwnd, id);
    int count = static_cast<int>(SendMessageA(control, EM_GETLINECOUNT, 0, 0));
    SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    for (int excess = count - maxLines; excess > 0; --excess) deleteLine(id, 0);
    SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    return appendText(id, text);
}

void Ceditwindow::scrollToEnd(int id) {
    HWND control = GetDlgItem(hwnd, id);
    int length = static_cast<int>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
    SendMessageA(control, EM_SETSEL, length, length);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
}
