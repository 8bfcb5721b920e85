// Sweeps against hostile windows: names and titles at their limits, windows that vanish
// mid-sweep, a program that has stopped answering; and a long run of count-only sweeps that
// must not grow the process.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Ceditwindow.h"
#include "settings/Settings.h"
#include "settings/TargetFile.h"
#include "sweep/Restacking.h"
#include "sweep/SweepState.h"
#include "sweep/WindowMatch.h"
#include "tests/reliability/ProcessUsage.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/InProcessWindows.h"

namespace {

DWORD WINAPI runJob(LPVOID job) {
    (*static_cast<std::function<void()>*>(job))();
    return 0;
}

// job must outlive the thread.
HANDLE startThread(std::function<void()>& job) { return CreateThread(nullptr, 0, runJob, &job, 0, nullptr); }

void setTarget(OtherTarget& target, const char* spec, const char* className, const std::string& text) {
    setOtherTargetTexts(target, L"hostile", test::wide(spec).c_str(), test::wide(className).c_str(),
                        test::wide(text.c_str()).c_str());
    target.enabled = 1;
}

class Hostile : public ::testing::Test {
protected:
    Hostile() : sweep(live, ownDialog) {
        setInitialSettings(live);
        live.waitTime = 0;
        memset(&selection, 0, sizeof selection);
        for (OtherTarget& t : selection.otherTargets) setTarget(t, "-", "-", "-");
        sweep.dialogExpanded = 1;
    }

    // Runs one sweep (or restore) on a worker thread and fails if it has not returned within
    // the bound; a stuck one is freed by ending the program it waits for.
    void sweepWithin(int countOnly, int minimise, test::TargetWindows& culprit, const char* what) {
        runWithin([&] { sweep.runSweep(countOnly, 0, minimise, selection); }, culprit, what);
    }
    void runWithin(std::function<void()> job, test::TargetWindows& culprit, const char* what) {
        HANDLE thread = startThread(job);
        ASSERT_NE(nullptr, thread);
        DWORD waited = WaitForSingleObject(thread, 10000);
        if (waited != WAIT_OBJECT_0) {
            culprit.stop();
            WaitForSingleObject(thread, INFINITE);
        }
        CloseHandle(thread);
        EXPECT_EQ(WAIT_OBJECT_0, waited) << what << " sweep blocked on a window that does not answer";
    }

