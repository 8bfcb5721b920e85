#include <gtest/gtest.h>

#include <cstring>

#include <regex>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "Version.h"
#include "resources/resource.h"
#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;

namespace {

const UINT ALL_THREE = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
const wchar_t WELCOME[] = L"Varnel - ようこそ";
const wchar_t SETTINGS[] = L"Varnel - 設定";

// Welcome dialog
const int VERSION = IDC_VERSION;
const int REGISTRAR = IDC_REGISTRAR;
const int NON_RESIDENT = IDC_NON_RESIDENT;
const int STANDARD = IDC_MODE_STANDARD;
const int MAIN_ONLY = IDC_MODE_MAIN_ONLY;
// Settings dialog
const int WAIT_TIME = IDC_WAIT_TIME;
// The settings dialog's keys: row i in the order of the hotkey ids
const int KEY_LABEL0 = IDC_KEY_LABEL0;
const int KEY0 = IDC_KEY0;
const int KEY_NOTE0 = IDC_KEY_NOTE0;
const int MAIN_KEY = KEY0, EXPLORER_KEY = KEY0 + 1, FIREFOX_KEY = KEY0 + 3, TARGET1_KEY = KEY0 + 7;
const BYTE CTRL_ALT_SHIFT = HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT;
// Main dialog
const int HELP_LINK = IDC_HELP_LINK;

bool standardKeysHeld() {
    for (UINT key : {'E', 'C', 'F', 'W'})
        if (e2e::hotkeyFree(ALL_THREE, key)) return false;
    return e2e::hotkeyFree(MOD_ALT | MOD_SHIFT, 'W');
}

bool mainOnlyKeysHeld() {
    for (UINT key : {'E', 'C', 'F', 'W'})
        if (!e2e::hotkeyFree(ALL_THREE, key)) return false;
    return !e2e::hotkeyFree(MOD_ALT | MOD_SHIFT, 'W');
}

bool gone(HWND window) {
    return test::waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

void setText(HWND dialog, int id, const char* text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
}

// Clicks a radio button or an unticked check box and waits until the dialog shows it on.
bool turnOn(HWND dialog, int id) {
    e2e::click(dialog, id);
    return test::waitUntil([&] { return e2e::isChecked(dialog, id); });
}

// The launchers save after the dialog has gone: poll for the file to follow.
bool savedBecomes(const VarnelRun& varnel, const char* section, const char* key, const std::string& value) {
    bool ok = test::waitUntil([&] { return varnel.saved(section, key) == value; });
    if (!ok) ADD_FAILURE() << section << "/" << key << " is " << varnel.saved(section, key) << ", not " << value;
    return ok;
}

std::string recorderLog() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "varnel-recorder.txt";
}

// Varnel's folder as the recorder writes it: without the trailing backslash.
std::string folderLine(const VarnelRun& varnel) {
    std::string path = varnel.folder().path();
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return "folder " + path;
}

// A stand-in registrar beside Varnel that only records how the shell started it.
class StandInRegistrar {
public:
    explicit StandInRegistrar(const VarnelRun& varnel) {
        DeleteFileA(recorderLog().c_str());
        test::copyFile(test::binFolder() + "recorder.exe", varnel.folder().file("Quillon.exe"));
    }
    ~StandInRegistrar() { DeleteFileA(recorderLog().c_str()); }
    bool waitStarted() const {
        return test::waitUntil([] { return test::readFile(recorderLog()).find("folder") != std::string::npos; });
    }
};

// A resident start with the welcome flag on; the welcome dialog it shows.
HWND startWelcomed(VarnelRun& varnel, const std::string& settings) {
    varnel.writeSettings("[SETTINGS]\r\n" + settings + "RUNNEXT=true\r\n");
    return varnel.start() ? varnel.waitDialog(WELCOME) : nullptr;
}

TEST(WelcomeDialog, ShownAtStartWithTrayAndHotkeysWorking) {
    VarnelRun varnel;
    HWND welcome = startWelcomed(varnel, "");
    ASSERT_NE(nullptr, welcome);
    EXPECT_TRUE(standardKeysHeld());

    std::wstring version = e2e::itemText(welcome, VERSION);
    const std::wstring number = std::regex_replace(std::wstring(L"" VARNEL_VERSION), std::wregex(L"\\."), L"\\.");
    EXPECT_TRUE(std::regex_match(version, std::wregex(L"Varnel  Version " + number + L"   \\(C\\) Lumo   " +
                                                      L"(19|20)\\d\\d/(0[1-9]|1[0-2])/(0[1-9]|[12]\\d|3[01])")))
        << std::string(version.begin(), version.end());
    EXPECT_TRUE(e2e::isChecked(welcome, STANDARD));
    EXPECT_FALSE(e2e::isChecked(welcome, MAIN_ONLY));

    varnel.tray(WM_LBUTTONDOWN);
    HWND main = varnel.mainDialog();
    ASSERT_NE(nullptr, main);
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(gone(main));
    EXPECT_TRUE(IsWindowVisible(welcome));
    // The main dialog's closing saved the settings: the welcome is not shown again.
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "RUNNEXT", "false"));
    e2e::click(welcome, IDOK);
    EXPECT_TRUE(gone(welcome));
}

