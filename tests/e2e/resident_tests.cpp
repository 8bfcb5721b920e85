#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <sddl.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "shell/CommandExchange.h"
#include "shell/CommandLine.h"
#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;
using test::TargetWindows;

namespace {

const UINT ALL_THREE = MOD_ALT | MOD_CONTROL | MOD_SHIFT;

std::string hex8(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

// A record that the command line makes, sent by the test itself: the resident's answer, with or
// without a section for the reply.
struct RawCommand {
    explicit RawCommand(const wchar_t* arguments) {
        CommandProblem problem;
        parseCommandLine((std::wstring(L"v.exe ") + arguments).c_str(), record, problem);
        record.senderProcess = GetCurrentProcessId();
        record.requestId = 0x1234;
    }
    ~RawCommand() {
        if (section) CloseHandle(section);
    }
    void makeReplySection() {
        section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(CommandReplySection),
                                     ("Local\\VarnelReply." + hex8(GetCurrentProcessId()) + ".00001234").c_str());
    }
    DWORD_PTR send(HWND resident, ULONG_PTR id = COMMAND_DATA_ID, DWORD size = sizeof(CommandRecord)) {
        COPYDATASTRUCT data = {id, size, &record};
        DWORD_PTR answer = 7;
        SendMessageTimeoutA(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer);
        return answer;
    }
    CommandRecord record;
    HANDLE section = nullptr;
};

TEST(Resident, StartsWithTrayWindowAndExitsCleanly) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    EXPECT_TRUE(test::waitUntil([&] { return e2e::trayIconShown(varnel.resident()); }));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'E'));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'W'));
    HWND resident = varnel.resident();
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_FALSE(e2e::trayIconShown(resident));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'E'));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'C'));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'F'));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'W'));
    EXPECT_EQ("false", varnel.saved("SETTINGS", "RUNNEXT"));
    EXPECT_EQ("true", varnel.saved("TARGET", "EX"));
}

TEST(Resident, CommandTwentyTwoAndCloseFromOutsideExitLikeTheMenu) {
    {
        VarnelRun varnel;
        ASSERT_TRUE(varnel.start());
        varnel.command(22);
        DWORD code = 99;
        ASSERT_TRUE(varnel.waitExit(10000, &code));
        EXPECT_EQ(0u, code);
        EXPECT_EQ("false", varnel.saved("SETTINGS", "RUNNEXT"));
    }
    {
        VarnelRun varnel;
        ASSERT_TRUE(varnel.start());
        PostMessageA(varnel.resident(), WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(varnel.waitExit(10000, &code));
        EXPECT_EQ(0u, code);
        EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'W'));
        EXPECT_EQ("false", varnel.saved("SETTINGS", "RUNNEXT"));
    }
}

