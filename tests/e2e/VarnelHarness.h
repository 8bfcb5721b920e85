#pragma once

// Drives a real Varnel.exe, started from a fresh folder of its own with the vrnl.ini and
// target.ini a test writes, as a user would: tray callbacks, menu commands, hotkeys, buttons.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace e2e {

const UINT WM_TRAY_NOTIFY = WM_USER + 10;
const UINT WM_OPEN_MAIN_DIALOG = WM_USER + 20;

// A Varnel.exe run with a command line: its exit code and what it wrote to the pipes it was
// given, decoded from the ANSI code page.
struct CommandRun {
    int code = -1;  // -1: still running after the timeout
    std::wstring out;
    std::wstring err;
};

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
    // Varnel.exe of this folder with these arguments (UTF-16, as a shell passes them).
    CommandRun runCommand(const std::wstring& arguments, DWORD timeoutMs = 20000);
    HWND resident() const { return residentWindow; }
    DWORD processId() const { return process.id(); }
    test::Process& proc() { return process; }

    // Returns once the resident window handles messages: start-up is done.
    bool waitIdle();
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
    // Starts Varnel with the main dialog last left expanded, and opens it; null on failure.
    HWND startExpanded();

    // A value of the settings file below the application-data folder.
    std::string saved(const char* section, const char* key) const;

private:
    test::TempDir dir;
    test::Process process;
    HWND residentWindow = nullptr;
};

// Windows' cloaking, virtual desktops and undrawn resize borders, which Wine lacks, for a Varnel
// started while this lives: the test-only dwmapi.dll beside it, loaded before Wine's own, and the
// test-only virtual-desktop manager registered in the prefix. Windows get them through properties.
class WindowManagerFixture {
public:
    explicit WindowManagerFixture(const VarnelRun& varnel);
    ~WindowManagerFixture();
    WindowManagerFixture(const WindowManagerFixture&) = delete;
    WindowManagerFixture& operator=(const WindowManagerFixture&) = delete;
    bool ready() const { return dllCopied && serverRegistered; }

    // flags: DWM_CLOAKED_* (1 by the app, 2 by the shell).
    static void cloak(HWND window, DWORD flags);
    static void moveToOtherDesktop(HWND window);
    // The window manager then reports the frame that is drawn this many pixels inside the
    // window's rectangle on the left, the right and the bottom, as Windows 10 and 11 do.
    static void setUndrawnBorder(HWND window, int pixels);
    // The virtual-desktop manager's answer about the window comes as late as Explorer's may:
    // once the test sets the event "VarnelTestDesktopCallAnswered", the call dispatching every
    // message meanwhile, as the wait of Windows' COM does. It sets "VarnelTestInsideDesktopCall"
    // as it begins.
    static void answerSlowly(HWND window);

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
// The text of the notification balloon that the shell shows now; empty when it shows none.
std::wstring balloonText();
// Whether another program can register the hotkey now (it is released again at once).
bool hotkeyFree(UINT modifiers, UINT key);
// A hotkey control's key as HKM_GETHOTKEY gives it: the key, and HOTKEYF_* in the high byte.
WORD hotkeyShown(HWND dialog, int id);
// As a user does it: the focus on the hotkey control, then the keys; true once it shows shown.
bool typeHotkey(HWND dialog, int id, const std::vector<WORD>& modifiers, WORD key, WORD shown);
// The pointer moved to a point of the screen, and a click of the left or right button there,
// with SendInput as the mouse makes them.
void mouseTo(POINT screen);
void mouseClick(bool right = false);
POINT centreOf(HWND window);
// The window picker of the main window's Add from a window: whether it is picking (only Varnel
// makes windows of its class, and only then), whether its outline stands around target, and
// whether its one-pixel window, which follows the pointer, stands at point.
bool picking();
bool outlines(const VarnelRun& varnel, HWND target);
bool outlines(const VarnelRun& varnel, const RECT& wanted);
bool pointerFollowed(POINT point);
// A point at which target is the window on top, once it is moved clear of the main dialog
// (which stays in front); false when other windows cover all of it.
bool reachablePoint(HWND target, HWND mainDialog, POINT& at);
// As a user does it: the button, the pointer over the window until the picker outlines it, and
// a click. Returns the new-target dialog of that caption, or null.
HWND pickWindow(const VarnelRun& varnel, HWND mainDialog, HWND target, const wchar_t* caption = L"新しい対象");
// The same with the pointer at a point of the target's that the test chose.
HWND pickWindowAt(const VarnelRun& varnel, HWND mainDialog, HWND target, POINT at,
                  const wchar_t* caption = L"新しい対象");
// Whether front stands before back in the stacking order of the top-level windows.
bool inFrontOf(HWND front, HWND back);

}  // namespace e2e