TEST(WelcomeDialog, ModeSwitchesTakeEffectAtOnce) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    ASSERT_TRUE(standardKeysHeld());

    varnel.command(IDM_ABOUT);
    HWND welcome = varnel.waitDialog(WELCOME);
    ASSERT_NE(nullptr, welcome);
    ASSERT_TRUE(turnOn(welcome, MAIN_ONLY));
    EXPECT_FALSE(e2e::isChecked(welcome, STANDARD));
    PostMessageA(welcome, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(gone(welcome));
    EXPECT_TRUE(test::waitUntil(mainOnlyKeysHeld));

    varnel.command(IDM_ABOUT);
    welcome = varnel.waitDialog(WELCOME);
    ASSERT_NE(nullptr, welcome);
    EXPECT_TRUE(e2e::isChecked(welcome, MAIN_ONLY));
    ASSERT_TRUE(turnOn(welcome, STANDARD));
    e2e::click(welcome, IDOK);
    ASSERT_TRUE(gone(welcome));
    EXPECT_TRUE(test::waitUntil(standardKeysHeld));

    // Closing without a change keeps the keys.
    varnel.command(IDM_ABOUT);
    welcome = varnel.waitDialog(WELCOME);
    ASSERT_NE(nullptr, welcome);
    PostMessageA(welcome, WM_CLOSE, 0, 0);
    ASSERT_TRUE(gone(welcome));
    EXPECT_TRUE(standardKeysHeld());
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_EQ("0", varnel.saved("HOTKEY", "MODE"));
}

TEST(WelcomeDialog, UnknownModeOpensAsMainOnlyAndClosesAsModeOne) {
    VarnelRun varnel;
    varnel.writeSettings("[HOTKEY]\r\nMODE=5\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    EXPECT_TRUE(e2e::hotkeyFree(MOD_ALT | MOD_SHIFT, 'W'));
    varnel.command(IDM_ABOUT);
    HWND welcome = varnel.waitDialog(WELCOME);
    ASSERT_NE(nullptr, welcome);
    EXPECT_TRUE(e2e::isChecked(welcome, MAIN_ONLY));
    EXPECT_FALSE(e2e::isChecked(welcome, STANDARD));
    // The check box is only remembered; it is written by the next save.
    ASSERT_TRUE(turnOn(welcome, NON_RESIDENT));
    e2e::click(welcome, IDOK);
    ASSERT_TRUE(gone(welcome));
    EXPECT_TRUE(test::waitUntil(mainOnlyKeysHeld));
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_EQ("1", varnel.saved("HOTKEY", "MODE"));
    EXPECT_EQ("true", varnel.saved("SETTINGS", "NOBACK"));
}

TEST(WelcomeDialog, RegistrarStartsInVarnelsFolderAndDropsTheChoices) {
    VarnelRun varnel;
    StandInRegistrar registrar(varnel);
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_ABOUT);
    HWND welcome = varnel.waitDialog(WELCOME);
    ASSERT_NE(nullptr, welcome);
    ASSERT_TRUE(turnOn(welcome, MAIN_ONLY));
    ASSERT_TRUE(turnOn(welcome, NON_RESIDENT));
    e2e::click(welcome, REGISTRAR);
    EXPECT_TRUE(gone(welcome));
    ASSERT_TRUE(registrar.waitStarted());
    std::string log = test::readFile(recorderLog());
    EXPECT_NE(std::string::npos, log.find(folderLine(varnel) + "\n")) << log;
    EXPECT_NE(std::string::npos, log.find("Quillon.exe")) << log;

    EXPECT_TRUE(standardKeysHeld());
    EXPECT_EQ(0, varnel.exitThroughMenu());
    EXPECT_EQ("0", varnel.saved("HOTKEY", "MODE"));
    EXPECT_EQ("false", varnel.saved("SETTINGS", "NOBACK"));
}

