#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;
using e2e::inside;
using e2e::itemText;
using e2e::placeIn;
using test::TargetWindows;

namespace {

const int RUN = IDC_RUN, CANCEL = IDC_CANCEL_BUTTON, EXPLORER = IDC_EXPLORER, FIREFOX = IDC_FIREFOX;
const int KEEP = IDC_KEEP_TOPMOST, PIN = IDC_PIN_BUTTON;
const int COUNT_EXPLORER = IDC_COUNT_EXPLORER, COUNT_CHROMIUM = IDC_COUNT_CHROMIUM, COUNT_FIREFOX = IDC_COUNT_FIREFOX;
const int OTHER0 = IDC_OTHER0, OTHER_COUNT0 = IDC_OTHER_COUNT0, EDIT = IDC_EDIT_TARGETS, EXPAND = IDC_EXPAND;
const int COLLAPSE = IDC_COLLAPSE, HELP_LINK = IDC_HELP_LINK, TRAY_PICTURE = IDC_TRAY_PICTURE;
const int RULE_PICTURE = IDC_RULE_PICTURE, ADD_FROM_WINDOW = IDC_ADD_FROM_WINDOW, NEW_NAME = IDC_NEW_NAME;
const int MATCH_CLASS = IDC_MATCH_CLASS, MATCH_TITLE = IDC_MATCH_TITLE, PROGRAM_NAME = IDC_PROGRAM_NAME;
const int CLASS_NAME = IDC_CLASS_NAME, TITLE_TEXT = IDC_TITLE_TEXT, NEW_TARGET_NOTE = IDC_NEW_TARGET_NOTE;

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
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, COUNT_EXPLORER) == L"1"; })) << "not the hidden one";
    EXPECT_EQ(L"-", itemText(dialog, COUNT_CHROMIUM));
    EXPECT_EQ(L"-", itemText(dialog, COUNT_FIREFOX));

    TargetWindows more;
    ASSERT_TRUE(more.start({{"MozillaWindowClass", "Firefox"}}));
    EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, COUNT_FIREFOX) == L"1"; }, 5000));
}