// Explorer restarted: its new taskbar announces itself, and the icon must come back.
TEST(Resident, TrayIconReturnsWhenTheTaskbarIsRecreated) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    ASSERT_TRUE(test::waitUntil([&] { return e2e::trayIconShown(varnel.resident()); }));
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = varnel.resident();
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(e2e::trayIconShown(varnel.resident()));
    PostMessageA(varnel.resident(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(test::waitUntil([&] { return e2e::trayIconShown(varnel.resident()); }));

    // A taskbar that announces itself while it holds the icon, and changes of the settings and
    // the display, through which a change of scaling comes: the icon stays, and still works.
    PostMessageA(varnel.resident(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    PostMessageA(varnel.resident(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    PostMessageA(varnel.resident(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    EXPECT_NE(nullptr, varnel.openMainDialog());
    EXPECT_TRUE(e2e::trayIconShown(varnel.resident()));
}

TEST(Resident, HotkeyClosesExactlyItsKind) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start(
        {{"CabinetWClass", "folder 1"}, {"CabinetWClass", "folder 2"}, {"MozillaWindowClass", "Mozilla Firefox"}}));
    VarnelRun varnel;
    varnel.writeSettings("[TARGET]\r\nNN=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, 'E');
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.waitClosed(1));
    EXPECT_TRUE(targets.isOpen(2));

    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, 'F');
    EXPECT_TRUE(targets.waitClosed(2));
}

// A folder that asks before it closes: the note that follows the sweep, clicked, brings its
// question to the front.
TEST(Resident, TheNoteAfterASweepBringsTheWaitingQuestionForward) {
    test::TargetWindowSpec asks{"CabinetWClass", "unsaved"};
    asks.onClose = test::TargetWindowSpec::ASKS;
    TargetWindows targets, other;
    ASSERT_TRUE(targets.start({asks}));
    ASSERT_TRUE(other.start({{"Other", "elsewhere"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_CLOSE_EXPLORER);
    HWND question = nullptr;
    ASSERT_TRUE(
        test::waitUntil([&] { return (question = test::findDialog(targets.processId(), L"targetwin")) != nullptr; }));
    SetForegroundWindow(other.window(0));
    ASSERT_TRUE(test::waitUntil([&] { return GetForegroundWindow() == other.window(0); }));
    const UINT balloonClick = WM_USER + 5;
    EXPECT_TRUE(test::waitUntil([&] {
        varnel.tray(balloonClick);
        return test::waitUntil([&] { return GetForegroundWindow() == question; }, 200);
    }));
    EXPECT_TRUE(targets.isOpen(0));
}

// A pre-created folder window, hidden, stands in front: the spare still goes to the front one
// that the user sees, and the hidden one is not touched.
TEST(Resident, KeepTopmostSparesTheFrontMostOnScreen) {
    TargetWindows targets;
    ASSERT_TRUE(
        targets.start({{"CabinetWClass", "back"}, {"CabinetWClass", "front"}, {"CabinetWClass", "hidden", false}}));
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(targets.window(0), HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(targets.window(1), HWND_TOP, 0, 0, 0, 0, keep);
    SetWindowPos(targets.window(2), HWND_TOP, 0, 0, 0, 0, keep);
    VarnelRun varnel;
    varnel.writeSettings("[OPTIONS]\r\nKEEP1ST=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, 'E');
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.isOpen(1));
    EXPECT_EQ(0, targets.events(1, "close"));
    EXPECT_EQ(0, targets.events(2, "close"));
}

// The shell cloaks the windows of other virtual desktops (the user's: counted and closed, but
// not the one kept, which must be on screen) and the frames of suspended apps (not his).
TEST(Resident, CloakedWindowsOfAnotherDesktopAreClosedOthersLeftAlone) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "other desktop"},
                               {"CabinetWClass", "front"},
                               {"CabinetWClass", "back"},
                               {"CabinetWClass", "shell part"},
                               {"AppFrame", "suspended app"},
                               {"AppFrame", "running app"}}));
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (int i : {2, 1, 0}) SetWindowPos(targets.window(i), HWND_TOP, 0, 0, 0, 0, keep);
    e2e::WindowManagerFixture::cloak(targets.window(0), 2);
    e2e::WindowManagerFixture::moveToOtherDesktop(targets.window(0));
    e2e::WindowManagerFixture::cloak(targets.window(3), 2);
    e2e::WindowManagerFixture::cloak(targets.window(4), 2);
    VarnelRun varnel;
    varnel.writeSettings("[OPTIONS]\r\nKEEP1ST=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets("[TARGET00]\r\nNAME=Apps\r\nSPEC=%allwindow\r\nCLASS=AppFrame\r\n");
    e2e::WindowManagerFixture cloaking(varnel);
    ASSERT_TRUE(cloaking.ready());
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(test::waitUntil([&] { return e2e::itemText(dialog, 1006) == L"3"; }))
        << "other desktop, front and back";
    EXPECT_EQ(L"1", e2e::itemText(dialog, IDC_OTHER_COUNT0)) << "the running app only";
    e2e::click(dialog, IDC_CANCEL_BUTTON);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(dialog); }));

    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, 'E');
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.waitClosed(2));
    EXPECT_EQ(0, targets.events(1, "close"));
    EXPECT_EQ(0, targets.events(3, "close"));
}

TEST(Resident, HotkeyModes) {
    {
        VarnelRun varnel;
        varnel.writeSettings("[HOTKEY]\r\nMODE=1\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
        ASSERT_TRUE(varnel.start());
        EXPECT_FALSE(e2e::hotkeyFree(MOD_ALT | MOD_SHIFT, 'W'));
        EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'W'));
        EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'E'));
        test::pressKeys({VK_MENU, VK_SHIFT}, 'W');
        EXPECT_NE(nullptr, varnel.mainDialog());
    }
    {
        VarnelRun varnel;
        varnel.writeSettings("[HOTKEY]\r\nMODE=7\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
        ASSERT_TRUE(varnel.start());
        EXPECT_TRUE(e2e::hotkeyFree(MOD_ALT | MOD_SHIFT, 'W'));
        for (UINT key : {'W', 'E', 'C', 'F'}) EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, key));
    }
}

