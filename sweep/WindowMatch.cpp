#include "sweep/WindowMatch.h"

#include <cstring>

#include "settings/Settings.h"

VisitedWindow::VisitedWindow(HWND window) : hwnd(window), titleRead(0) {
    classBuffer[0] = 0;
    titleBuffer[0] = 0;
    GetClassNameA(window, classBuffer, sizeof classBuffer);
}

const char* VisitedWindow::title() {
    if (!titleRead) {
        titleRead = 1;
        GetWindowTextA(hwnd, titleBuffer, sizeof titleBuffer);
    }
    return titleBuffer;
}

int endsWith(const char* suffix, const char* text) {
    size_t n = strlen(suffix);
    size_t length = strlen(text);
    return length >= n && memcmp(text + length - n, suffix, n) == 0;
}

int contains(const char* text, const char* part) { return strstr(text, part) != nullptr; }

void readProcessImagePath(HWND window, char* path, DWORD size) {
    memset(path, 0, size);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return;
    DWORD length = size;
    if (!QueryFullProcessImageNameA(process, 0, path, &length)) path[0] = 0;
    path[size - 1] = 0;
    CloseHandle(process);
}

int matchExplorer(VisitedWindow& window) {
    return strcmp(window.className(), "CabinetWClass") == 0;
}

int matchChromium(VisitedWindow& window) {
    if (strcmp(window.className(), "Chrome_WidgetWin_1") != 0) return 0;
    const char* title = window.title();
    if (!title[0] || strcmp(title, "Tray Assistant") == 0) return 0;
    char path[PROCESS_PATH_SIZE];
    readProcessImagePath(window.window(), path, sizeof path);
    return endsWith("chrome.exe", path) || endsWith("msedge.exe", path);
}

int matchFirefox(VisitedWindow& window) {
    const char* className = window.className();
    if (strcmp(className, "MozillaUIWindowClass") != 0 &&
        strcmp(className, "MozillaWindowClass") != 0)
        return 0;
    return contains(window.title(), "Firefox");
}

int textConditionHolds(const char* text, const char* title) {
    if (text[0] == '!') return !contains(title, text + 1);
    return strcmp(text, "-") == 0 || contains(title, text);
}

// An ordinary application window: visible, enabled, not empty, with a border and a system menu.
static int isOrdinaryWindow(HWND window) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return 0;
    RECT r;
    if (!GetWindowRect(window, &r) || r.left == r.right || r.top == r.bottom) return 0;
    const LONG wanted = WS_BORDER | WS_SYSMENU;
    return (GetWindowLongA(window, GWL_STYLE) & wanted) == wanted;
}

int matchOtherTarget(VisitedWindow& window, const OtherTarget& target, HWND ownDialog) {
    if (window.window() == ownDialog) return 0;
    int anyClass = strcmp(target.className, "-") == 0;
    int anyText = strcmp(target.text, "-") == 0;
    int anySpec = strcmp(target.spec, "-") == 0;
    if (anyClass && anyText && anySpec) return 0;
    // Cheapest tests first: the selector keyword and the class, then the window queries, then the
    // title.
    if (!anySpec && strcmp(target.spec, "%allwindow") != 0) return 0;
    if (!anyClass && strcmp(window.className(), target.className) != 0) return 0;
    if (!anySpec && !isOrdinaryWindow(window.window())) return 0;
    return anyText || textConditionHolds(target.text, window.title());
}
