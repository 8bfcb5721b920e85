#include "tests/e2e/VarnelHarness.h"

#include <shellapi.h>

namespace e2e {

namespace {

const DWORD START_TIMEOUT = 10000;
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
    test::copyFile(test::binFolder() + "Varnel.exe", dir.file("Varnel.exe"));
}

VarnelRun::~VarnelRun() {
    // A test that stopped while holding Ctrl must not leave it down for the next one.
    test::keyUp(VK_CONTROL);
    if (process.running() && residentWindow) {
        PostMessageA(residentWindow, WM_COMMAND, 40001, 0);
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
    if (!test::fileExistsPlain(dir.file("vrnl.ini"))) writeSettings("");
    if (!process.start(dir.file("Varnel.exe"), "", dir.path())) return false;
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

int VarnelRun::startAgain() {
    test::Process again;
    DWORD code = 0;
    if (!again.start(dir.file("Varnel.exe"), "", dir.path()) || !again.wait(START_TIMEOUT, &code)) return -1;
    return static_cast<int>(code);
}

void VarnelRun::tray(UINT mouseMessage) { PostMessageA(residentWindow, WM_TRAY_NOTIFY, 1, mouseMessage); }

void VarnelRun::command(WORD id) { PostMessageA(residentWindow, WM_COMMAND, id, 0); }

int VarnelRun::exitThroughMenu() {
    command(40001);
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

std::string VarnelRun::saved(const char* section, const char* key) const {
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, test::appDataSettingsFile().c_str());
    return value;
}

WindowsCloaking::WindowsCloaking(const VarnelRun& varnel) {
    char former[512] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", former, sizeof former);
    formerOverrides = former;
    std::string overrides = formerOverrides.empty() ? "dwmapi=n,b" : formerOverrides + ";dwmapi=n,b";
    SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
    dllCopied = test::copyFile(test::binFolder() + "fixtures\\dwmapi.dll", varnel.folder().file("dwmapi.dll"));
    serverRegistered = registerDesktopsServer();
}

WindowsCloaking::~WindowsCloaking() {
    SetEnvironmentVariableA("WINEDLLOVERRIDES", formerOverrides.empty() ? nullptr : formerOverrides.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, DESKTOPS_SERVER_KEY);
}

void WindowsCloaking::cloak(HWND window, DWORD flags) {
    SetPropA(window, "VarnelTestCloaked", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(flags)));
}

void WindowsCloaking::moveToOtherDesktop(HWND window) {
    SetPropA(window, "VarnelTestOtherDesktop", reinterpret_cast<HANDLE>(1));
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

bool inFrontOf(HWND front, HWND back) {
    for (HWND w = GetWindow(front, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == back) return true;
    return false;
}

}  // namespace e2e