// The help link notifies its dialog on the button's release.
HWND openWelcomeFromHelpLink(VarnelRun& varnel, HWND main) {
    PostMessageA(GetDlgItem(main, HELP_LINK), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    return varnel.waitDialog(WELCOME);
}

TEST(WelcomeDialog, FromTheHelpLink) {
    VarnelRun varnel;
    StandInRegistrar registrar(varnel);
    ASSERT_TRUE(varnel.start());
    HWND main = varnel.openMainDialog();
    ASSERT_NE(nullptr, main);

    HWND welcome = openWelcomeFromHelpLink(varnel, main);
    ASSERT_NE(nullptr, welcome);
    EXPECT_EQ(main, GetWindow(welcome, GW_OWNER));
    e2e::click(welcome, IDOK);
    ASSERT_TRUE(gone(welcome));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(main, varnel.findDialog(L"Varnel"));

    welcome = openWelcomeFromHelpLink(varnel, main);
    ASSERT_NE(nullptr, welcome);
    e2e::click(welcome, REGISTRAR);
    EXPECT_TRUE(gone(welcome));
    EXPECT_TRUE(gone(main));
    EXPECT_TRUE(registrar.waitStarted());
}

HWND openSettings(VarnelRun& varnel) {
    varnel.command(IDM_OPTIONS);
    return varnel.waitDialog(SETTINGS);
}

// A resident start with these settings, and its settings dialog.
HWND startWithSettingsOpen(VarnelRun& varnel, const std::string& settings) {
    varnel.writeSettings(settings);
    return varnel.start() ? openSettings(varnel) : nullptr;
}

// Types a wait time, presses OK and tells whether the dialog closed.
bool okWith(HWND dialog, const char* text) {
    setText(dialog, WAIT_TIME, text);
    std::wstring wide(text, text + strlen(text));
    if (!test::waitUntil([&] { return e2e::itemText(dialog, WAIT_TIME) == wide; })) {
        ADD_FAILURE() << "the field did not take \"" << text << "\"";
        return false;
    }
    e2e::click(dialog, IDOK);
    return gone(dialog);
}

TEST(SettingsDialog, AcceptsUpToTwoHundred) {
    VarnelRun varnel;
    HWND dialog = startWithSettingsOpen(varnel, "[SETTINGS]\r\nWAITTIME=37\r\nRUNNEXT=false\r\n");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"37", e2e::itemText(dialog, WAIT_TIME));
    EXPECT_TRUE(okWith(dialog, "200"));
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "WAITTIME", "200"));

    dialog = openSettings(varnel);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"200", e2e::itemText(dialog, WAIT_TIME));
    EXPECT_TRUE(okWith(dialog, ""));
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "WAITTIME", "0"));
}

TEST(SettingsDialog, RefusesMoreThanTwoHundredHoweverLong) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    HWND dialog = openSettings(varnel);
    ASSERT_NE(nullptr, dialog);
    for (const char* tooMuch : {"201", "3000000000", "99999999999", "000000000000000000000201"}) {
        setText(dialog, WAIT_TIME, tooMuch);
        e2e::click(dialog, IDOK);
        EXPECT_TRUE(test::waitUntil([&] { return e2e::itemText(dialog, WAIT_TIME) == L"200"; })) << tooMuch;
        ASSERT_TRUE(IsWindowVisible(dialog)) << tooMuch;
    }
    // Leading zeros of a small number are fine.
    EXPECT_TRUE(okWith(dialog, "0000000000000000000000007"));
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "WAITTIME", "7"));
}