    Settings live;
    Ceditwindow ownDialog;
    SweepState sweep;
    TargetSelection selection;
};

TEST_F(Hostile, NamesAndTitlesAtTheirLimits) {
    const std::string longClass(255, 'K');
    const std::string cutTitle = std::string(254, 't') + "\x82\xa0";  // the lead byte is byte 255
    test::TargetWindows targets;
    ASSERT_TRUE(targets.start({{longClass, std::string(255, 't')},
                               {"CabinetWClass", cutTitle},
                               {"CabinetWClass", std::string(600, 't')},
                               {"Chrome_WidgetWin_1", std::string(255, '\x82')}}));
    ProgramImageCache programs;
    VisitedWindow longest(targets.window(0), programs);
    EXPECT_EQ(test::wide(longClass.c_str()), longest.className());
    EXPECT_EQ(255u, wcslen(longest.title()));
    VisitedWindow cut(targets.window(1), programs);
    EXPECT_EQ(std::wstring(254, L't') + L"\u3042", cut.title()) << "a whole character, not a byte";

    setTarget(selection.otherTargets[0], "-", "-", std::string(200, 't'));
    setTarget(selection.otherTargets[1], "-", "-", "!" + std::string(254, 't'));
    selection.otherTargets[2].enabled = 0;
    sweep.runSweep(1, 0, 0, selection);
    EXPECT_EQ(2u, sweep.explorerCount);
    EXPECT_EQ(0u, sweep.chromiumCount);
    EXPECT_EQ(3u, sweep.otherCounts[0]);
    EXPECT_EQ(0u, sweep.otherCounts[2]);
}

TEST_F(Hostile, AProgramThatStopsAnsweringNeverBlocksASweep) {
    test::TargetWindows hung;
    ASSERT_TRUE(hung.start({{"CabinetWClass", "hung folder 1"},
                            {"CabinetWClass", "hung folder 2"},
                            {"MozillaWindowClass", "hung Firefox"},
                            {"HungClass", "hung other"},
                            {"HungIcon", "hung icon", false, WS_OVERLAPPEDWINDOW | WS_MINIMIZE}},
                           "targetwin.exe", true));
    selection.targetExplorer = 1;
    selection.targetFirefox = 1;
    setTarget(selection.otherTargets[0], "%allwindow", "HungClass", "hung");

    sweepWithin(1, 0, hung, "count-only");
    EXPECT_EQ(2u, sweep.explorerCount);
    EXPECT_EQ(1u, sweep.firefoxCount);
    EXPECT_EQ(1u, sweep.otherCounts[0]);
    sweepWithin(0, 1, hung, "minimising");
    sweepWithin(0, 0, hung, "closing");
    // Minimised before its program stopped answering, and in the record as a sweep leaves it,
    // between two windows of a program that answers: those come back in their order.
    test::TargetWindows alive;
    ASSERT_TRUE(alive.start({{"AliveClass", "alive front", false, WS_OVERLAPPEDWINDOW | WS_MINIMIZE},
                             {"AliveClass", "alive back", false, WS_OVERLAPPEDWINDOW | WS_MINIMIZE}}));
    ASSERT_TRUE(IsIconic(hung.window(4)) && IsIconic(alive.window(0)) && IsIconic(alive.window(1)));
    sweep.restore.minimisedWindows[0] = minimisedRecordOf(alive.window(0));
    sweep.restore.minimisedWindows[1] = minimisedRecordOf(hung.window(4));
    sweep.restore.minimisedWindows[2] = minimisedRecordOf(alive.window(1));
    sweep.restore.minimisedCount = 3;
    runWithin([&] { sweep.restore.restoreMinimised(); }, hung, "restoring");
    EXPECT_FALSE(IsIconic(alive.window(0)) || IsIconic(alive.window(1)));
    EXPECT_EQ(alive.window(1), GetWindow(alive.window(0), GW_HWNDNEXT));
}

// The names of these windows in their stacking order, front first.
std::string stackingOrder(const std::vector<std::pair<HWND, char>>& named) {
    std::string order;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        for (const auto& n : named)
            if (n.first == w) order += n.second;
    return order;
}

// b owns a visible popup, which stands directly in front of it wherever it goes: a restore's
// stacking pass neither waits for b nor gives up the order after it.
TEST_F(Hostile, AnOwnedPopupTravelsWithItsOwnerInARestack) {
    test::TargetWindowSpec popup = {"PopupClass", "p", true, WS_POPUP | WS_CAPTION};
    popup.ownedByPrevious = true;
    test::TargetWindows targets;
    ASSERT_TRUE(targets.start({{"OwnerClass", "a"}, {"OwnerClass", "b"}, popup, {"OwnerClass", "c"}}));
    HWND a = targets.window(0), b = targets.window(1), p = targets.window(2), c = targets.window(3);
    const std::vector<std::pair<HWND, char>> named = {{a, 'a'}, {b, 'b'}, {p, 'p'}, {c, 'c'}};
    // Wine 8 now and then moves these windows of its own accord: set until it holds.
    ASSERT_TRUE(test::waitUntil([&] {
        for (HWND w : {a, b, c}) SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return stackingOrder(named) == "cpba";
    })) << stackingOrder(named);
    runWithin(
        [&] {
            StackingPass pass(HWND_TOP);
            for (HWND w : {a, b, c}) pass.placeNext(w);
        },
        targets, "restacking");
    EXPECT_TRUE(test::waitUntil([&] { return stackingOrder(named) == "apbc"; }, 2000)) << stackingOrder(named);
}

TEST_F(Hostile, WindowsThatVanishMidSweep) {
    setTarget(selection.otherTargets[0], "%allwindow", "-", "vanishing");
    selection.targetExplorer = 1;
    // Another thread starts and ends programs with windows while this one sweeps over them.
    int rounds = 0;
    std::function<void()> job = [&] {
        for (; rounds < 8; ++rounds) {
            test::TargetWindows targets;
            targets.start(std::vector<test::TargetWindowSpec>(20, {"CabinetWClass", "vanishing folder"}));
            targets.stop();
        }
    };
    HANDLE churn = startThread(job);
    ASSERT_NE(nullptr, churn);
    int sweeps = 0;
    while (WaitForSingleObject(churn, 0) == WAIT_TIMEOUT) {
        sweep.runSweep(sweeps & 1, 0, sweeps & 2, selection);
        ASSERT_LE(sweep.explorerCount, 20u);
        ++sweeps;
    }
    CloseHandle(churn);
    EXPECT_EQ(8, rounds);
    printf("sweeps over vanishing windows: %d\n", sweeps);
}

TEST(Soak, TenThousandCountOnlySweepsDoNotGrowTheProcess) {
    const int SWEEPS = 10000;
    InProcessWindows windows;
    // Enough windows for every rule to run in every sweep, few enough that 10,000 sweeps stay
    // well within the test's time on a slow Wine.
    const int WINDOWS = 60;
    // A few browser-class windows: each makes every sweep open and close a process handle.
    for (int i = 0; i < WINDOWS; ++i) {
        const char* cls = i % 40 == 1 ? "Chrome_WidgetWin_1" : i % 2 == 0 ? "CabinetWClass" : "SoakClass";
        windows.make(cls, ("soak window " + std::to_string(i)).c_str(), i % 4 < 2);
    }
    Settings live;
    setInitialSettings(live);
    Ceditwindow ownDialog;
    SweepState sweep(live, ownDialog);
    TargetSelection selection = {};
    setTarget(selection.otherTargets[0], "%allwindow", "SoakClass", "soak");
    setTarget(selection.otherTargets[1], "-", "-", "!window 1");

    for (int i = 0; i < 100; ++i) sweep.runSweep(1, 0, 0, selection);
    ProcessUsage before = usageOf(GetCurrentProcessId());
    for (int i = 0; i < SWEEPS; ++i) sweep.runSweep(1, 0, 0, selection);
    ProcessUsage after = usageOf(GetCurrentProcessId());
    EXPECT_EQ(15u, sweep.explorerCount) << "the visible ones";
    EXPECT_EQ(13u, sweep.otherCounts[0]);
    expectFlat((std::to_string(SWEEPS) + " count-only sweeps over " + std::to_string(WINDOWS) + " windows").c_str(),
               before, after);
}

}  // namespace