// Held by another program before Varnel starts: Varnel names it, in a balloon at start and
// beside it in the Options dialog, and takes the others. The balloon comes once for a set of such
// keys: the file keeps the set told of, which the next start with the same set finds, and a
// changed set is told again.
TEST(Resident, AKeyAnotherProgramHoldsIsNamedOnceForItsSetAndTheOthersWork) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    const int OURS = 0x6000;
    ASSERT_TRUE(RegisterHotKey(nullptr, OURS, ALL_THREE, 'C'));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    const std::wstring note =
        L"他のプログラムが使用中のキー: Ctrl+Alt+Shift+C。別のキーは、トレイメニューの「オプション...」で選べます。";
    EXPECT_TRUE(test::waitUntil([&] { return e2e::balloonText() == note; })) << e2e::balloonText().size();
    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, 'E');
    EXPECT_TRUE(targets.waitClosed(0));
    varnel.command(IDM_OPTIONS);
    HWND options = varnel.waitDialog(L"Varnel - 設定");
    ASSERT_NE(nullptr, options);
    EXPECT_EQ(L"他のプログラムが使用中", e2e::itemText(options, IDC_KEY_NOTE0 + 2));
    EXPECT_EQ(L"", e2e::itemText(options, IDC_KEY_NOTE0 + 1));
    PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(options); }));
    EXPECT_EQ(0, varnel.exitThroughMenu());
    std::string told = varnel.saved("KEYS", "NOTTAKEN");
    EXPECT_NE("0", told);
    ASSERT_TRUE(test::waitUntil([] { return e2e::balloonText().empty(); }));

    ASSERT_TRUE(varnel.start());
    ASSERT_TRUE(varnel.waitIdle());
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_EQ(told, varnel.saved("KEYS", "NOTTAKEN"));

    ASSERT_TRUE(RegisterHotKey(nullptr, OURS + 1, ALL_THREE, 'F'));
    ASSERT_TRUE(varnel.start());
    EXPECT_TRUE(test::waitUntil(
        [] { return e2e::balloonText().find(L": Ctrl+Alt+Shift+C, Ctrl+Alt+Shift+F。") != std::wstring::npos; }));
    UnregisterHotKey(nullptr, OURS);
    UnregisterHotKey(nullptr, OURS + 1);
}

// As the command line does when it names a target: whether or not it is ticked, and though the
// main window was last left collapsed, where a sweep of the ticked kinds leaves targets alone.
TEST(Resident, ATargetsKeyClosesItsWindowsWhateverTheLayout) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"ToolClass", "tool"}, {"CabinetWClass", "folder"}, {"OtherTool", "other"}}));
    VarnelRun varnel;
    varnel.writeSettings(
        "[TARGET]\r\nAP01=true\r\n[OPTIONS]\r\nFULLSIZE=false\r\n[KEYS]\r\nAP00=Ctrl+Alt+Shift+1\r\n"
        "[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets(
        "[TARGET00]\r\nNAME=My Tools\r\nCLASS=ToolClass\r\n[TARGET01]\r\nNAME=Other\r\nCLASS=OtherTool\r\n");
    ASSERT_TRUE(varnel.start());
    test::pressKeys({VK_CONTROL, VK_MENU, VK_SHIFT}, '1');
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.isOpen(1));
    EXPECT_EQ(0, targets.events(2, "close")) << "the ticked target is not this key's";
}

// The main window was last left expanded, and has not been opened since the start (as at logon):
// close all and minimise all take its ticked user-defined target too.
TEST(Resident, MenuSweeps) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"},
                               {"MozillaWindowClass", "Firefox"},
                               {"CabinetWClass", "second folder"},
                               {"ToolClass", "tool"}}));
    TargetWindows chrome;
    ASSERT_TRUE(chrome.start({{"Chrome_WidgetWin_1", "Chrome"}}, "chrome.exe"));
    VarnelRun varnel;
    // Explorer off, Firefox on in the settings: the single-kind commands ignore them.
    varnel.writeSettings(
        "[TARGET]\r\nEX=false\r\nNN=true\r\nAP00=true\r\n[OPTIONS]\r\nFULLSIZE=true\r\n"
        "[HOTKEY]\r\nMODE=1\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets("[TARGET00]\r\nNAME=My Tools\r\nCLASS=ToolClass\r\n");
    ASSERT_TRUE(varnel.start());
    EXPECT_EQ(L"firefox: 1\r\ntarget1: 1\r\n", varnel.runCommand(L"/count selected").out);

    varnel.command(IDM_MINIMISE_ALL);  // minimise all: Firefox and the tool only
    EXPECT_TRUE(test::waitUntil([&] { return IsIconic(targets.window(1)) && IsIconic(targets.window(3)); }));
    EXPECT_TRUE(targets.isOpen(1));
    EXPECT_FALSE(IsIconic(targets.window(0)));

    varnel.command(IDM_CLOSE_CHROMIUM);  // Edge/Chrome
    EXPECT_TRUE(chrome.waitClosed(0));
    varnel.command(IDM_CLOSE_EXPLORER);  // Explorer, although switched off
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.waitClosed(2));
    varnel.command(IDM_CLOSE_ALL);  // close all: Firefox and the tool
    EXPECT_TRUE(targets.waitClosed(1));
    EXPECT_TRUE(targets.waitClosed(3));
    EXPECT_EQ(nullptr, varnel.findDialog(L"Varnel"));
}

