#include "tests/e2e/VarnelHarness.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

namespace e2e {

namespace {

const DWORD START_TIMEOUT = 10000;
const int ADD_FROM_WINDOW = IDC_ADD_FROM_WINDOW;
const char PICKER_CLASS[] = "VarnelPicker";
// The picker's outline is as large as a window; its pointer window is a few pixels.
const int CATCHER_LIMIT = 20;

// A window of the picker for which wanted holds.
template <class Wanted>
HWND pickerWindow(Wanted wanted) {
    for (HWND w = FindWindowExA(nullptr, nullptr, PICKER_CLASS, nullptr); w;
         w = FindWindowExA(nullptr, w, PICKER_CLASS, nullptr)) {
        RECT r;
        GetWindowRect(w, &r);
        if (wanted(w, r)) return w;
    }
    return nullptr;
}

const char DESKTOPS_SERVER_KEY[] = "Software\\Classes\\CLSID\\{aa509086-5ca9-4c25-8f95-589d3c07b48a}";

bool registerDesktopsServer() {
    HKEY server = nullptr;
    std::string key = std::string(DESKTOPS_SERVER_KEY) + "\\InprocServer32";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &server, nullptr))
        return false;
    std::string dll = test::binFolder() + "fixtures\\desktops.dll";
    bool done = !RegSetValueExA(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                                static_cast<DWORD>(dll.size() + 1)) &&
                !RegSetValueExA(server, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>("Both"), 5);
    RegCloseKey(server);
    return done;
}

}  // namespace

VarnelRun::VarnelRun() {
    test::removeAppDataSettings();
    if (!test::copyFile(test::binFolder() + "Varnel.exe", dir.file("Varnel.exe")))
        fprintf(stderr, "Varnel.exe was not copied: error %lu\n", GetLastError());
}

VarnelRun::~VarnelRun() {
    // A test that stopped while holding Ctrl must not leave it down for the next one.
    test::keyUp(VK_CONTROL);
    if (process.running() && residentWindow) {
        PostMessageA(residentWindow, WM_COMMAND, IDM_EXIT, 0);
        process.wait(5000);
    }
    process.kill();
    test::removeAppDataSettings();
}

void VarnelRun::writeSettings(const std::string& iniText) {
    std::string text = iniText;
    if (text.find("RUNNEXT") == std::string::npos) text += "\r\n[SETTINGS]\r\nRUNNEXT=false\r\n";
    test::writeFile(dir.file("vrnl.ini"), text);
}

void VarnelRun::writeTargets(const std::string& iniText) { test::writeFile(dir.file("target.ini"), iniText); }

bool VarnelRun::start(bool waitResident) {
    residentWindow = nullptr;
    if (!test::fileExistsPlain(dir.file("vrnl.ini"))) writeSettings("");
    // Once in a few thousand starts Wine fails to create the process before any of Varnel runs;
    // the error is kept in the log, and the start tried once more.
    if (!process.start(dir.file("Varnel.exe"), "", dir.path())) {
        fprintf(stderr, "Varnel.exe did not start: error %lu\n", GetLastError());
        test::copyFile(test::binFolder() + "Varnel.exe", dir.file("Varnel.exe"));
        if (!process.start(dir.file("Varnel.exe"), "", dir.path())) return false;
    }
    if (!waitResident) return true;
    return test::waitUntil(
        [&] {
            HWND w = FindWindowA("VarnelDummy", "VARNELDMMY");
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (w && owner == process.id()) residentWindow = w;
            return residentWindow != nullptr;
        },
        START_TIMEOUT);
}

bool VarnelRun::waitIdle() {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(residentWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, START_TIMEOUT, &ignored) != 0;
}

int VarnelRun::startAgain() {
    test::Process again;
    DWORD code = 0;
    if (!again.start(dir.file("Varnel.exe"), "", dir.path()) || !again.wait(START_TIMEOUT, &code)) return -1;
    return static_cast<int>(code);
}

namespace {

void drain(HANDLE pipe, std::string& bytes) {
    DWORD waiting = 0, read = 0;
    char buffer[4096];
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting &&
           ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
}

std::wstring fromAnsi(const std::string& bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
    return text;
}

}  // namespace

