#include "tests/unit/InProcessWindows.h"

#include <set>

#include "tests/support/TestSupport.h"

namespace {

std::vector<WindowEvent> eventLog;
std::set<HWND> keptOpen;
bool recording = false;

LRESULT CALLBACK recordingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (recording) {
        if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
            eventLog.push_back({window, "close"});
            if (keptOpen.count(window)) return 0;
        } else if (msg == WM_SHOWWINDOW) {
            eventLog.push_back({window, wParam ? "show" : "hide"});
        } else if (msg == WM_SIZE && wParam == SIZE_MINIMIZED) {
            eventLog.push_back({window, "minimize"});
        }
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

InProcessWindows::~InProcessWindows() { destroyAll(); }

HWND InProcessWindows::make(const char* className, const char* title, bool visible, DWORD style, bool keepOpen,
                            int width, int height) {
    std::wstring wideClass = test::wide(className);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = wideClass.c_str();
    RegisterClassW(&wc);
    recording = false;
    HWND window = CreateWindowExW(0, wideClass.c_str(), test::wide(title).c_str(), style & ~WS_VISIBLE, 10, 10, width,
                                  height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (visible) ShowWindow(window, SW_SHOWNOACTIVATE);
    test::pumpMessages();
    if (keepOpen) keptOpen.insert(window);
    windows.push_back(window);
    eventLog.clear();
    recording = true;
    return window;
}

void InProcessWindows::stack(const std::vector<HWND>& frontToBack) {
    recording = false;
    for (auto it = frontToBack.rbegin(); it != frontToBack.rend(); ++it)
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    test::pumpMessages();
    eventLog.clear();
    recording = true;
}

const std::vector<WindowEvent>& InProcessWindows::events() {
    test::pumpMessages();
    return eventLog;
}

int InProcessWindows::count(HWND window, const char* what) {
    int n = 0;
    for (const WindowEvent& e : events()) n += e.window == window && e.what == what;
    return n;
}

void InProcessWindows::destroyAll() {
    recording = false;
    for (HWND w : windows) {
        keptOpen.erase(w);
        if (IsWindow(w)) DestroyWindow(w);
    }
    windows.clear();
    eventLog.clear();
}
