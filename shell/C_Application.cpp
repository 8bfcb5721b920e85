#include "shell/C_Application.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstring>

#include "dialogs/C_ABOUTDLG.h"
#include "dialogs/C_SETTINGDLG.h"
#include "framework/CommonControls.h"
#include "framework/Dpi.h"
#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "settings/TargetFile.h"
#include "shell/HotkeyTable.h"
#include "shell/Messages.h"

namespace {

const char MUTEX_NAME[] = "VARNEL_MX";
const char RESIDENT_CLASS[] = "VarnelDummy";
const char RESIDENT_TITLE[] = "VARNELDMMY";
const char LINK_CLASS[] = "LumoHLinkClass";

// A second start may find the mutex before the first instance has made its window.
const DWORD FIND_INSTANCE_PATIENCE = 2000;
const DWORD FIND_INSTANCE_STEP = 50;

}  // namespace

C_Application::C_Application()
    : instanceHandle(nullptr), mainDialogOpen(0), hotkeysRegistered(0), heldHotkeys(0),
      hotkeysNotTaken(0), trayIconDpi(0), sweep(settings, mainDialog, GetCurrentProcessId()),
      outcomeWatching(0), outcomeWatchStart(0), outcomeRefused(0), outcomeUnwatched(0),
      waitingWindow(nullptr) {
    setInitialSettings(settings);
    setDefaultHotkeys(settings.keys);
}

int C_Application::run(HINSTANCE instance) {
    instanceHandle = instance;
    int commandResult = runCommandLine(GetCommandLineW());
    if (commandResult != NOT_A_COMMAND) return commandResult;
    // One apartment for the program's one thread while its windows run: the shell's verbs and
    // the virtual-desktop manager that sweeps ask are COM objects, and each would otherwise set
    // up and tear down an apartment of its own at every use. A command, which a script may start
    // often, sets one up only if it meets a cloaked window.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int code = runWindows();
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}

int C_Application::runWindows() {
    settleDpiAwareness();
    mainDialog.setApplication(*this);
    hyperlinkClass.registerClass(instanceHandle, LINK_CLASS);
    int showWelcome = loadSettings();

    if (settings.nonResident) {
        openMainDialog();
        saveSettings();
        return 0;
    }

    HANDLE mutex = CreateMutexA(nullptr, TRUE, MUTEX_NAME);
    if (!mutex) return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND running = findRunningInstance()) {
            PostMessageA(running, WM_OPEN_MAIN_DIALOG, 0, 0);
            return 0;
        }
    }
    if (!becomeResident()) return 1;
    if (showWelcome) showWelcomeDialog(nullptr);
    return residentWindow.messageLoop();
}

HWND C_Application::findRunningInstance() const {
    DWORD start = GetTickCount();
    for (;;) {
        HWND running = FindWindowA(RESIDENT_CLASS, RESIDENT_TITLE);
        if (running || GetTickCount() - start >= FIND_INSTANCE_PATIENCE) return running;
        Sleep(FIND_INSTANCE_STEP);
    }
}

// Only a resident instance holds the mutex; without it there is nobody to wait for. A mutex
// that exists but cannot be opened is an elevated resident's, or another user's.
bool C_Application::findInstanceForCommand(HWND* resident) const {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, MUTEX_NAME);
    bool elsewhere = !mutex && GetLastError() == ERROR_ACCESS_DENIED;
    if (mutex) CloseHandle(mutex);
    *resident = mutex || elsewhere ? findRunningInstance() : nullptr;
    return *resident || !elsewhere;
}

// The hidden window, then the hotkeys, then the tray icon. False when no window can be made:
// a message loop without window, icon or hotkeys could never be ended.
int C_Application::becomeResident() {
    residentWindow.setApplication(*this);
    residentWindow.registerClass(instanceHandle, RESIDENT_CLASS, nullptr, nullptr, 0);
    residentWindow.create(instanceHandle, nullptr, RESIDENT_TITLE, WS_OVERLAPPEDWINDOW, 0);
    if (!residentWindow.getHwnd()) return 0;
    // Commands from a command line that is not elevated, when this Varnel is: each record is
    // checked before anything is done.
    ChangeWindowMessageFilterEx(residentWindow.getHwnd(), WM_COPYDATA, MSGFLT_ALLOW, nullptr);
    registerHotkeys();
    addTrayIcon();
    tellKeysNotTaken();
    return 1;
}

int C_Application::openMainDialog() {
    if (mainDialogOpen) {
        HWND dialog = mainDialog.getHwnd();
        SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(dialog);
        return 0;
    }
    mainDialogOpen = 1;
    mainDialog.runModal(instanceHandle, IDD_MAIN, nullptr, 0);
    mainDialogOpen = 0;
    // Give the memory back while the program waits in the tray.
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    return 1;
}

int C_Application::quit() {
    removeTrayIcon();
    unregisterHotkeys();
    saveSettings();
    PostQuitMessage(0);
    return 0;
}

// The sweeps take the user-defined targets as the main window was last left, before it has been
// opened in this run too.
int C_Application::loadSettings() {
    int showWelcome = ::loadSettings(settings);
    sweep.dialogExpanded = settings.fullSize;
    return showWelcome;
}

int C_Application::saveSettings() { return ::saveSettings(settings); }

// The file is read once, so the two can never tell different stories of it; each keeps its
// own switches.
int C_Application::reloadTargets() {
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
        OtherTarget& target = settings.selection.otherTargets[i];
        loadOtherTarget(i, target);
        OtherTarget& sweepCopy = sweep.sweepSelection.otherTargets[i];
        int sweepSwitch = sweepCopy.enabled;
        sweepCopy = target;
        sweepCopy.enabled = sweepSwitch;
    }
    return 1;
}

int C_Application::runSweep(int countOnly, int spareFirst, int minimise,
                            const TargetSelection& selection) {
    if (!sweep.runSweep(countOnly, spareFirst, minimise, selection)) return 0;
    residentWindow.releaseHeld();
    if (!countOnly) watchSweepOutcome();
    return 1;
}

StartChoices C_Application::startChoices() const {
    StartChoices choices = {settings.nonResident, settings.hotkeyMode, settings.waitTime, {}, {}};
    memcpy(choices.keys, settings.keys, sizeof choices.keys);
    for (int t = 0; t < OTHER_TARGET_COUNT; ++t)
        lstrcpynW(choices.targetNames[t], settings.selection.otherTargets[t].wideName,
                  OTHER_NAME_SIZE);
    return choices;
}

int C_Application::showWelcomeDialog(HWND owner) {
    C_ABOUTDLG dialog(startChoices(), *this);
    return dialog.runModal(instanceHandle, IDD_WELCOME, owner, 0) == 1 ? 1 : 0;
}

int C_Application::showSettingsDialog(HWND owner) {
    loadCommonControls(ICC_HOTKEY_CLASS);
    // The targets' rows show their names.
    reloadTargets();
    // The user may type Varnel's own keys into the dialog: it holds none while it is open, then
    // the keys chosen, which are the old ones after Cancel.
    int held = unregisterHotkeys();
    C_SETTINGDLG dialog(startChoices(), *this);
    dialog.runModal(instanceHandle, IDD_SETTINGS, owner, 0);
    if (held) registerHotkeys();
    saveSettings();
    return 1;
}