TEST(MainDialog, CollapsedAndExpandedLayouts) {
    VarnelRun varnel;
    // As Notepad saves it: UTF-8 without a BOM.
    varnel.writeTargets(u8"[TARGET00]\r\nNAME=Notes\r\nCLASS=NotepadLike\r\n[TARGET01]\r\nNAME=メモ帳\r\n");
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
    EXPECT_EQ(L"メモ帳", itemText(dialog, OTHER0 + 2));
    EXPECT_EQ(L"-", itemText(dialog, OTHER0 + 4));

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

// Varnel's window's DPI against this test's view of it. Under Wine every program keeps the
// system DPI of its own start, and this one started at 96: it sees a system-aware window of a
// program started at another DPI rescaled. On Windows the session has one system DPI, and the
// two are equal.
struct PixelScale {
    int own;
    int seen;
};

PixelScale pixelScale(HWND window) {
    static const auto forWindow = test::user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    HDC screen = GetDC(nullptr);
    int viewDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    UINT windowDpi = forWindow ? forWindow(window) : 0;
    return windowDpi ? PixelScale{static_cast<int>(windowDpi), viewDpi} : PixelScale{1, 1};
}

// A length seen in a window of Varnel's, in that window's own pixels, and back.
int inOwnPixels(HWND window, int seen) {
    PixelScale scale = pixelScale(window);
    return MulDiv(seen, scale.own, scale.seen);
}

int inSeenPixels(HWND window, int own) {
    PixelScale scale = pixelScale(window);
    return MulDiv(own, scale.seen, scale.own);
}

// What the window was made with, whatever Varnel's manifest asked for.
bool perMonitorV1(HWND window) {
    static const auto contextOf =
        test::user32Function<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
    static const auto equal = test::user32Function<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>(
        "AreDpiAwarenessContextsEqual");
    return contextOf && equal(contextOf(window), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

bool meet(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != 0;
}

// The designed client size, scaled; every visible control in the client area and clear of
// every other; the rows of kinds, with their counts, wholly inside the group box's frame with
// a margin, and whatever lies outside the group box clear of its frame.
void expectWholeLayout(HWND dialog, int dpi, SIZE designed) {
    SIZE size = e2e::clientSize(dialog);
    EXPECT_NEAR(MulDiv(designed.cx, dpi, 96), inOwnPixels(dialog, size.cx), 1) << dpi;
    EXPECT_NEAR(MulDiv(designed.cy, dpi, 96), inOwnPixels(dialog, size.cy), 1) << dpi;
    RECT client = {0, 0, size.cx, size.cy};
    HWND groupBox = GetDlgItem(dialog, IDC_TARGET_GROUP);
    RECT group = placeIn(dialog, groupBox);
    int margin = inSeenPixels(dialog, MulDiv(4, dpi, 96));
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

bool groupBox(HWND control) {
    wchar_t kind[16] = {};
    GetClassNameW(control, kind, 16);
    return !lstrcmpiW(kind, L"Button") && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The welcome dialog's pictures drawn for its scaling, never enlarged from smaller ones: their
// designed size in pixels at 100%, scaled; in the client area and clear of every other control
// but the group boxes around them.
void expectScaledPictures(HWND welcome, int dpi) {
    RECT client;
    GetClientRect(welcome, &client);
    const struct {
        int id;
        SIZE designed;
    } pictures[] = {{TRAY_PICTURE, {134, 43}}, {RULE_PICTURE, {407, 2}}};
    for (const auto& picture : pictures) {
        HWND control = GetDlgItem(welcome, picture.id);
        RECT r = placeIn(welcome, control);
        EXPECT_NEAR(MulDiv(picture.designed.cx, dpi, 96), inOwnPixels(welcome, r.right - r.left), 1) << dpi;
        EXPECT_NEAR(MulDiv(picture.designed.cy, dpi, 96), inOwnPixels(welcome, r.bottom - r.top), 1) << dpi;
        EXPECT_TRUE(inside(r, client)) << dpi << " dpi: picture " << picture.id << " reaches " << r.right;
        for (HWND other = GetWindow(welcome, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
            if (other == control || !IsWindowVisible(other) || groupBox(other)) continue;
            EXPECT_FALSE(meet(r, placeIn(welcome, other)))
                << dpi << " dpi: picture " << picture.id << " and " << GetDlgCtrlID(other);
        }
    }
}

// The main dialog in both layouts, and the welcome dialog opened from its help link.
TEST(MainDialog, WholeAndScaledAtEveryDisplayScaling) {
    SetProcessDPIAware();
    for (int dpi : {96, 120, 144, 192}) {
        DisplayScaling scaling(dpi);
        VarnelRun varnel;
        varnel.writeSettings("[RECT]\r\nLEFT=100\r\nTOP=80\r\n");
        ASSERT_TRUE(varnel.start());
        HWND dialog = varnel.openMainDialog();
        ASSERT_NE(nullptr, dialog);
        // Per-monitor v1 would leave fonts and frames at the system's DPI on another monitor.
        EXPECT_FALSE(perMonitorV1(dialog)) << dpi;
        RECT placed;
        GetWindowRect(dialog, &placed);
        EXPECT_NEAR(100, inOwnPixels(dialog, placed.left), 1) << dpi;
        expectWholeLayout(dialog, dpi, {312, 105});
        dialogCommand(dialog, EXPAND);
        EXPECT_TRUE(test::waitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, COLLAPSE)) != 0; }));
        expectWholeLayout(dialog, dpi, {312, 185});
        PostMessageA(GetDlgItem(dialog, HELP_LINK), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        HWND welcome = varnel.waitDialog(L"Varnel - ようこそ");
        ASSERT_NE(nullptr, welcome);
        expectScaledPictures(welcome, dpi);
        e2e::click(welcome, IDOK);
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
    varnel.command(IDM_RESTORE_MINIMISED);
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

// Kept wherever it lies on a monitor's work area, up to its last pixel; centred on the primary
// monitor's work area otherwise. (Wine shows one monitor: a second one cannot be tried here.)
TEST(MainDialog, SavedPositionHonouredOrIgnored) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        LONG left;
        LONG top;
        bool honoured;
    } cases[] = {{100, 80, true},         {work.right - 1, work.bottom - 1, true},
                 {-5, 80, false},         {100, -1, false},
                 {work.right, 80, false}, {100, work.bottom, false},
                 {-1, -1, false}};
    for (const Case& c : cases) {
        VarnelRun varnel;
        varnel.writeSettings("[RECT]\r\nLEFT=" + std::to_string(c.left) + "\r\nTOP=" + std::to_string(c.top) +
                             "\r\n[SETTINGS]\r\nRUNNEXT=false\r\n");
        ASSERT_TRUE(varnel.start());
        HWND dialog = varnel.openMainDialog();
        ASSERT_NE(nullptr, dialog);
        RECT r;
        GetWindowRect(dialog, &r);
        if (c.honoured) {
            EXPECT_EQ(c.left, r.left);
            EXPECT_EQ(c.top, r.top);
        } else {
            EXPECT_NEAR((work.left + work.right - (r.right - r.left)) / 2, r.left, 2) << c.left << "," << c.top;
            EXPECT_NEAR((work.top + work.bottom - (r.bottom - r.top)) / 2, r.top, 2) << c.left << "," << c.top;
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

    // An exclusion too long to hold, cut, would leave "memo" in; the row says why it counts none.
    varnel.writeTargets("[TARGET01]\r\nNAME=Memos\r\nCLASS=NotepadLike\r\nTEXT=!" + std::string(300, 'x') + "\r\n");
    dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(GetACP() == 932 ? L"(条件が長すぎます) Memos" : L"(rule too long) Memos", itemText(dialog, OTHER0 + 2));
    EXPECT_EQ(L"-", itemText(dialog, OTHER_COUNT0 + 2)) << "counted when the dialog opened";
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

std::string targetIni(const VarnelRun& varnel) { return test::readFile(varnel.folder().file("target.ini")); }

TEST(MainDialog, PickingAWindowAddsATargetInTheFirstFreeSlotAndKeepsEveryOtherByte) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "Pick me"}}));
    VarnelRun varnel;
    // As Notepad saves it: UTF-8 without a BOM. TARGET01 is free: its conditions are all "-".
    const std::string before = u8"; 自分の対象\r\n[TARGET00]\r\nNAME=メモ帳\r\nCLASS=NotepadLike\r\n\r\n";
    const std::string after = u8"[Other]\r\nkey=値\r\n";
    varnel.writeTargets(before + "[TARGET01]\r\nNAME=old\r\nSPEC=-\r\nTEXT=-\r\n" + after);
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    HWND newTarget = e2e::pickWindow(varnel, dialog, targets.window(0));
    ASSERT_NE(nullptr, newTarget);
    EXPECT_FALSE(e2e::picking());
    // No version resource: the file name without ".exe".
    EXPECT_EQ(L"targetwin", itemText(newTarget, NEW_NAME));
    EXPECT_EQ(L"targetwin.exe", itemText(newTarget, PROGRAM_NAME));
    EXPECT_EQ(L"PickMe", itemText(newTarget, CLASS_NAME));
    EXPECT_EQ(L"Pick me", itemText(newTarget, TITLE_TEXT));
    e2e::click(newTarget, IDOK);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(newTarget); }));

    // The missing keys follow the section's header; the others are set where they stand.
    EXPECT_EQ(before + "[TARGET01]\r\nCLASS=-\r\nEXE=targetwin.exe\r\nNAME=targetwin\r\nSPEC=-\r\nTEXT=-\r\n" + after,
              targetIni(varnel));
    EXPECT_EQ(L"targetwin", itemText(dialog, OTHER0 + 2));
    EXPECT_TRUE(e2e::isChecked(dialog, OTHER0 + 2));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, ADD_FROM_WINDOW)));
    e2e::click(dialog, CANCEL);
    ASSERT_TRUE(closes(varnel, dialog));
    EXPECT_EQ("true", varnel.saved("TARGET", "AP01"));
}