// Keep the front-most on: "spared" stays; a hidden folder is never shown; a second minimise that
// finds nothing new forgets nothing; the restore keeps the order and the user's keyboard.
TEST(Resident, RestoreBringsBackWhatMinimiseSweepsMinimisedInTheirOrder) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "spared"},
                               {"CabinetWClass", "middle"},
                               {"CabinetWClass", "closed"},
                               {"CabinetWClass", "back"},
                               {"CabinetWClass", "hidden", false}}));
    TargetWindows user;
    ASSERT_TRUE(user.start({{"Notepad", "typing"}}));
    HWND spared = targets.window(0), middle = targets.window(1), back = targets.window(3);
    HWND typing = user.window(0), hidden = targets.window(4);
    for (int i = 3; i >= 0; --i)
        SetWindowPos(targets.window(i), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    VarnelRun varnel;
    varnel.writeSettings("[OPTIONS]\r\nKEEP1ST=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_MINIMISE_ALL);
    ASSERT_TRUE(test::waitUntil([&] { return IsIconic(middle) && IsIconic(targets.window(2)) && IsIconic(back); }));
    PostMessageA(targets.window(2), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(targets.waitClosed(2));
    varnel.command(IDM_MINIMISE_ALL);
    SetForegroundWindow(typing);
    ASSERT_TRUE(test::waitUntil([&] { return GetForegroundWindow() == typing; }));

    varnel.command(IDM_RESTORE_MINIMISED);
    EXPECT_TRUE(test::waitUntil([&] { return !IsIconic(middle) && !IsIconic(back); }));
    EXPECT_EQ(typing, GetForegroundWindow());
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(0, targets.events(4, "show"));

    // Nothing left to restore; the minimise queued behind it shows Varnel went on working.
    varnel.command(IDM_RESTORE_MINIMISED);
    varnel.command(IDM_KEEP_TOPMOST);
    varnel.command(IDM_MINIMISE_ALL);
    EXPECT_TRUE(test::waitUntil([&] { return IsIconic(spared) && IsIconic(middle) && IsIconic(back); }));
}

TEST(Resident, MenuFirefoxCommand) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"MozillaWindowClass", "Mozilla Firefox"}, {"CabinetWClass", "folder"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_CLOSE_FIREFOX);
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.isOpen(1));
}

TEST(Resident, KeepTopmostToggleIsSavedAtExit) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_KEEP_TOPMOST);
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_EQ("true", varnel.saved("OPTIONS", "KEEP1ST"));
}