CommandRun VarnelRun::runCommand(const std::wstring& arguments, DWORD timeoutMs) {
    CommandRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) return run;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring exe = test::wide(dir.file("Varnel.exe").c_str());
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION info = {};
    std::wstring folder = test::wide(dir.path().c_str());
    BOOL started =
        CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup, &info);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    std::string out, err;
    if (started) {
        test::waitUntil(
            [&] {
                drain(outRead, out);
                drain(errRead, err);
                return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
            },
            timeoutMs);
        drain(outRead, out);
        drain(errRead, err);
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code))
            run.code = static_cast<int>(code);
        else
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    run.out = fromAnsi(out);
    run.err = fromAnsi(err);
    return run;
}

void VarnelRun::tray(UINT mouseMessage) { PostMessageA(residentWindow, WM_TRAY_NOTIFY, 1, mouseMessage); }

void VarnelRun::command(WORD id) { PostMessageA(residentWindow, WM_COMMAND, id, 0); }

int VarnelRun::exitThroughMenu() {
    command(IDM_EXIT);
    DWORD code = 99;
    if (!waitExit(START_TIMEOUT, &code)) return -1;
    return static_cast<int>(code);
}

bool VarnelRun::waitExit(DWORD timeoutMs, DWORD* code) { return process.wait(timeoutMs, code); }

HWND VarnelRun::findDialog(const wchar_t* caption) const { return test::findDialog(process.id(), caption); }

HWND VarnelRun::waitDialog(const wchar_t* caption, DWORD timeoutMs) const {
    HWND found = nullptr;
    test::waitUntil([&] { return (found = findDialog(caption)) != nullptr; }, timeoutMs);
    return found;
}

HWND VarnelRun::openMainDialog() {
    tray(WM_LBUTTONDOWN);
    return mainDialog();
}

HWND VarnelRun::startExpanded() {
    writeSettings("[OPTIONS]\r\nFULLSIZE=true\r\n");
    return start() ? openMainDialog() : nullptr;
}

std::string VarnelRun::saved(const char* section, const char* key) const {
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, test::appDataSettingsFile().c_str());
    return value;
}

WindowManagerFixture::WindowManagerFixture(const VarnelRun& varnel) {
    char former[512] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", former, sizeof former);
    formerOverrides = former;
    std::string overrides = formerOverrides.empty() ? "dwmapi=n,b" : formerOverrides + ";dwmapi=n,b";
    SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
    dllCopied = test::copyFile(test::binFolder() + "fixtures\\dwmapi.dll", varnel.folder().file("dwmapi.dll"));
    serverRegistered = registerDesktopsServer();
}

WindowManagerFixture::~WindowManagerFixture() {
    SetEnvironmentVariableA("WINEDLLOVERRIDES", formerOverrides.empty() ? nullptr : formerOverrides.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, DESKTOPS_SERVER_KEY);
}

void WindowManagerFixture::cloak(HWND window, DWORD flags) {
    SetPropA(window, "VarnelTestCloaked", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(flags)));
}

void WindowManagerFixture::moveToOtherDesktop(HWND window) {
    SetPropA(window, "VarnelTestOtherDesktop", reinterpret_cast<HANDLE>(1));
}

void WindowManagerFixture::answerSlowly(HWND window) {
    SetPropA(window, "VarnelTestSlowAnswer", reinterpret_cast<HANDLE>(1));
}

void WindowManagerFixture::setUndrawnBorder(HWND window, int pixels) {
    SetPropA(window, "VarnelTestUndrawnBorder", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(pixels)));
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    // WM_GETTEXT through SendMessageTimeout: the window belongs to another process.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

std::wstring itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool isChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return state == BST_CHECKED;
}

namespace {

// The shell shows a balloon as a tooltip window of its own, whose text is the notification's.
BOOL CALLBACK findBalloon(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(window)) return TRUE;
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length);
    if (length) *reinterpret_cast<std::wstring*>(found) = text;
    return length == 0;
}

}  // namespace

std::wstring balloonText() {
    std::wstring shown;
    EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

WORD hotkeyShown(HWND dialog, int id) {
    DWORD_PTR value = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), HKM_GETHOTKEY, 0, 0, SMTO_ABORTIFHUNG, 2000, &value);
    return static_cast<WORD>(value);
}

