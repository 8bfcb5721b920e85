#pragma once

// Drives a real Varnel.exe, started from a fresh folder of its own with the vrnl.ini and
// target.ini a test writes, as a user would: tray callbacks, menu commands, hotkeys, buttons.

#include <windows.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace e2e {

const UINT WM_TRAY_NOTIFY = WM_USER + 10;
const UINT WM_OPEN_MAIN_DIALOG = WM_USER + 20;

class VarnelRun {
public:
    // A folder with Varnel.exe; no settings below the application-data folder.
    VarnelRun();
    ~VarnelRun();

    const test::TempDir& folder() const { return dir; }
    // vrnl.ini beside the program; RUNNEXT=false is added unless the text names RUNNEXT.
    void writeSettings(const std::string& iniText);
    void writeTargets(const std::string& iniText);

    // Starts Varnel and, unless nonResident, waits for its resident window.
    bool start(bool waitResident = true);
    // A further start of the same Varnel.exe; returns its exit code, or -1 on timeout.
    int startAgain();
    HWND resident() const { return residentWindow; }
    DWORD processId() const { return process.id(); }
    test::Process& proc() { return process; }

    void tray(UINT mouseMessage);
    void command(WORD id);
    // Exits through the menu's Exit and waits for the process; returns its exit code.
    int exitThroughMenu();
    bool waitExit(DWORD timeoutMs, DWORD* code);

    // A top-level dialog of Varnel's process with this caption; waits up to timeoutMs.
    HWND waitDialog(const wchar_t* caption, DWORD timeoutMs = 5000) const;
    HWND findDialog(const wchar_t* caption) const;
    HWND mainDialog(DWORD timeoutMs = 5000) const { return waitDialog(L"Varnel", timeoutMs); }
    // Opens the main dialog with a tray click and waits for it.
    HWND openMainDialog();

    // A value of the settings file below the application-data folder.
    std::string saved(const char* section, const char* key) const;

private:
    test::TempDir dir;
    test::Process process;
    HWND residentWindow = nullptr;
};

// Windows' cloaking and virtual desktops, which Wine lacks, for a Varnel started while this
// lives: the test-only dwmapi.dll beside it, loaded before Wine's own, and the test-only
// virtual-desktop manager registered in the prefix. Windows are cloaked through properties.
class WindowsCloaking {
public:
    explicit WindowsCloaking(const VarnelRun& varnel);
    ~WindowsCloaking();
    WindowsCloaking(const WindowsCloaking&) = delete;
    WindowsCloaking& operator=(const WindowsCloaking&) = delete;
    bool ready() const { return dllCopied && serverRegistered; }

    // flags: DWM_CLOAKED_* (1 by the app, 2 by the shell).
    static void cloak(HWND window, DWORD flags);
    static void moveToOtherDesktop(HWND window);

private:
    std::string formerOverrides;
    bool dllCopied = false;
    bool serverRegistered = false;
};

std::wstring windowText(HWND window);
std::wstring itemText(HWND dialog, int id);
void click(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
SIZE clientSize(HWND window);
// A control's rectangle in its dialog's client coordinates, and whether one lies within another.
RECT placeIn(HWND dialog, HWND control);
bool inside(const RECT& inner, const RECT& outer);
// Whether the shell holds Varnel's tray icon (id 1 of the resident window): a modification
// that changes nothing succeeds only for an icon that exists.
bool trayIconShown(HWND resident);
// Whether another program can register the hotkey now (it is released again at once).
bool hotkeyFree(UINT modifiers, UINT key);
// Whether front stands before back in the stacking order of the top-level windows.
bool inFrontOf(HWND front, HWND back);

}  // namespace e2e