// Log-off ends the process without WM_DESTROY: what changed since the last save is kept then.
TEST(Resident, EndOfSessionSavesTheSettings) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    DWORD_PTR answer = 0;
    // Sent, not posted: the session messages below are sent and would overtake a posted one.
    SendMessageTimeoutA(varnel.resident(), WM_COMMAND, IDM_KEEP_TOPMOST, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    ASSERT_TRUE(SendMessageTimeoutA(varnel.resident(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(TRUE, static_cast<BOOL>(answer));
    EXPECT_EQ("<missing>", varnel.saved("OPTIONS", "KEEP1ST"));
    SendMessageTimeoutA(varnel.resident(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ("true", varnel.saved("OPTIONS", "KEEP1ST"));
    EXPECT_EQ("false", varnel.saved("SETTINGS", "RUNNEXT"));
}

TEST(Resident, SecondStartWakesTheRunningInstance) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    EXPECT_EQ(0, varnel.startAgain());
    HWND dialog = varnel.mainDialog();
    ASSERT_NE(nullptr, dialog);
    // Again while it is open: only raised, no second dialog.
    EXPECT_EQ(0, varnel.startAgain());
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(dialog, varnel.mainDialog());
}

TEST(Resident, NonResidentShowsTheDialogOnceAndSaves) {
    VarnelRun resident;
    ASSERT_TRUE(resident.start());

    VarnelRun once;
    once.writeSettings("[SETTINGS]\r\nNOBACK=true\r\nRUNNEXT=true\r\n");
    ASSERT_TRUE(once.start(false));
    HWND dialog = once.mainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, resident.findDialog(L"Varnel")) << "the resident instance is not signalled";
    e2e::click(dialog, IDC_CANCEL_BUTTON);
    DWORD code = 99;
    ASSERT_TRUE(once.waitExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ("false", once.saved("SETTINGS", "RUNNEXT"));
    EXPECT_EQ("true", once.saved("SETTINGS", "NOBACK"));
}

// The command line, with no resident Varnel: the process does the work itself and leaves no
// trace (no window, icon or settings), and says what it did.
TEST(CommandLine, CarriedOutByItselfWithoutAResidentInstance) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "back"},
                               {"CabinetWClass", "front"},
                               {"MozillaWindowClass", "Firefox"},
                               {"ToolClass", "tool"}}));
    SetWindowPos(targets.window(1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    VarnelRun varnel;
    varnel.writeSettings(
        "[TARGET]\r\nEX=false\r\nNN=true\r\nAP00=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=true\r\n");
    varnel.writeTargets(
        "[TARGET00]\r\nNAME=My Tools\r\nCLASS=ToolClass\r\n[TARGET02]\r\nNAME=-x\r\nCLASS=ToolClass\r\n");
    // The ticked kinds, without the user-defined one: the main window was left collapsed.
    EXPECT_EQ(L"firefox: 1\r\n", varnel.runCommand(L"/count selected").out);
    // Left expanded, the ticked user-defined one comes along, under its kind word.
    varnel.writeSettings(
        "[TARGET]\r\nEX=false\r\nNN=true\r\nAP00=true\r\n[OPTIONS]\r\nFULLSIZE=true\r\n"
        "[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=true\r\n");
    EXPECT_EQ(L"firefox: 1\r\ntarget1: 1\r\n", varnel.runCommand(L"/count selected").out);

    e2e::CommandRun count = varnel.runCommand(L"/COUNT Explorer firefox -count");
    EXPECT_EQ(2, count.code);
    count = varnel.runCommand(L"/COUNT Explorer firefox \"my tools\" target2");
    EXPECT_EQ(0, count.code);
    EXPECT_EQ(L"explorer: 2\r\nfirefox: 1\r\nmy tools: 1\r\ntarget2: 0\r\n", count.out);
    EXPECT_EQ(L"", count.err);
    // A name that reads as an option, named as such; a letter the code page lacks is "?".
    EXPECT_EQ(L"-x: 1\r\n", varnel.runCommand(L"/count name:-x").out);
    EXPECT_EQ(0u, varnel.runCommand(L"/count \u0100bc").err.find(L"Varnel: \"?bc\" という名前"));

    e2e::CommandRun close = varnel.runCommand(L"/close explorer \"MY TOOLS\" /keep-front /wait 0");
    EXPECT_EQ(0, close.code);
    EXPECT_EQ(L"explorer: 1 件閉じました、1 件残しました\r\nMY TOOLS: 1 件閉じました\r\n", close.out);
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.waitClosed(3));
    EXPECT_TRUE(targets.isOpen(1));

    e2e::CommandRun minimise = varnel.runCommand(L"/minimize firefox");
    EXPECT_EQ(L"firefox: 1 件最小化しました\r\n", minimise.out);
    EXPECT_TRUE(test::waitUntil([&] { return IsIconic(targets.window(2)) != 0; }));
    // The record of what was minimised went with that process.
    EXPECT_EQ(L"元に戻しました: 0\r\n", varnel.runCommand(L"/restore").out);
    EXPECT_TRUE(IsIconic(targets.window(2)));

    EXPECT_EQ(nullptr, FindWindowA("VarnelDummy", "VARNELDMMY"));
    EXPECT_FALSE(test::fileExistsPlain(test::appDataSettingsFile()));
}

// A usage error changes nothing, and says why with the usage on standard error.
TEST(CommandLine, BadInputIsAUsageErrorThatChangesNothing) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\n");
    const std::wstring bad[] = {L"/close nosuch",
                                L"/close \"\"",
                                L"/close explorer /wait -1",
                                L"/close explorer /wait 201",
                                L"/close explorer /wait 99999999999",
                                L"/close explorer /timeout 0",
                                L"/close explorer /timeout 601",
                                L"/close explorer /timeout soon",
                                L"/close explorer " + std::wstring(32000, L'x'),
                                L"/close explorer /count explorer",
                                L"explorer"};
    for (const std::wstring& arguments : bad) {
        e2e::CommandRun run = varnel.runCommand(arguments);
        EXPECT_EQ(2, run.code) << arguments.size();
        EXPECT_EQ(L"", run.out);
        EXPECT_EQ(0u, run.err.find(L"Varnel: ")) << arguments.size();
        EXPECT_NE(std::wstring::npos, run.err.find(L"Varnel.exe /count    KIND")) << arguments.size();
    }
    EXPECT_NE(std::wstring::npos, varnel.runCommand(L"/close nosuch").err.find(L"\"nosuch\""));
    EXPECT_TRUE(targets.isOpen(0));
    EXPECT_EQ(0, targets.events(0, "close"));

    e2e::CommandRun help = varnel.runCommand(L"-?");
    EXPECT_EQ(0, help.code);
    EXPECT_NE(std::wstring::npos, help.out.find(L"Varnel.exe /minimize KIND"));
    EXPECT_EQ(L"", help.err);
}