bool typeHotkey(HWND dialog, int id, const std::vector<WORD>& modifiers, WORD key, WORD shown) {
    HWND control = GetDlgItem(dialog, id);
    SetForegroundWindow(dialog);
    // The focus moved there as the Tab key moves it.
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    if (!test::waitUntil([&] {
            return GetGUIThreadInfo(thread, &info) && info.hwndFocus == control && GetForegroundWindow() == dialog;
        }))
        return false;
    test::pressKeys(modifiers, key);
    return test::waitUntil([&] { return hotkeyShown(dialog, id) == shown; });
}

SIZE clientSize(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

RECT placeIn(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool trayIconShown(HWND resident) {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = resident;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "VarnelTray", sizeof data.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != 0;
}

bool hotkeyFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0x7000, modifiers, key)) return false;
    UnregisterHotKey(nullptr, 0x7000);
    return true;
}

// Wine 8 does not always carry out an absolute move that SendInput makes: the pointer is put in
// place, and the move that the mouse reports there is sent.
void mouseTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

void mouseClick(bool right) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

POINT centreOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool picking() { return FindWindowA(PICKER_CLASS, nullptr) != nullptr; }

bool outlines(const VarnelRun& varnel, HWND target) {
    RECT wanted;
    GetWindowRect(target, &wanted);
    return outlines(varnel, wanted);
}

bool outlines(const VarnelRun& varnel, const RECT& wanted) {
    return pickerWindow([&](HWND w, const RECT& r) {
               DWORD process = 0;
               GetWindowThreadProcessId(w, &process);
               return process == varnel.processId() && IsWindowVisible(w) && EqualRect(&r, &wanted);
           }) != nullptr;
}

bool pointerFollowed(POINT point) {
    return pickerWindow([&](HWND, const RECT& r) {
               return r.right - r.left < CATCHER_LIMIT && (r.left + r.right) / 2 == point.x &&
                      (r.top + r.bottom) / 2 == point.y;
           }) != nullptr;
}

namespace {

// Where Wine places a new window depends on the tests before; the main dialog, which stays in
// front, must not hide the target.
bool moveClearOf(HWND target, HWND dialog) {
    RECT d, t, overlap, work;
    GetWindowRect(dialog, &d);
    GetWindowRect(target, &t);
    if (!IntersectRect(&overlap, &d, &t)) return true;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG width = t.right - t.left;
    const LONG x = d.right + width <= work.right ? d.right : d.left - width;
    SetWindowPos(target, HWND_TOP, x, t.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return test::waitUntil([&] {
        GetWindowRect(target, &t);
        return t.left == x;
    });
}

// Other windows (the tray's own, a helper's) may cover part of the target.
bool visiblePointOf(HWND target, POINT& at) {
    RECT r;
    GetWindowRect(target, &r);
    for (int row = 1; row < 4; ++row) {
        for (int column = 1; column < 4; ++column) {
            POINT p = {r.left + (r.right - r.left) * column / 4, r.top + (r.bottom - r.top) * row / 4};
            if (GetAncestor(WindowFromPoint(p), GA_ROOT) == target) {
                at = p;
                return true;
            }
        }
    }
    return false;
}

HWND failedPick(const char* step) {
    fprintf(stderr, "picking a window: %s\n", step);
    return nullptr;
}

}  // namespace

bool reachablePoint(HWND target, HWND mainDialog, POINT& at) {
    return moveClearOf(target, mainDialog) && visiblePointOf(target, at);
}

HWND pickWindow(const VarnelRun& varnel, HWND mainDialog, HWND target, const wchar_t* caption) {
    POINT at;
    if (!reachablePoint(target, mainDialog, at)) return failedPick("no part of the target is on top");
    return pickWindowAt(varnel, mainDialog, target, at, caption);
}

HWND pickWindowAt(const VarnelRun& varnel, HWND mainDialog, HWND target, POINT at, const wchar_t* caption) {
    click(mainDialog, ADD_FROM_WINDOW);
    if (!test::waitUntil([] { return picking(); })) return failedPick("picking did not start");
    // Moved again at each look, as a hand would: a move that came before the picker's hook was
    // ready would otherwise be its last.
    if (!test::waitUntil([&] {
            mouseTo(at);
            return outlines(varnel, target);
        }))
        return failedPick("the target was not outlined");
    mouseClick();
    return varnel.waitDialog(caption);
}

bool inFrontOf(HWND front, HWND back) {
    for (HWND w = GetWindow(front, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == back) return true;
    return false;
}

}  // namespace e2e
