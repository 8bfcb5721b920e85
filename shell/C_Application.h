#pragma once

#include <windows.h>

#include "dialogs/C_MainDialog.h"
#include "dialogs/StartChoices.h"
#include "framework/C_CTRL_HYPERLINK.h"
#include "settings/Settings.h"
#include "shell/C_DammyWindow.h"
#include "shell/CommandRecord.h"
#include "sweep/OutcomeWatch.h"
#include "sweep/SweepState.h"

// The one application object: owns the settings, the sweep state, the main dialog, the
// resident window and the link class, and runs start-up, the resident loop and the exit.
// Its operations live in C_Application.cpp (start-up, exit, settings, sweep, dialogs),
// C_ApplicationHotkeys.cpp, C_ApplicationTray.cpp and C_ApplicationCommand.cpp.
// It is the host of the main dialog and takes the choices of the welcome and settings dialogs,
// which know it only through those interfaces.
class C_Application : public MainDialogHost, public ChoiceTaker {
public:
    C_Application();

    int run(HINSTANCE instance);
    int openMainDialog();
    int quit();

    int loadSettings();
    int saveSettings() override;
    // Reads target.ini into the settings' targets, which the sweep's copy then follows.
    int reloadTargets() override;
    // 0, doing nothing, when it comes during another sweep.
    int runSweep(int countOnly, int spareFirst, int minimise,
                 const TargetSelection& selection) override;

    // Hotkeys, and the road that menu commands share with them (C_ApplicationHotkeys.cpp).
    int onHotkey(int id);
    int registerHotkeys();
    int unregisterHotkeys();

    // What became of the windows of the resident's own sweeps (C_ApplicationOutcome.cpp).
    void onOutcomeTimer();

    // The tray icon and its menu (C_ApplicationTray.cpp).
    int onTrayNotify(UINT mouseMessage);
    int onTaskbarCreated();
    int addTrayIcon();
    void removeTrayIcon();
    // The display scaling may have changed: the icon follows the notification area's size.
    void followTrayScaling();

    // The command line (C_ApplicationCommand.cpp). runCommandLine returns the process's exit
    // code, or NOT_A_COMMAND when there are no arguments and Varnel is to start as usual.
    enum { NOT_A_COMMAND = -1 };
    int runCommandLine(const wchar_t* commandLine);
    // Carries out a valid command in this process; nothing when it names an unknown target.
    void carryOutCommand(const CommandRecord& command, CommandReply& reply);
    // A command handed to the resident window: TRUE when carried out and answered.
    LRESULT onCommandMessage(const COPYDATASTRUCT* data);

    int showWelcomeDialog(HWND owner) override;
    int showSettingsDialog(HWND owner);

    // The main dialog's view of the program.
    Settings& liveSettings() override { return settings; }
    SweepState& sweepState() override { return sweep; }
    C_CTRL_HYPERLINK& linkClass() override { return hyperlinkClass; }
    // The welcome and settings dialogs' choices, as the user commits them.
    void takeNonResident(int on) override { settings.nonResident = on; }
    void takeHotkeyMode(int mode) override;
    void takeWaitTime(int milliseconds) override { settings.waitTime = milliseconds; }
    void takeHotkeys(const HotkeyKey (&keys)[HOTKEY_ACTION_COUNT]) override;

    HINSTANCE instanceHandle;
    int mainDialogOpen;
    int hotkeysRegistered;
    // Bit n set: hotkey id n was really registered (the menu shows only those).
    unsigned heldHotkeys;
    // Bit n set: another program holds the key of hotkey id n, which the mode registers.
    unsigned hotkeysNotTaken;
    // The DPI that the shown tray icon was loaded for; 0 while none is shown.
    UINT trayIconDpi;
    // Members are built in this order: sweep keeps references to settings and mainDialog, so
    // those two come before it.
    Settings settings;
    C_MainDialog mainDialog;
    SweepState sweep;
    C_DammyWindow residentWindow;
    C_CTRL_HYPERLINK hyperlinkClass;

private:
    // Start-up past the command line: the main dialog once, or the resident window's loop.
    int runWindows();
    int becomeResident();
    HWND findRunningInstance() const;
    // The resident window to hand a command to, or null when none runs; false when one runs
    // that this process cannot reach (elevated, or another user's).
    bool findInstanceForCommand(HWND* resident) const;
    // The kinds a command names, as reply lines in the command's order, one per kind, with the
    // sweep kind of each line; false (the reply saying which) when a name is no target's.
    bool resolveKinds(const CommandRecord& command, CommandReply& reply,
                      DWORD (&lineKinds)[SWEEP_KIND_COUNT]) const;
    // The windows the sweep acted on, into the reply for the caller to watch.
    void handBackWindows(const DWORD (&lineKinds)[SWEEP_KIND_COUNT], CommandReply& reply) const;
    void closeTarget(int index);
    // Tells the user, once for each set of them, of the keys that other programs hold.
    void tellKeysNotTaken();
    void showTrayMenu();
    int showTrayIcon(DWORD command);
    void showTrayBalloon(const char* title, const char* text);
    StartChoices startChoices() const;

    // Watches the windows the last sweep acted on, with a timer of the resident window; without
    // it (the non-resident mode), at once.
    void watchSweepOutcome();
    void finishOutcomeWatch();
    // Tells the user, once per sweep, which windows were left open and why.
    void tellOutcome();
    // Brings the first window that waits for its user, with its question, to the front.
    void showWaitingQuestion();

    OutcomeWatch outcomeWatch;
    int outcomeWatching;
    DWORD outcomeWatchStart;
    // Of the sweeps watched: windows refused, windows acted on beyond the watch's size.
    unsigned outcomeRefused;
    unsigned outcomeUnwatched;
    // The window that the balloon's click brings forward, if it still asks.
    HWND waitingWindow;
};
