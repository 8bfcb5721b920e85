// A running Varnel under stress: a program that has stopped answering, hotkeys held by another
// program, many starts at once, and many openings of the main dialog.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/VarnelHarness.h"
#include "tests/reliability/ProcessUsage.h"

using e2e::VarnelRun;

namespace {

const UINT ALL_THREE = MOD_ALT | MOD_CONTROL | MOD_SHIFT;

// Opens the main dialog with a tray click, then closes it with Cancel.
bool openAndCancel(VarnelRun& varnel) {
    HWND dialog = varnel.openMainDialog();
    if (!dialog) return false;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return test::waitUntil([&] { return !IsWindow(dialog); });
}

bool mainDialogByHotkey(VarnelRun& varnel) {
    for (WORD modifier : {VK_CONTROL, VK_MENU, VK_SHIFT}) test::keyDown(modifier);
    bool opened = test::holdKeyUntil('W', [&] { return varnel.mainDialog(0) != nullptr; });
    test::keyUp('W');
    for (WORD modifier : {VK_SHIFT, VK_MENU, VK_CONTROL}) test::keyUp(modifier);
    return opened;
}

TEST(Stressed, AHungProgramDoesNotStallTrayOrHotkeys) {
    test::TargetWindows hung;
    ASSERT_TRUE(hung.start({{"CabinetWClass", "hung folder"}, {"CabinetWClass", "another hung folder"}},
                           "targetwin.exe", true));
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
    ASSERT_TRUE(varnel.start());
    varnel.command(IDM_MINIMISE_ALL);    // minimise all: the hung folders among them
    varnel.command(IDM_CLOSE_EXPLORER);  // close the folders
    ASSERT_TRUE(openAndCancel(varnel)) << "the tray no longer answers";
    ASSERT_TRUE(mainDialogByHotkey(varnel)) << "the hotkeys no longer answer";
    HWND dialog = varnel.mainDialog();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(test::waitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(0, varnel.exitThroughMenu());
}

TEST(Stressed, HotkeysHeldByAnotherProgram) {
    const UINT keys[] = {'W', 'E', 'C', 'F'};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(RegisterHotKey(nullptr, 100 + i, ALL_THREE, keys[i]));
    test::TargetWindows folders;
    ASSERT_TRUE(folders.start({{"CabinetWClass", "folder"}}));
    {
        VarnelRun varnel;
        varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=false\r\n");
        ASSERT_TRUE(varnel.start());
        varnel.command(IDM_CLOSE_EXPLORER);
        EXPECT_TRUE(folders.waitClosed(0));
        EXPECT_TRUE(openAndCancel(varnel));
        EXPECT_EQ(0, varnel.exitThroughMenu());
    }
    for (int i = 0; i < 4; ++i) UnregisterHotKey(nullptr, 100 + i);
}

// Another program posts Varnel scaling changes whose rectangle is no pointer of Varnel's (one
// into the poster's own memory, one to nowhere) and DPIs out of all reason: Varnel goes on, and
// its main dialog stays where it was.
TEST(Stressed, ForgedScalingChangesNeitherCrashNorMoveVarnel) {
    VarnelRun varnel;
    varnel.writeSettings("");
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_TRUE(dialog);
    RECT before;
    GetWindowRect(dialog, &before);
    RECT offScreen = {-30000, -30000, -29000, -29000};
    HDC screen = GetDC(nullptr);
    const WORD dpi = static_cast<WORD>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    for (WPARAM wParam :
         {MAKEWPARAM(dpi, dpi), MAKEWPARAM(2 * dpi, 2 * dpi), MAKEWPARAM(0, 0), MAKEWPARAM(60000, 60000)})
        for (LPARAM lParam : {LPARAM(0x10), reinterpret_cast<LPARAM>(&offScreen)})
            for (HWND target : {dialog, varnel.resident()}) PostMessageA(target, WM_DPICHANGED, wParam, lParam);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(varnel.proc().running());
    EXPECT_EQ(std::to_string(before.left), varnel.saved("RECT", "LEFT"));
    EXPECT_EQ(std::to_string(before.top), varnel.saved("RECT", "TOP"));
    EXPECT_EQ(0, varnel.exitThroughMenu());
}

struct ResidentCount {
    int n;
    DWORD owner;
};

BOOL CALLBACK countResident(HWND window, LPARAM context) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "VarnelDummy") == 0) {
        auto* count = reinterpret_cast<ResidentCount*>(context);
        ++count->n;
        GetWindowThreadProcessId(window, &count->owner);
    }
    return TRUE;
}

// How many resident windows exist, and the process of the last one.
int residentWindows(DWORD* owner) {
    ResidentCount count{0, 0};
    EnumWindows(countResident, reinterpret_cast<LPARAM>(&count));
    *owner = count.owner;
    return count.n;
}

TEST(Stressed, TenStartsAtOnceLeaveOneResident) {
    VarnelRun varnel;
    varnel.writeSettings("");
    std::vector<std::unique_ptr<test::Process>> starts;
    for (int i = 0; i < 10; ++i) {
        starts.push_back(std::make_unique<test::Process>());
        ASSERT_TRUE(starts.back()->start(varnel.folder().file("Varnel.exe"), "", varnel.folder().path()));
    }
    auto ended = [&] {
        int n = 0;
        for (auto& p : starts) n += !p->running();
        return n;
    };
    ASSERT_TRUE(test::waitUntil([&] { return ended() == 9; }, 30000)) << ended() << " of ten ended";
    DWORD owner = 0;
    EXPECT_EQ(1, residentWindows(&owner));
    for (auto& p : starts) {
        DWORD code = 99;
        if (!p->running()) {
            ASSERT_TRUE(p->wait(1000, &code));
            EXPECT_EQ(0u, code);
        } else {
            EXPECT_EQ(p->id(), owner);
        }
    }
}

TEST(Soak, TwoHundredMainDialogsDoNotGrowTheProcess) {
    const int OPENINGS = 200;
    VarnelRun varnel;
    varnel.writeSettings("");
    ASSERT_TRUE(varnel.start());
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(openAndCancel(varnel));
    // The heap settles over the first openings (commit grows in steps of 64 KB); a leak would
    // grow just as much in the second half as in the first.
    ProcessUsage start = usageOf(varnel.processId());
    for (int i = 0; i < OPENINGS / 2; ++i) ASSERT_TRUE(openAndCancel(varnel)) << "opening " << i;
    ProcessUsage middle = usageOf(varnel.processId());
    for (int i = OPENINGS / 2; i < OPENINGS; ++i) ASSERT_TRUE(openAndCancel(varnel)) << "opening " << i;
    ProcessUsage end = usageOf(varnel.processId());
    printf("settling: private bytes %lu -> %lu\n", static_cast<unsigned long>(start.privateBytes),
           static_cast<unsigned long>(middle.privateBytes));
    expectFlat((std::to_string(OPENINGS / 2) + " further openings of the main dialog").c_str(), middle, end);
    EXPECT_EQ(0, varnel.exitThroughMenu());
}

}  // namespace