// With a resident Varnel the command is handed to it: its restore brings back what a command's
// minimise took, a named target is acted on though the main window never showed it, and the
// resident shows nothing. A rule that fits the resident window takes only other programs'.
TEST(CommandLine, HandedToTheResidentInstance) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start(
        {{"CabinetWClass", "one"}, {"CabinetWClass", "two"}, {"ToolClass", "tool"}, {"Helper", "not VARNELDMMY"}}));
    VarnelRun varnel;
    varnel.writeSettings("[OPTIONS]\r\nKEEP1ST=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets(
        "[TARGET00]\r\nNAME=My Tools\r\nCLASS=ToolClass\r\n[TARGET01]\r\nNAME=Helpers\r\nTEXT=DMMY\r\n");
    ASSERT_TRUE(varnel.start());

    e2e::CommandRun minimise = varnel.runCommand(L"/minimize explorer /no-keep-front");
    EXPECT_EQ(0, minimise.code);
    EXPECT_EQ(L"explorer: 2 件最小化しました\r\n", minimise.out);
    ASSERT_TRUE(test::waitUntil([&] { return IsIconic(targets.window(0)) && IsIconic(targets.window(1)); }));
    EXPECT_EQ(L"explorer: 2\r\n", varnel.runCommand(L"/count explorer").out);
    EXPECT_EQ(L"元に戻しました: 2\r\n", varnel.runCommand(L"/restore").out);
    EXPECT_TRUE(test::waitUntil([&] { return !IsIconic(targets.window(0)) && !IsIconic(targets.window(1)); }));

    e2e::CommandRun unknown = varnel.runCommand(L"/close explorer nosuch");
    EXPECT_EQ(2, unknown.code);
    EXPECT_NE(std::wstring::npos, unknown.err.find(L"\"nosuch\""));
    EXPECT_EQ(0, targets.events(0, "close") + targets.events(1, "close"));

    // Keep-front as the settings say, then overridden.
    e2e::CommandRun close = varnel.runCommand(L"/close \"my tools\"");
    EXPECT_EQ(0, close.code);
    EXPECT_EQ(L"my tools: 0 件閉じました、1 件残しました\r\n", close.out);
    EXPECT_EQ(L"My Tools: 1 件閉じました\r\n", varnel.runCommand(L"/close \"My Tools\" /no-keep-front").out);
    EXPECT_TRUE(targets.waitClosed(2));
    EXPECT_EQ(L"Helpers: 1 件閉じました\r\n", varnel.runCommand(L"/close Helpers /no-keep-front").out);
    EXPECT_TRUE(targets.waitClosed(3));
    EXPECT_EQ(nullptr, varnel.findDialog(L"Varnel"));
    EXPECT_TRUE(IsWindow(varnel.resident()));
}

