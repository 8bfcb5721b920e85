#include "sweep/WindowMatch.h"

#include <cwchar>

#include "settings/Settings.h"
#include "sweep/UserWindow.h"

VisitedWindow::VisitedWindow(HWND window) : hwnd(window), titleRead(0) {
    classBuffer[0] = 0;
    titleBuffer[0] = 0;
    GetClassNameW(window, classBuffer, CLASS_NAME_SIZE);
}

const wchar_t* VisitedWindow::title() {
    if (!titleRead) {
        titleRead = 1;
        GetWindowTextW(hwnd, titleBuffer, TITLE_SIZE);
    }
    return titleBuffer;
}

int endsWith(const wchar_t* suffix, const wchar_t* text) {
    size_t n = wcslen(suffix);
    size_t length = wcslen(text);
    return length >= n && wcscmp(text + length - n, suffix) == 0;
}

int contains(const wchar_t* text, const wchar_t* part) { return wcsstr(text, part) != nullptr; }

void readProcessImagePath(HWND window, wchar_t* path, DWORD size) {
    path[0] = 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return;
    DWORD length = size;
    if (!QueryFullProcessImageNameW(process, 0, path, &length)) path[0] = 0;
    path[size - 1] = 0;
    CloseHandle(process);
}

int matchExplorer(VisitedWindow& window) {
    return wcscmp(window.className(), L"CabinetWClass") == 0 && isUserWindow(window.window());
}

int matchChromium(VisitedWindow& window) {
    if (wcscmp(window.className(), L"Chrome_WidgetWin_1") != 0) return 0;
    const wchar_t* title = window.title();
    if (!title[0] || wcscmp(title, L"Tray Assistant") == 0) return 0;
    if (!isUserWindow(window.window())) return 0;
    wchar_t path[PROCESS_PATH_SIZE];
    readProcessImagePath(window.window(), path, PROCESS_PATH_SIZE);
    return endsWith(L"chrome.exe", path) || endsWith(L"msedge.exe", path);
}

int matchFirefox(VisitedWindow& window) {
    const wchar_t* className = window.className();
    if (wcscmp(className, L"MozillaUIWindowClass") != 0 &&
        wcscmp(className, L"MozillaWindowClass") != 0)
        return 0;
    return contains(window.title(), L"Firefox") && isUserWindow(window.window());
}

int textConditionHolds(const wchar_t* text, const wchar_t* title) {
    if (text[0] == L'!') return !contains(title, text + 1);
    return wcscmp(text, L"-") == 0 || contains(title, text);
}

// An ordinary application window: visible, enabled, not empty, with a border and a system menu,
// and not cloaked away from the user.
static int isOrdinaryWindow(HWND window) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return 0;
    RECT r;
    if (!GetWindowRect(window, &r) || r.left == r.right || r.top == r.bottom) return 0;
    const LONG wanted = WS_BORDER | WS_SYSMENU;
    return (GetWindowLongA(window, GWL_STYLE) & wanted) == wanted && !isCloakedAway(window);
}

int matchOtherTarget(VisitedWindow& window, const OtherTarget& target, HWND ownDialog) {
    if (window.window() == ownDialog) return 0;
    // The UTF-16 texts, exactly as the user wrote them.
    int anyClass = wcscmp(target.wideClassName, L"-") == 0;
    int anyText = wcscmp(target.wideText, L"-") == 0;
    int anySpec = wcscmp(target.wideSpec, L"-") == 0;
    if (anyClass && anyText && anySpec) return 0;
    // Cheapest tests first: the selector keyword and the class, then the window queries, then the
    // title.
    if (!anySpec && wcscmp(target.wideSpec, L"%allwindow") != 0) return 0;
    if (!anyClass && wcscmp(window.className(), target.wideClassName) != 0) return 0;
    if (!anySpec && !isOrdinaryWindow(window.window())) return 0;
    return anyText || textConditionHolds(target.wideText, window.title());
}