// Esc, a right click and a click on Varnel's own window each end picking; nothing is written.
TEST(MainDialog, PickingIsCancelledByEscRightClickOrOwnWindow) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "Pick me"}}));
    VarnelRun varnel;
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    for (int way = 0; way < 3; ++way) {
        HWND over = way == 2 ? dialog : targets.window(0);
        POINT at = e2e::centreOf(dialog);
        if (way < 2) {
            ASSERT_TRUE(e2e::reachablePoint(over, dialog, at));
        }
        e2e::click(dialog, ADD_FROM_WINDOW);
        ASSERT_TRUE(test::waitUntil([&] { return e2e::picking(); })) << way;
        // Varnel's own windows are never outlined; the pointer's window follows over them too.
        ASSERT_TRUE(test::waitUntil([&] {
            e2e::mouseTo(at);
            return way < 2 ? e2e::outlines(varnel, over) : e2e::pointerFollowed(at);
        })) << way;
        if (way == 2) {
            EXPECT_FALSE(e2e::outlines(varnel, over));
        }
        if (way == 0) test::pressKeys({}, VK_ESCAPE);
        if (way > 0) e2e::mouseClick(way == 1);
        EXPECT_TRUE(test::waitUntil([&] { return !e2e::picking(); })) << way;
        EXPECT_TRUE(IsWindowVisible(dialog)) << way;
    }
    EXPECT_EQ(nullptr, varnel.findDialog(L"新しい対象"));
    EXPECT_FALSE(test::fileExistsPlain(varnel.folder().file("target.ini")));
}

