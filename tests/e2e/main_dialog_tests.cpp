#include <gtest/gtest.h>

#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;
using e2e::inside;
using e2e::itemText;
using e2e::placeIn;
using test::TargetWindows;

namespace {

const int RUN = 1, CANCEL = 1009, EXPLORER = 1000, FIREFOX = 1002, KEEP = 1003, PIN = 1005;
const int COUNT_EXPLORER = 1006, COUNT_CHROMIUM = 1007, COUNT_FIREFOX = 1008;
const int OTHER0 = 1010, OTHER_COUNT0 = 1011, EDIT = 1020, EXPAND = 1024, COLLAPSE = 1025;

void dialogCommand(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, id, 0); }

bool topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool closes(const VarnelRun& varnel, HWND dialog) {
    return test::waitUntil([&] { return !IsWindow(dialog) && !varnel.findDialog(L"Varnel"); });
}

TEST(MainDialog, ShowsCountsAndRefreshesThem) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "one"}, {"CabinetWClass", "two", false}}));
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, COUNT_EXPLORER) == L"2"; }));
    EXPECT_EQ(L"-", itemText(dialog, COUNT_CHROMIUM));
    EXPECT_EQ(L"-", itemText(dialog, COUNT_FIREFOX));

    TargetWindows more;
    ASSERT_TRUE(more.start({{"MozillaWindowClass", "Firefox"}}));
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, COUNT_FIREFOX) == L"1"; }, 5000));
}

TEST(MainDialog, CollapsedAndExpandedLayouts) {
    VarnelRun varnel;
    varnel.writeTargets("[TARGET00]\r\nNAME=Notes\r\nCLASS=NotepadLike\r\n");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    SIZE size = e2e::clientSize(dialog);
    EXPECT_EQ(312, size.cx);
    EXPECT_EQ(105, size.cy);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, OTHER0)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, EDIT)));

    dialogCommand(dialog, EXPAND);
    EXPECT_TRUE(test::waitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, COLLAPSE)) != 0; }));
    EXPECT_EQ(312, e2e::clientSize(dialog).cx);
    EXPECT_EQ(185, e2e::clientSize(dialog).cy);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, OTHER0)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, EDIT)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, EXPAND)));
    EXPECT_EQ(L"Notes", itemText(dialog, OTHER0));
    EXPECT_EQ(L"-", itemText(dialog, OTHER0 + 2));

    // Collapsing, then a plain Cancel, keeps the stored layout.
    dialogCommand(dialog, COLLAPSE);
    EXPECT_TRUE(test::waitUntil([&] { return e2e::clientSize(dialog).cy == 105; }));
    dialogCommand(dialog, EXPAND);
    e2e::click(dialog, CANCEL);
    ASSERT_TRUE(closes(varnel, dialog));
    EXPECT_EQ("false", varnel.saved("OPTIONS", "FULLSIZE"));

    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(105, e2e::clientSize(dialog).cy);
    dialogCommand(dialog, EXPAND);
    e2e::click(dialog, RUN);
    ASSERT_TRUE(closes(varnel, dialog));
    EXPECT_EQ("true", varnel.saved("OPTIONS", "FULLSIZE"));
    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(185, e2e::clientSize(dialog).cy);
}

// Wine reads the display scaling from LogPixels when a program starts; 96 is put back after.
struct DisplayScaling {
    explicit DisplayScaling(DWORD dpi) { set(dpi); }
    ~DisplayScaling() { set(96); }
    static void set(DWORD dpi) {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
};

bool meet(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != 0;
}

// The designed client size, scaled; every visible control in the client area and clear of
// every other; the rows of kinds, with their counts, wholly inside the group box's frame with
// a margin, and whatever lies outside the group box clear of its frame.
void expectWholeLayout(HWND dialog, int dpi, SIZE designed) {
    SIZE size = e2e::clientSize(dialog);
    EXPECT_EQ(MulDiv(designed.cx, dpi, 96), size.cx) << dpi;
    EXPECT_EQ(MulDiv(designed.cy, dpi, 96), size.cy) << dpi;
    RECT client = {0, 0, size.cx, size.cy};
    HWND groupBox = GetDlgItem(dialog, 1021);
    RECT group = placeIn(dialog, groupBox);
    int margin = MulDiv(4, dpi, 96);
    RECT frame = {group.left + margin, group.top + margin, group.right - margin, group.bottom - margin};
    RECT aroundGroup = {group.left - 1, group.top - 1, group.right + 1, group.bottom + 1};
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        if (!IsWindowVisible(item) || item == groupBox) continue;
        int id = GetDlgCtrlID(item);
        RECT r = placeIn(dialog, item);
        EXPECT_TRUE(inside(r, client)) << dpi << " dpi: control " << id << " reaches " << r.right << "," << r.bottom;
        bool row = (id >= EXPLORER && id <= FIREFOX) || (id >= COUNT_EXPLORER && id <= COUNT_FIREFOX) ||
                   (id >= OTHER0 && id < EDIT);
        if (row) {
            EXPECT_TRUE(inside(r, frame))
                << dpi << " dpi: row " << id << " reaches " << r.bottom << " in a frame to " << frame.bottom;
        } else {
            EXPECT_FALSE(meet(r, aroundGroup)) << dpi << " dpi: control " << id << " against the group box";
        }
        for (HWND other = GetWindow(item, GW_HWNDNEXT); other; other = GetWindow(other, GW_HWNDNEXT)) {
            if (other == groupBox || !IsWindowVisible(other)) continue;
            EXPECT_FALSE(meet(r, placeIn(dialog, other))) << dpi << " dpi: " << id << " and " << GetDlgCtrlID(other);
        }
    }
}

