// Makes top-level windows for the tests to sweep and logs what happens to them.
//
//   targetwin.exe /log FILE [/hang] { /w CLASSHEX TITLEHEX STYLEHEX WIDTH HEIGHT FLAGS }...
//
// Class and title are hex-encoded ANSI bytes ("-" for an empty title). FLAGS is two to four
// digits: visible (1/0), keep-open (1: SC_CLOSE is logged but the window stays), owned (1:
// the window made before owns it) and what a close does (0: closes; 1: asks "Save changes?" in
// a message box it owns and closes on Yes; 2: the thread stops handling messages; 3: the
// window hides itself; 4: it asks at once, before any close, then as 1). The log gets a
// "window HWND" line per window, then "ready", then "event HWND what" lines (close, minimize,
// hide, show, destroy). With /hang the thread stops pumping messages once the windows exist.
// The process ends when its last window is gone.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string logPath;
bool logging = false;
int openWindows = 0;

enum OnClose { CLOSES = '0', ASKS = '1', HANGS = '2', HIDES = '3', ASKS_AT_ONCE = '4' };
const UINT WM_ASK_NOW = WM_APP + 1;

void logLine(const char* text) {
    FILE* f = fopen(logPath.c_str(), "ab");
    if (!f) return;
    fputs(text, f);
    fputs("\n", f);
    fclose(f);
}

void logEvent(HWND window, const char* what) {
    if (!logging) return;
    char line[64];
    snprintf(line, sizeof line, "event %lx %s", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)), what);
    logLine(line);
}

std::string unhex(const char* text) {
    std::string out;
    if (strcmp(text, "-") == 0) return out;
    for (size_t i = 0; text[i] && text[i + 1]; i += 2) {
        char two[3] = {text[i], text[i + 1], 0};
        out += static_cast<char>(strtoul(two, nullptr, 16));
    }
    return out;
}

// The question of a program with unsaved work; the window closes on Yes.
void askToSave(HWND window) {
    logEvent(window, "ask");
    if (MessageBoxA(window, "Save changes?", "targetwin", MB_YESNO | MB_ICONQUESTION) == IDYES) DestroyWindow(window);
}

LRESULT CALLBACK targetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    char onClose = static_cast<char>(reinterpret_cast<uintptr_t>(GetPropA(window, "onClose")));
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            logEvent(window, "close");
            if (GetPropA(window, "keepOpen")) return 0;
            if (onClose == ASKS || onClose == ASKS_AT_ONCE) {
                askToSave(window);
                return 0;
            }
            if (onClose == HANGS) Sleep(60000);
            if (onClose == HIDES) {
                ShowWindow(window, SW_HIDE);
                return 0;
            }
        }
        break;
    case WM_ASK_NOW: askToSave(window); return 0;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) logEvent(window, "minimize");
        break;
    case WM_SHOWWINDOW: logEvent(window, wParam ? "show" : "hide"); break;
    case WM_DESTROY:
        logEvent(window, "destroy");
        RemovePropA(window, "keepOpen");
        RemovePropA(window, "onClose");
        if (--openWindows == 0) PostQuitMessage(0);
        break;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

void registerTargetClass(const std::string& name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = targetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);  // a second window of the same class finds it registered
}

}  // namespace

int main(int argc, char** argv) {
    bool hang = false;
    int offset = 0;
    HWND previous = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "/log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else if (strcmp(argv[i], "/hang") == 0) {
            hang = true;
        } else if (strcmp(argv[i], "/w") == 0 && i + 6 < argc) {
            std::string className = unhex(argv[i + 1]);
            std::string title = unhex(argv[i + 2]);
            DWORD style = strtoul(argv[i + 3], nullptr, 16);
            int width = atoi(argv[i + 4]);
            int height = atoi(argv[i + 5]);
            const char* flags = argv[i + 6];
            i += 6;
            registerTargetClass(className);
            HWND owner = flags[0] && flags[1] && flags[2] == '1' ? previous : nullptr;
            HWND window =
                CreateWindowExA(0, className.c_str(), title.c_str(), style & ~WS_VISIBLE, 40 + offset, 40 + offset,
                                width, height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
            previous = window;
            offset += 8;
            if (!window) return 2;
            ++openWindows;
            if (flags[0] && flags[1] == '1') SetPropA(window, "keepOpen", reinterpret_cast<HANDLE>(1));
            char onClose = flags[0] && flags[1] && flags[2] ? flags[3] : 0;
            if (onClose) SetPropA(window, "onClose", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(onClose)));
            if (onClose == ASKS_AT_ONCE) PostMessageA(window, WM_ASK_NOW, 0, 0);
            if (flags[0] == '1') ShowWindow(window, SW_SHOWNOACTIVATE);
            char line[64];
            snprintf(line, sizeof line, "window %lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
            logLine(line);
        }
    }
    logging = true;
    logLine("ready");
    if (hang) Sleep(INFINITE);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