// On Windows 10 and 11 the outline goes around the frame that is drawn, not around the resize
// borders beside it, which are not.
TEST(MainDialog, PickingOutlinesTheFrameThatIsDrawn) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "Pick me"}}));
    VarnelRun varnel;
    e2e::WindowManagerFixture windowManager(varnel);
    ASSERT_TRUE(windowManager.ready());
    e2e::WindowManagerFixture::setUndrawnBorder(targets.window(0), 7);
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    POINT at;
    ASSERT_TRUE(e2e::reachablePoint(targets.window(0), dialog, at));
    RECT drawn;
    GetWindowRect(targets.window(0), &drawn);
    drawn = {drawn.left + 7, drawn.top, drawn.right - 7, drawn.bottom - 7};
    e2e::click(dialog, ADD_FROM_WINDOW);
    ASSERT_TRUE(test::waitUntil([] { return e2e::picking(); }));
    EXPECT_TRUE(test::waitUntil([&] {
        e2e::mouseTo(at);
        return e2e::outlines(varnel, drawn);
    }));
    test::pressKeys({}, VK_ESCAPE);
    EXPECT_TRUE(test::waitUntil([] { return !e2e::picking(); }));
}

// A window on another virtual desktop, which the shell cloaks, lies in front of the target: the
// user sees the target there, and it is the one outlined and picked.
TEST(MainDialog, PickingPassesOverWhatTheUserCannotSee) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "Pick me"}, {"Elsewhere", "on another desktop", false}}));
    VarnelRun varnel;
    e2e::WindowManagerFixture windowManager(varnel);
    ASSERT_TRUE(windowManager.ready());
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    POINT at;
    ASSERT_TRUE(e2e::reachablePoint(targets.window(0), dialog, at));
    HWND elsewhere = targets.window(1);
    e2e::WindowManagerFixture::cloak(elsewhere, 2);
    e2e::WindowManagerFixture::moveToOtherDesktop(elsewhere);
    RECT r;
    GetWindowRect(targets.window(0), &r);
    SetWindowPos(elsewhere, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ASSERT_TRUE(test::waitUntil([&] { return GetAncestor(WindowFromPoint(at), GA_ROOT) == elsewhere; }));
    HWND newTarget = e2e::pickWindowAt(varnel, dialog, targets.window(0), at);
    ASSERT_NE(nullptr, newTarget);
    EXPECT_EQ(L"PickMe", itemText(newTarget, CLASS_NAME));
}