// A command waits for the windows it closed, without holding the resident: the main window opens
// meanwhile. It says what is left and why, and exits 1.
TEST(CommandLine, WaitsForTheOutcomeWhileTheResidentGoesOn) {
    test::TargetWindowSpec asks{"DraftClass", "draft 1"}, stays{"DraftClass", "draft 2"};
    asks.onClose = test::TargetWindowSpec::ASKS;
    stays.keepOpen = true;
    TargetWindows drafts;
    ASSERT_TRUE(drafts.start({asks, stays, {"DraftClass", "draft 3"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets("[TARGET00]\r\nNAME=Drafts\r\nCLASS=DraftClass\r\n");
    ASSERT_TRUE(varnel.start());
    std::atomic<bool> done(false);
    e2e::CommandRun run;
    std::thread caller([&] {
        run = varnel.runCommand(L"/close drafts /no-keep-front /timeout 4");
        done = true;
    });
    ASSERT_TRUE(test::waitUntil([&] { return drafts.events(1, "close") == 1; }));
    HWND dialog = varnel.openMainDialog();
    EXPECT_NE(nullptr, dialog);
    EXPECT_FALSE(done) << "the main window opened while the command waited";
    caller.join();
    EXPECT_EQ(1, run.code);
    EXPECT_EQ(L"drafts: 1 件閉じました、1 件確認待ち、1 件開いたまま\r\n", run.out);
    EXPECT_TRUE(drafts.waitClosed(2));
}

// The resident takes only a record that the command line writes, from a sender with a section
// for the reply; anything else it refuses without acting.
TEST(CommandLine, TheResidentRefusesAForeignRecord) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    RawCommand command(L"/close explorer");
    EXPECT_EQ(0u, command.send(varnel.resident())) << "no section for the reply";
    command.makeReplySection();
    EXPECT_EQ(0u, command.send(varnel.resident(), COMMAND_DATA_ID, sizeof(CommandRecord) - 2));
    EXPECT_EQ(0u, command.send(varnel.resident(), COMMAND_DATA_ID + 1));
    command.record.version = COMMAND_RECORD_VERSION + 1;
    EXPECT_EQ(0u, command.send(varnel.resident()));
    EXPECT_EQ(0, targets.events(0, "close"));
    command.record.version = COMMAND_RECORD_VERSION;
    EXPECT_EQ(1u, command.send(varnel.resident())) << "the same record, now with its section";
    EXPECT_TRUE(targets.waitClosed(0));
}

// A wait inside a sweep (on Windows, for the virtual-desktop manager in Explorer) dispatches
// what comes meanwhile: a command is answered busy, a hotkey and a tray click wait for the end of
// the sweep, which goes on as it began.
TEST(CommandLine, NothingIsCarriedOutInsideASweep) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "front"},
                               {"CabinetWClass", "other desktop"},
                               {"CabinetWClass", "back"},
                               {"MozillaWindowClass", "Firefox"}}));
    for (int i : {2, 1, 0})
        SetWindowPos(targets.window(i), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    e2e::WindowManagerFixture::cloak(targets.window(1), 2);
    e2e::WindowManagerFixture::moveToOtherDesktop(targets.window(1));
    e2e::WindowManagerFixture::answerSlowly(targets.window(1));
    HANDLE inside = CreateEventA(nullptr, TRUE, FALSE, "VarnelTestInsideDesktopCall");
    HANDLE answered = CreateEventA(nullptr, TRUE, FALSE, "VarnelTestDesktopCallAnswered");
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    e2e::WindowManagerFixture desktops(varnel);
    ASSERT_TRUE(desktops.ready());
    ASSERT_TRUE(varnel.start());
    RawCommand count(L"/count firefox");
    count.makeReplySection();

    varnel.command(IDM_CLOSE_EXPLORER);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inside, 10000));
    PostMessageA(varnel.resident(), WM_HOTKEY, 4, 0);
    varnel.tray(WM_LBUTTONDOWN);
    // Sent after the posted ones: the wait takes them all before it can return.
    EXPECT_EQ(static_cast<DWORD_PTR>(COMMAND_BUSY), count.send(varnel.resident()));
    SetEvent(answered);
    EXPECT_TRUE(targets.waitClosed(1));
    EXPECT_TRUE(targets.waitClosed(2));
    EXPECT_TRUE(targets.waitClosed(3)) << "the hotkey, after the sweep";
    EXPECT_NE(nullptr, varnel.mainDialog()) << "the tray click, after the sweep";
    CloseHandle(inside);
    CloseHandle(answered);
}

// Exit code 1 when a resident window refuses the command or answers nothing readable: here a
// stand-in of the test's own, holding the mutex, as an older or broken Varnel would. A resident
// busy with a sweep is asked again until it answers.
LRESULT standInAnswer = FALSE;
// Above 0: busy until that try, which is answered with three Explorer windows.
int triesUntilAnswer = 0;
LRESULT CALLBACK standInProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return DefWindowProcA(window, msg, wParam, lParam);
    if (!triesUntilAnswer) return standInAnswer;
    if (--triesUntilAnswer) return COMMAND_BUSY;
    CommandReceipt receipt;
    if (!receipt.receive(reinterpret_cast<const COPYDATASTRUCT*>(lParam))) return FALSE;
    CommandReply reply;
    initCommandReply(reply, receipt.command());
    reply.lines[reply.lineCount++] = {SWEEP_KIND_EXPLORER, 3, 0, 0};
    receipt.answer(reply);
    return TRUE;
}

