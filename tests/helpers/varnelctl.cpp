// Drives a running Varnel from outside, for the demo script:
//
//   varnelctl hotkey-explorer   presses Ctrl+Alt+Shift+E until no folder window is left (5 s)
//   varnelctl wait-main         waits for the main dialog and its first counts; prints its
//                               rectangle as WIDTHxHEIGHT+LEFT+TOP
//   varnelctl close-main        clicks the main dialog's Cancel button and waits until it closes
//   varnelctl exit              asks the resident window to exit
//   varnelctl count CLASS       prints how many top-level windows of that class exist
//
// Exit code 0 on success, 1 on failure or timeout, 2 for a bad command line.

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "resources/resource.h"

namespace {

const int CANCEL_BUTTON = IDC_CANCEL_BUTTON, EXPLORER_COUNT = IDC_COUNT_EXPLORER;
const WORD EXIT_COMMAND = IDM_EXIT;

struct Count {
    const char* className;
    int found;
};

BOOL CALLBACK countWindow(HWND window, LPARAM context) {
    Count* count = reinterpret_cast<Count*>(context);
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, count->className) == 0) ++count->found;
    return TRUE;
}

int countWindows(const char* className) {
    Count count = {className, 0};
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count));
    return count.found;
}

HWND mainDialog() { return FindWindowA("#32770", "Varnel"); }

template <typename Cond>
bool waitFor(Cond cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

void sendKey(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Wine can drop a single press at a focus change, so the press repeats until it has worked.
int hotkeyExplorer() {
    const WORD modifiers[] = {VK_CONTROL, VK_MENU, VK_SHIFT};
    bool done = false;
    for (int attempt = 0; attempt < 10 && !done; ++attempt) {
        for (WORD m : modifiers) sendKey(m, false);
        sendKey('E', false);
        sendKey('E', true);
        for (int i = 2; i >= 0; --i) sendKey(modifiers[i], true);
        done = waitFor([] { return countWindows("CabinetWClass") == 0; }, 500);
    }
    return done ? 0 : 1;
}

int waitMain() {
    HWND dialog = nullptr;
    bool shown = waitFor(
        [&] {
            dialog = mainDialog();
            char count[16] = {};
            if (dialog) GetDlgItemTextA(dialog, EXPLORER_COUNT, count, sizeof count);
            return dialog && IsWindowVisible(dialog) && strcmp(count, "-") != 0 && count[0];
        },
        10000);
    if (!shown) return 1;
    RECT r = {};
    GetWindowRect(dialog, &r);
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}

int closeMain() {
    HWND dialog = mainDialog();
    if (!dialog) return 1;
    PostMessageA(GetDlgItem(dialog, CANCEL_BUTTON), BM_CLICK, 0, 0);
    return waitFor([] { return mainDialog() == nullptr; }, 5000) ? 0 : 1;
}

int exitVarnel() {
    HWND resident = FindWindowA("VarnelDummy", "VARNELDMMY");
    if (!resident) return 1;
    PostMessageA(resident, WM_COMMAND, EXIT_COMMAND, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "hotkey-explorer") == 0) return hotkeyExplorer();
    if (argc == 2 && strcmp(argv[1], "wait-main") == 0) return waitMain();
    if (argc == 2 && strcmp(argv[1], "close-main") == 0) return closeMain();
    if (argc == 2 && strcmp(argv[1], "exit") == 0) return exitVarnel();
    if (argc == 3 && strcmp(argv[1], "count") == 0) {
        printf("%d\n", countWindows(argv[2]));
        return 0;
    }
    fprintf(stderr, "usage: varnelctl hotkey-explorer | wait-main | close-main | exit | count CLASS\n");
    return 2;
}