// A window of Varnel's process whose class is a tooltip's, shown.
bool tooltipShown(const VarnelRun& varnel) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); w;
         w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == varnel.processId() && IsWindowVisible(w)) return true;
    }
    return false;
}

// No target.ini: it is made, as UTF-8 with a BOM. Five picks fill the five slots, each shown at
// once with its count; then the button is greyed and its tooltip says why.
TEST(MainDialog, FivePicksFillTheSlotsAndGreyTheButton) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", test::encodedText(L"日本語のタイトル", 0)}}));
    VarnelRun varnel;
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    for (int slot = 0; slot < 5; ++slot) {
        HWND newTarget = e2e::pickWindow(varnel, dialog, targets.window(0));
        ASSERT_NE(nullptr, newTarget) << slot;
        e2e::click(newTarget, slot == 0 ? MATCH_TITLE : MATCH_CLASS);
        e2e::click(newTarget, IDOK);
        ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(newTarget); })) << slot;
        EXPECT_TRUE(e2e::isChecked(dialog, OTHER0 + 2 * slot));
        EXPECT_TRUE(test::waitUntil([&] { return itemText(dialog, OTHER_COUNT0 + 2 * slot) == L"1"; })) << slot;
    }
    std::string file = targetIni(varnel);
    EXPECT_EQ(0u, file.find("\xEF\xBB\xBF[TARGET00]\r\nNAME=targetwin\r\nSPEC=-\r\nCLASS=-\r\n"
                            "TEXT=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88"
                            "\xE3\x83\xAB\r\nEXE=-\r\n"));
    EXPECT_NE(std::string::npos,
              file.find("[TARGET04]\r\nNAME=targetwin\r\nSPEC=-\r\nCLASS=PickMe\r\nTEXT=-\r\nEXE=-\r\n"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, ADD_FROM_WINDOW)));
    e2e::mouseTo(e2e::centreOf(GetDlgItem(dialog, ADD_FROM_WINDOW)));
    EXPECT_TRUE(test::waitUntil([&] { return tooltipShown(varnel); }));
}

// The dialog says why it writes nothing, and stays open for another choice: a read-only
// target.ini is left as it is, and a title that the file would read as another rule ("!" means
// "does not contain") is refused.
TEST(MainDialog, PickingSaysWhyNothingIsWritten) {
    TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "!Important report"}}));
    VarnelRun varnel;
    const std::string text = "; mine\r\n[TARGET00]\r\nNAME=x\r\n";
    varnel.writeTargets(text);
    const std::string path = varnel.folder().file("target.ini");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    HWND newTarget = e2e::pickWindow(varnel, dialog, targets.window(0));
    ASSERT_NE(nullptr, newTarget);
    e2e::click(newTarget, IDOK);
    EXPECT_TRUE(test::waitUntil(
        [&] { return itemText(newTarget, NEW_TARGET_NOTE).find(L"読み取り専用") != std::wstring::npos; }));
    EXPECT_TRUE(IsWindow(newTarget));
    EXPECT_EQ(text, targetIni(varnel));
    EXPECT_NE(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    e2e::click(newTarget, MATCH_TITLE);
    e2e::click(newTarget, IDOK);
    EXPECT_TRUE(
        test::waitUntil([&] { return itemText(newTarget, NEW_TARGET_NOTE).find(L"別の条件") != std::wstring::npos; }));
    EXPECT_EQ(text, targetIni(varnel));
    e2e::click(newTarget, MATCH_CLASS);
    e2e::click(newTarget, IDOK);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(newTarget); }));
    EXPECT_NE(std::string::npos, targetIni(varnel).find("\r\nCLASS=PickMe\r\n")) << targetIni(varnel);
    e2e::click(dialog, CANCEL);
    ASSERT_TRUE(closes(varnel, dialog));
}

}  // namespace