TEST(SettingsDialog, CancelAfterRefusedOkKeepsTheCheckBoxReadAtOk) {
    VarnelRun varnel;
    HWND welcome = startWelcomed(varnel, "WAITTIME=80\r\n");
    ASSERT_NE(nullptr, welcome);
    e2e::click(welcome, IDOK);
    ASSERT_TRUE(gone(welcome));

    // Cancel alone still writes the file (and with it the welcome flag off).
    HWND dialog = openSettings(varnel);
    ASSERT_NE(nullptr, dialog);
    e2e::click(dialog, IDCANCEL);
    ASSERT_TRUE(gone(dialog));
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "RUNNEXT", "false"));
    EXPECT_EQ("80", varnel.saved("SETTINGS", "WAITTIME"));

    dialog = openSettings(varnel);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(turnOn(dialog, NON_RESIDENT));
    setText(dialog, WAIT_TIME, "500");
    e2e::click(dialog, IDOK);
    ASSERT_TRUE(test::waitUntil([&] { return e2e::itemText(dialog, WAIT_TIME) == L"200"; }));
    e2e::click(dialog, IDCANCEL);
    ASSERT_TRUE(gone(dialog));
    EXPECT_TRUE(savedBecomes(varnel, "SETTINGS", "NOBACK", "true"));
    EXPECT_EQ("80", varnel.saved("SETTINGS", "WAITTIME"));
}

// Clicks a button and returns once its dialog has handled the click.
void clickAndWait(HWND dialog, int id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// The hotkey controls of a dialog, in the order in which they stand in it.
std::vector<int> hotkeyControls(HWND dialog) {
    std::vector<int> ids;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, HOTKEY_CLASSA) == 0) ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

TEST(SettingsDialog, AChosenKeyWorksAtOnceInPlaceOfTheOldAndIsKeptAcrossARestart) {
    test::TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    VarnelRun varnel;
    varnel.writeTargets("[TARGET00]\r\nNAME=My Tools\r\nCLASS=ToolClass\r\n");
    HWND dialog = startWithSettingsOpen(varnel, "[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_NE(nullptr, dialog);
    std::vector<int> rows;
    for (int i = 0; i < 12; ++i) rows.push_back(KEY0 + i);
    EXPECT_EQ(rows, hotkeyControls(dialog));
    EXPECT_EQ(MAKEWORD('W', CTRL_ALT_SHIFT), e2e::hotkeyShown(dialog, MAIN_KEY));
    EXPECT_EQ(MAKEWORD('E', CTRL_ALT_SHIFT), e2e::hotkeyShown(dialog, EXPLORER_KEY));
    EXPECT_EQ(0, e2e::hotkeyShown(dialog, KEY0 + 4)) << "close all has no key";
    EXPECT_EQ(L"My Tools を閉じる", e2e::itemText(dialog, KEY_LABEL0 + 7));
    EXPECT_EQ(L"対象 2 を閉じる (未定義)", e2e::itemText(dialog, KEY_LABEL0 + 8));

    // Explorer's key moves to Ctrl+Shift+X; Firefox's is cleared; Cancel first changes nothing.
    ASSERT_TRUE(e2e::typeHotkey(dialog, EXPLORER_KEY, {VK_CONTROL, VK_SHIFT}, 'X',
                                MAKEWORD('X', HOTKEYF_CONTROL | HOTKEYF_SHIFT)));
    e2e::click(dialog, IDCANCEL);
    ASSERT_TRUE(gone(dialog));
    EXPECT_TRUE(test::waitUntil(standardKeysHeld));
    EXPECT_TRUE(e2e::hotkeyFree(MOD_CONTROL | MOD_SHIFT, 'X'));

    dialog = openSettings(varnel);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(e2e::typeHotkey(dialog, EXPLORER_KEY, {VK_CONTROL, VK_SHIFT}, 'X',
                                MAKEWORD('X', HOTKEYF_CONTROL | HOTKEYF_SHIFT)));
    ASSERT_TRUE(e2e::typeHotkey(dialog, FIREFOX_KEY, {}, VK_BACK, 0));
    e2e::click(dialog, IDOK);
    ASSERT_TRUE(gone(dialog));
    EXPECT_TRUE(test::waitUntil([] { return !e2e::hotkeyFree(MOD_CONTROL | MOD_SHIFT, 'X'); }));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'E'));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'F'));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'W'));
    EXPECT_TRUE(savedBecomes(varnel, "KEYS", "EX", "Ctrl+Shift+X"));
    EXPECT_EQ("", varnel.saved("KEYS", "NN"));
    test::pressKeys({VK_CONTROL, VK_SHIFT}, 'X');
    EXPECT_TRUE(targets.waitClosed(0));

    EXPECT_EQ(0, varnel.exitThroughMenu());
    ASSERT_TRUE(varnel.start());
    EXPECT_TRUE(test::waitUntil([] { return !e2e::hotkeyFree(MOD_CONTROL | MOD_SHIFT, 'X'); }));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'E'));
    EXPECT_TRUE(e2e::hotkeyFree(ALL_THREE, 'F'));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'C'));
}