TEST(MainDialog, WholeAndScaledAtEveryDisplayScaling) {
    SetProcessDPIAware();
    for (int dpi : {96, 120, 144, 192}) {
        DisplayScaling scaling(dpi);
        VarnelRun varnel;
        varnel.writeSettings("[RECT]\r\nLEFT=100\r\nTOP=80\r\n");
        ASSERT_TRUE(varnel.start());
        HWND dialog = varnel.openMainDialog();
        ASSERT_NE(nullptr, dialog);
        RECT placed;
        GetWindowRect(dialog, &placed);
        EXPECT_EQ(100, placed.left) << dpi;
        expectWholeLayout(dialog, dpi, {312, 105});
        dialogCommand(dialog, EXPAND);
        EXPECT_TRUE(test::waitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, COLLAPSE)) != 0; }));
        expectWholeLayout(dialog, dpi, {312, 185});
    }
}

TEST(MainDialog, CtrlSwitchesTheButtonLabels) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"全て閉じる", itemText(dialog, RUN));
    EXPECT_TRUE(test::holdKeyUntil(VK_CONTROL, [&] { return itemText(dialog, RUN) == L"全て最小化"; }));
    EXPECT_EQ(L"設定のみ", itemText(dialog, CANCEL));
    test::keyUp(VK_CONTROL);
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, RUN) == L"全て閉じる"; }, 2000));
    EXPECT_EQ(L"キャンセル", itemText(dialog, CANCEL));
}

TEST(MainDialog, RunClosesTheTickedKindsAndStoresTheTicks) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}, {"MozillaWindowClass", "Firefox"}}));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(e2e::isChecked(dialog, EXPLORER));
    e2e::click(dialog, EXPLORER);
    e2e::click(dialog, FIREFOX);
    e2e::click(dialog, RUN);
    EXPECT_TRUE(targets.waitClosed(1));
    EXPECT_TRUE(closes(varnel, dialog));
    EXPECT_TRUE(targets.isOpen(0));
    EXPECT_EQ("false", varnel.saved("TARGET", "EX"));
    EXPECT_EQ("true", varnel.saved("TARGET", "NN"));
}

TEST(MainDialog, CtrlRunMinimises) {
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"CabinetWClass", "folder"}}));
    ASSERT_TRUE(test::holdKeyUntil(VK_CONTROL, [&] { return itemText(dialog, RUN) == L"全て最小化"; }));
    e2e::click(dialog, RUN);
    EXPECT_TRUE(closes(varnel, dialog));
    test::keyUp(VK_CONTROL);
    EXPECT_TRUE(test::waitUntil([&] { return IsIconic(targets.window(0)) != 0; }));
    EXPECT_TRUE(targets.isOpen(0));
    EXPECT_EQ(0, targets.events(0, "close"));
    varnel.command(40012);
    EXPECT_TRUE(test::waitUntil([&] { return !IsIconic(targets.window(0)); }));
}

TEST(MainDialog, CancelStoresTheTicksOnlyWhileCtrlIsHeld) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    e2e::click(dialog, KEEP);
    e2e::click(dialog, CANCEL);
    EXPECT_TRUE(closes(varnel, dialog));
    EXPECT_EQ("false", varnel.saved("OPTIONS", "KEEP1ST"));

    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    e2e::click(dialog, KEEP);
    ASSERT_TRUE(test::holdKeyUntil(VK_CONTROL, [&] { return itemText(dialog, CANCEL) == L"設定のみ"; }));
    e2e::click(dialog, CANCEL);
    EXPECT_TRUE(closes(varnel, dialog));
    test::keyUp(VK_CONTROL);
    EXPECT_EQ("true", varnel.saved("OPTIONS", "KEEP1ST"));
}

TEST(MainDialog, PinStateSurvivesCancel) {
    VarnelRun varnel;
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(topmost(dialog));
    EXPECT_TRUE(e2e::isChecked(dialog, PIN));
    e2e::click(dialog, PIN);
    EXPECT_TRUE(test::waitUntil([&] { return !topmost(dialog); }));
    e2e::click(dialog, CANCEL);
    ASSERT_TRUE(closes(varnel, dialog));
    EXPECT_EQ("false", varnel.saved("OPTIONS", "TOPMOST"));
    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(topmost(dialog));
    EXPECT_FALSE(e2e::isChecked(dialog, PIN));
}