TEST(CommandLine, ExitCodeOneWhenTheResidentRefusesOrGivesNoAnswer) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = standInProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnelDummy";
    RegisterClassA(&windowClass);
    HWND standIn = CreateWindowExA(0, "VarnelDummy", "VARNELDMMY", 0, 0, 0, 0, 0, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, standIn);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "VARNEL_MX");
    VarnelRun varnel;
    varnel.writeSettings("");
    e2e::CommandRun refused = varnel.runCommand(L"/count explorer");
    EXPECT_EQ(1, refused.code);
    EXPECT_EQ(L"", refused.out);
    EXPECT_EQ(L"Varnel: 常駐している Varnel がコマンドを受け付けませんでした。\r\n", refused.err);
    standInAnswer = TRUE;
    e2e::CommandRun silent = varnel.runCommand(L"/count explorer");
    EXPECT_EQ(1, silent.code);
    EXPECT_EQ(L"Varnel: 常駐している Varnel の応答を読み取れませんでした。コマンドは実行されたかもしれません。\r\n",
              silent.err);
    // This thread, which holds the stand-in, reads no messages until the command has given up:
    // it was never taken, and says so.
    e2e::CommandRun ignored;
    std::thread command([&] { ignored = varnel.runCommand(L"/count explorer"); });
    command.join();
    EXPECT_EQ(1, ignored.code);
    EXPECT_EQ(L"Varnel: 常駐している Varnel が 10 秒以内にコマンドを受け取らなかったため、何も実行していません。\r\n",
              ignored.err);
    test::pumpMessages();
    triesUntilAnswer = 4;
    e2e::CommandRun retried = varnel.runCommand(L"/count explorer");
    EXPECT_EQ(0, retried.code);
    EXPECT_EQ(L"explorer: 3\r\n", retried.out);
    EXPECT_EQ(0, triesUntilAnswer);
    CloseHandle(mutex);
    DestroyWindow(standIn);
}

// A long sweep keeps the resident from reading messages, and after five seconds Windows counts
// it as hung. A command then waits for the sweep to end, within its ten seconds; the command
// that started the sweep, which outlasts them, says it was taken and may still be finished.
TEST(CommandLine, WaitsForABusyResidentAndSaysWhatBecameOfTheCommand) {
    // Folders that stay open take the whole 200 ms each: a sweep of 11 s.
    test::TargetWindowSpec folder{"CabinetWClass", "folder"};
    folder.keepOpen = true;
    const std::vector<test::TargetWindowSpec> folders(55, folder);
    TargetWindows targets;
    ASSERT_TRUE(targets.start(folders));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=200\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    e2e::CommandRun sweeping;
    std::thread first([&] { sweeping = varnel.runCommand(L"/close explorer"); });
    EXPECT_TRUE(test::waitUntil([&] { return IsHungAppWindow(varnel.resident()) != 0; }, 9000));
    e2e::CommandRun waiting = varnel.runCommand(L"/count explorer");
    first.join();
    EXPECT_EQ(0, waiting.code) << waiting.err;
    EXPECT_EQ(0u, waiting.out.find(L"explorer: ")) << waiting.out;
    EXPECT_EQ(1, sweeping.code);
    EXPECT_EQ(
        L"Varnel: 常駐している Varnel はコマンドを受け取りましたが、10 秒以内に終わりませんでした。"
        L"このあと実行されることがあります。\r\n",
        sweeping.err);
    EXPECT_TRUE(test::waitUntil([&] { return targets.events(folders.size() - 1, "close") > 0; }, 10000));
}

// A resident that this process may not open, as one run as administrator is to a command that
// is not: the command says so, and does not run on its own without what the resident knows.
TEST(CommandLine, AResidentOutOfReachIsNotStoodInFor) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    // For SYSTEM only. Wine lets the owner in whatever the rights say, so SYSTEM owns it where
    // this process may give it away.
    HANDLE mutex = nullptr;
    for (const char* sddl : {"O:SYD:(A;;GA;;;SY)", "D:(A;;GA;;;SY)"}) {
        PSECURITY_DESCRIPTOR systemOnly = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &systemOnly, nullptr));
        SECURITY_ATTRIBUTES security = {sizeof security, systemOnly, FALSE};
        if (!mutex) mutex = CreateMutexA(&security, TRUE, "VARNEL_MX");
        LocalFree(systemOnly);
    }
    ASSERT_NE(nullptr, mutex);
    HANDLE opened = OpenMutexA(SYNCHRONIZE, FALSE, "VARNEL_MX");
    EXPECT_EQ(nullptr, opened) << "the mutex's rights let this user in";
    if (opened) CloseHandle(opened);
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\n");
    e2e::CommandRun run = varnel.runCommand(L"/close explorer");
    EXPECT_EQ(1, run.code);
    EXPECT_EQ(
        L"Varnel: 常駐している Varnel は管理者など別の権限で実行されているため、ここからはコマンドを渡せません。"
        L"何も実行していません。同じ権限でコマンドを実行してください。\r\n",
        run.err);
    EXPECT_TRUE(targets.isOpen(0));
    EXPECT_EQ(0, targets.events(0, "close"));
    CloseHandle(mutex);
}

}  // namespace