// Refused before OK, with a word beside the key: one that Windows keeps (with the Windows key,
// from the file; F12) and one that another action has. OK then keeps the dialog open.
TEST(SettingsDialog, RefusedKeysAreNamedAndKeepTheDialogOpen) {
    VarnelRun varnel;
    HWND dialog = startWithSettingsOpen(varnel, "[KEYS]\r\nAP00=Win+E\r\nRESTORE=Ctrl+Home\r\n");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(MAKEWORD(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_EXT), e2e::hotkeyShown(dialog, KEY0 + 6))
        << "Home, not the numeric pad's 7";
    const std::wstring windowsKeeps = L"Windows が使うキー", twice = L"他の操作と同じキー";
    EXPECT_EQ(windowsKeeps, e2e::itemText(dialog, KEY_NOTE0 + 7));
    EXPECT_EQ(L"", e2e::itemText(dialog, KEY_NOTE0));
    clickAndWait(dialog, IDOK);
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(e2e::typeHotkey(dialog, TARGET1_KEY, {VK_CONTROL}, VK_F12, MAKEWORD(VK_F12, HOTKEYF_CONTROL)));
    EXPECT_EQ(windowsKeeps, e2e::itemText(dialog, KEY_NOTE0 + 7));

    // The main window's own key, typed for Firefox: Varnel holds none while the dialog is open.
    ASSERT_TRUE(
        e2e::typeHotkey(dialog, FIREFOX_KEY, {VK_CONTROL, VK_MENU, VK_SHIFT}, 'W', MAKEWORD('W', CTRL_ALT_SHIFT)));
    EXPECT_TRUE(test::waitUntil([&] { return e2e::itemText(dialog, KEY_NOTE0) == twice; }));
    EXPECT_EQ(twice, e2e::itemText(dialog, KEY_NOTE0 + 3));
    ASSERT_TRUE(e2e::typeHotkey(dialog, TARGET1_KEY, {VK_MENU}, 'T', MAKEWORD('T', HOTKEYF_ALT)));
    EXPECT_EQ(L"", e2e::itemText(dialog, KEY_NOTE0 + 7));
    clickAndWait(dialog, IDOK);
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(
        e2e::typeHotkey(dialog, FIREFOX_KEY, {VK_CONTROL, VK_MENU, VK_SHIFT}, 'G', MAKEWORD('G', CTRL_ALT_SHIFT)));
    EXPECT_TRUE(test::waitUntil([&] { return e2e::itemText(dialog, KEY_NOTE0).empty(); }));
    e2e::click(dialog, IDOK);
    ASSERT_TRUE(gone(dialog));
    EXPECT_TRUE(test::waitUntil([] { return !e2e::hotkeyFree(MOD_ALT, 'T'); }));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'G'));
    EXPECT_FALSE(e2e::hotkeyFree(ALL_THREE, 'W'));
    EXPECT_FALSE(e2e::hotkeyFree(MOD_CONTROL, VK_HOME));
}

}  // namespace