TEST(MainDialog, SavedPositionHonouredOrIgnored) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    struct Case {
        const char* left;
        const char* top;
        bool honoured;
    } cases[] = {{"100", "80", true}, {"-5", "80", false}, {"100", "-1", false}, {"99999", "80", false}};
    for (const Case& c : cases) {
        VarnelRun varnel;
        varnel.writeSettings(std::string("[RECT]\r\nLEFT=") + c.left + "\r\nTOP=" + c.top +
                             "\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
        ASSERT_TRUE(varnel.start());
        HWND dialog = varnel.openMainDialog();
        ASSERT_NE(nullptr, dialog);
        RECT r;
        GetWindowRect(dialog, &r);
        int centredLeft = (desktop.right - (r.right - r.left)) / 2;
        if (c.honoured) {
            EXPECT_EQ(100, r.left);
            EXPECT_EQ(80, r.top);
        } else {
            EXPECT_NEAR(centredLeft, r.left, 2) << c.left << "," << c.top;
        }
        e2e::click(dialog, CANCEL);
        ASSERT_TRUE(closes(varnel, dialog));
        EXPECT_EQ(std::to_string(r.left), varnel.saved("RECT", "LEFT"));
        EXPECT_EQ(std::to_string(r.top), varnel.saved("RECT", "TOP"));
    }
}

TEST(MainDialog, TargetsAreReadAgainAtEveryOpening) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"NotepadLike", "memo"}}));
    VarnelRun varnel;
    varnel.writeSettings(
        "[OPTIONS]\r\nFULLSIZE=true\r\n[TARGET]\r\nAP01=true\r\n[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    varnel.writeTargets("[TARGET01]\r\nNAME=Before\r\n");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Before", itemText(dialog, OTHER0 + 2));
    EXPECT_EQ(L"-", itemText(dialog, OTHER_COUNT0 + 2));
    e2e::click(dialog, CANCEL);
    ASSERT_TRUE(closes(varnel, dialog));

    varnel.writeTargets("[TARGET01]\r\nNAME=Memos\r\nCLASS=NotepadLike\r\n");
    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Memos", itemText(dialog, OTHER0 + 2));
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, OTHER_COUNT0 + 2) == L"1"; }));
    EXPECT_TRUE(e2e::isChecked(dialog, OTHER0 + 2));
    e2e::click(dialog, RUN);
    EXPECT_TRUE(targets.waitClosed(0));
}

// The shell opens target.ini with whatever handles .ini files: here a recorder, put in place
// of the open command of the .ini file type for the length of the test.
class IniHandler {
public:
    IniHandler() {
        DeleteFileA(log().c_str());
        char progId[128] = "inifile";
        LONG size = sizeof progId;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".ini", progId, &size) != ERROR_SUCCESS || !progId[0])
            RegSetValueA(HKEY_CLASSES_ROOT, ".ini", REG_SZ, progId, 0);
        commandKey = std::string(progId) + "\\shell\\open\\command";
        char old[1024] = {};
        size = sizeof old;
        hadCommand = RegQueryValueA(HKEY_CLASSES_ROOT, commandKey.c_str(), old, &size) == ERROR_SUCCESS;
        oldCommand = old;
        std::string command = "\"" + test::binFolder() + "recorder.exe\" \"%1\"";
        RegSetValueA(HKEY_CLASSES_ROOT, commandKey.c_str(), REG_SZ, command.c_str(), 0);
    }
    ~IniHandler() {
        if (hadCommand)
            RegSetValueA(HKEY_CLASSES_ROOT, commandKey.c_str(), REG_SZ, oldCommand.c_str(), 0);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, commandKey.c_str());
        DeleteFileA(log().c_str());
    }
    static std::string log() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        return std::string(temp) + "varnel-recorder.txt";
    }

private:
    std::string commandKey;
    std::string oldCommand;
    bool hadCommand = false;
};

TEST(MainDialog, EditButtonOpensTargetIniAndCloses) {
    IniHandler handler;
    VarnelRun varnel;
    varnel.writeSettings("[OPTIONS]\r\nFULLSIZE=true\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
    varnel.writeTargets("[TARGET00]\r\nNAME=x\r\n");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    e2e::click(dialog, EDIT);
    EXPECT_TRUE(closes(varnel, dialog));
    ASSERT_TRUE(test::waitUntil([] { return test::readFile(IniHandler::log()).find("folder") != std::string::npos; }));
    std::string log = test::readFile(IniHandler::log());
    EXPECT_NE(std::string::npos, log.find("target.ini")) << log;
}

}  // namespace
