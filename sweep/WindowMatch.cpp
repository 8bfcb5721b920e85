#include "sweep/WindowMatch.h"

#include <cwchar>

#include "settings/Settings.h"
#include "sweep/UserWindow.h"

VisitedWindow::VisitedWindow(HWND window, ProgramImageCache& programs)
    : hwnd(window), cache(programs), titleRead(0), userWindowState(-1), processRead(0), process(0),
      image(nullptr) {
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

DWORD VisitedWindow::processId() {
    if (!processRead) {
        processRead = 1;
        GetWindowThreadProcessId(hwnd, &process);
    }
    return process;
}

const ProgramImage& VisitedWindow::program() {
    if (!image) image = &cache.imageOf(processId());
    return *image;
}

int VisitedWindow::userWindow() {
    if (userWindowState < 0) userWindowState = isUserWindow(hwnd) ? 1 : 0;
    return userWindowState;
}

int endsWith(const wchar_t* suffix, const wchar_t* text) {
    size_t n = wcslen(suffix);
    size_t length = wcslen(text);
    return length >= n && wcscmp(text + length - n, suffix) == 0;
}

int contains(const wchar_t* text, const wchar_t* part) { return wcsstr(text, part) != nullptr; }

int matchExplorer(VisitedWindow& window) {
    return wcscmp(window.className(), L"CabinetWClass") == 0 && window.userWindow();
}

int matchChromium(VisitedWindow& window) {
    if (wcscmp(window.className(), L"Chrome_WidgetWin_1") != 0) return 0;
    const wchar_t* title = window.title();
    if (!title[0] || wcscmp(title, L"Tray Assistant") == 0) return 0;
    // The program first: many programs are built on the browser's engine and share its class,
    // and their windows are told apart by one read where the user-window rule takes three.
    // A long path keeps its file name, which is all that these suffixes look at.
    const wchar_t* path = window.program().path;
    return (endsWith(L"chrome.exe", path) || endsWith(L"msedge.exe", path)) && window.userWindow();
}

int matchFirefox(VisitedWindow& window) {
    const wchar_t* className = window.className();
    if (wcscmp(className, L"MozillaUIWindowClass") != 0 &&
        wcscmp(className, L"MozillaWindowClass") != 0)
        return 0;
    return contains(window.title(), L"Firefox") && window.userWindow();
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

// EXE as the only condition stands for the program's windows that the user sees, not its hidden
// helpers. With SPEC, CLASS or TEXT beside it, those say which windows are meant, as they do
// without EXE: a CLASS matches hidden windows too.
int matchOtherTarget(VisitedWindow& window, const OtherTarget& target, HWND ownDialog) {
    if (target.ruleTooLong || window.window() == ownDialog) return 0;
    // The UTF-16 texts, exactly as the user wrote them.
    int anyClass = wcscmp(target.wideClassName, L"-") == 0;
    int anyText = wcscmp(target.wideText, L"-") == 0;
    int anySpec = wcscmp(target.wideSpec, L"-") == 0;
    int anyExe = wcscmp(target.wideExe, L"-") == 0;
    int exeOnly = anyClass && anyText && anySpec;
    if (exeOnly && anyExe) return 0;
    // Cheapest tests first: the selector keyword and the class, then the window queries, then the
    // title, and the process last.
    if (!anySpec && wcscmp(target.wideSpec, L"%allwindow") != 0) return 0;
    if (!anyClass && wcscmp(window.className(), target.wideClassName) != 0) return 0;
    if (!anySpec && !isOrdinaryWindow(window.window())) return 0;
    if (!anyText && !textConditionHolds(target.wideText, window.title())) return 0;
    if (anyExe) return 1;
    if (exeOnly && !window.userWindow()) return 0;
    return exeConditionHolds(target.wideExe, window.program());
}
