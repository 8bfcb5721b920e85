// Measures what a sweep costs beyond bare window enumeration, how much Varnel keeps resident
// against a minimal tray program, and how big the programs are. Prints one table; every figure
// is the median of REPEATS runs, and every ratio pairs runs made back to back.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/Ceditwindow.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/TargetFile.h"
#include "sweep/SweepState.h"
#include "sweep/WindowOutcome.h"
#include "tests/e2e/VarnelHarness.h"
#include "tests/support/TestSupport.h"

namespace {

const int REPEATS = 15;
const size_t WINDOWS_PER_HELPER = 200;  // keeps each helper's command line well below 32 KB
const int TRAY_NOTIFY = WM_USER + 10;
const int CANCEL = IDC_CANCEL_BUTTON;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename F>
double secondsOf(F f) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    f();
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

void printRow(const char* item, const char* what, const std::string& value,
              const std::string& floor, const std::string& ratio, const char* goal) {
    printf("| %s | %s | %s | %s | %s | %s |\n", item, what, value.c_str(), floor.c_str(),
           ratio.c_str(), goal);
}

std::string format(const char* pattern, double value) {
    char text[64];
    snprintf(text, sizeof text, pattern, value);
    return text;
}

// Many helper processes with their windows; the Edge/Chrome windows in a chrome.exe of their own.
class Desktop {
public:
    bool add(const std::vector<test::TargetWindowSpec>& specs,
             const std::string& exe = "targetwin.exe") {
        for (size_t first = 0; first < specs.size(); first += WINDOWS_PER_HELPER) {
            size_t last = std::min(specs.size(), first + WINDOWS_PER_HELPER);
            helpers.emplace_back(new test::TargetWindows);
            std::vector<test::TargetWindowSpec> part(specs.begin() + first, specs.begin() + last);
            if (!helpers.back()->start(part, exe)) return false;
        }
        return true;
    }

    // Waits until the helpers have stopped working through posted commands: their CPU time
    // stays unchanged for a few polls.
    void settle() const {
        for (const auto& helper : helpers) {
            HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, helper->processId());
            if (!process) continue;
            ULONGLONG last = ~0ull;
            int quiet = 0;
            for (DWORD start = GetTickCount(); quiet < 3 && GetTickCount() - start < 10000;) {
                FILETIME created, exited, kernel, user;
                GetProcessTimes(process, &created, &exited, &kernel, &user);
                ULONGLONG now = (ULONGLONG(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                                (ULONGLONG(user.dwHighDateTime) << 32 | user.dwLowDateTime);
                quiet = now == last ? quiet + 1 : 0;
                last = now;
                Sleep(15);
            }
            CloseHandle(process);
        }
    }

    void clear() { helpers.clear(); }

    std::vector<HWND> windows() const {
        std::vector<HWND> all;
        for (const auto& helper : helpers)
            for (size_t i = 0; i < helper->count(); ++i) all.push_back(helper->window(i));
        return all;
    }

    bool allGone() const {
        for (HWND window : windows())
            if (!windowDone(window, 0)) return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<test::TargetWindows>> helpers;
};

test::TargetWindowSpec hidden(const char* className, const char* title, bool keepOpen = false) {
    test::TargetWindowSpec spec;
    spec.className = className;
    spec.title = title;
    spec.visible = false;
    spec.keepOpen = keepOpen;
    return spec;
}

// The built-in kinds take only windows on view: theirs must be shown for their rules to run
// whole (and for a closing sweep to close anything).
test::TargetWindowSpec shown(const char* className, const char* title, bool keepOpen = false) {
    test::TargetWindowSpec spec = hidden(className, title, keepOpen);
    spec.visible = true;
    return spec;
}

// A desktop as it might look: mostly windows that no rule wants, a few of every kind, some
// windows of browser-engine programs that are not Edge/Chrome, some with the class of a
// user-defined target.
bool makeMixedDesktop(Desktop& desktop, int n) {
    static const char* const otherClasses[][2] = {
        {"ConsoleWindowClass", "C:\\Windows\\system32\\cmd.exe"},
        {"WorkerW", ""},
        {"IME", "Default IME"},
        {"MSCTFIME UI", "MSCTFIME UI"},
        {"OleMainThreadWndClass", "OleMainThreadWndName"},
        {"GDI+ Hook Window Class", "GDI+ Window (app.exe)"},
        {"WindowsForms10.Window.8.app.0.141b42a_r6_ad1", "Inventory 3.2"},
        {"HwndWrapper[Tool.exe;;3f1d]", "Tool - Project"},
        {"Qt5QWindowIcon", "Qt Creator"},
        {"tooltips_class32", ""},
        {"Shell_TrayWnd", ""},
        {"XLMAIN", "Book1 - Excel"},
        {"OpusApp", "Report.docx - Word"},
        {"Afx:00400000:0", "Legacy MFC tool"},
    };
    const int otherKinds = sizeof otherClasses / sizeof otherClasses[0];
    std::vector<test::TargetWindowSpec> plain, chrome;
    for (int i = 0; i < n; ++i) {
        switch (i % 50) {
        case 0:
        case 25:
            chrome.push_back(shown("Chrome_WidgetWin_1", "New Tab - Google Chrome"));
            break;
        case 1:
            plain.push_back(shown("Chrome_WidgetWin_1", "Visual Studio Code"));
            break;
        case 2:
        case 27:
            plain.push_back(hidden("Chrome_WidgetWin_1", ""));
            break;
        case 3:
        case 28:
            plain.push_back(shown("CabinetWClass", "Documents"));
            break;
        case 4:
            plain.push_back(shown("MozillaWindowClass", "Start Page - Mozilla Firefox"));
            break;
        case 5:
        case 30:
        case 40:
            plain.push_back(hidden("Notepad", "memo.txt - Notepad"));
            break;
        case 6:
        case 31:
            plain.push_back(hidden("SunAwtFrame", i % 100 < 50 ? "Eclipse IDE" : "NetBeans"));
            break;
        default:
            plain.push_back(
                hidden(otherClasses[i % otherKinds][0], otherClasses[i % otherKinds][1]));
            break;
        }
    }
    return desktop.add(plain) && desktop.add(chrome, "chrome.exe");
}

// Two user-defined targets with a class condition (one also with a title condition); the rest
// as a missing TARGETnn section reads.
TargetSelection benchSelection() {
    TargetSelection selection;
    memset(&selection, 0, sizeof selection);
    selection.targetExplorer = selection.targetChromium = selection.targetFirefox = 1;
    for (OtherTarget& target : selection.otherTargets)
        setOtherTargetTexts(target, L"-", L"-", L"-", L"-");
    setOtherTargetTexts(selection.otherTargets[0], L"-", L"-", L"Notepad", L"-");
    setOtherTargetTexts(selection.otherTargets[1], L"-", L"-", L"SunAwtFrame", L"!Eclipse");
    return selection;
}

// The class name in the system's own form, as the sweep reads it.
BOOL CALLBACK classFloorProc(HWND window, LPARAM visited) {
    wchar_t className[256];
    GetClassNameW(window, className, 256);
    ++*reinterpret_cast<unsigned*>(visited);
    return TRUE;
}

BOOL CALLBACK closeFloorProc(HWND window, LPARAM) {
    wchar_t className[256];
    GetClassNameW(window, className, 256);
    if (wcscmp(className, L"CabinetWClass") == 0) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return TRUE;
}

unsigned topLevelWindows() {
    unsigned visited = 0;
    EnumWindows(classFloorProc, reinterpret_cast<LPARAM>(&visited));
    return visited;
}

struct Pair {
    double sweep, floor, ratio;
};

// Runs sweep and floor back to back, the order alternating, each `inner` times per run.
template <typename S, typename F, typename After>
Pair measurePair(int inner, S sweep, F floor, After after) {
    std::vector<double> sweeps, floors, ratios;
    for (int r = 0; r < REPEATS; ++r) {
        double s = 0, f = 0;
        for (int half = 0; half < 2; ++half) {
            if ((half == 0) == (r % 2 == 0)) {
                s = secondsOf([&] {
                        for (int i = 0; i < inner; ++i) sweep();
                    }) /
                    inner;
            } else {
                f = secondsOf([&] {
                        for (int i = 0; i < inner; ++i) floor();
                    }) /
                    inner;
            }
            after();
        }
        sweeps.push_back(s);
        floors.push_back(f);
        ratios.push_back(s / f);
    }
    return {median(sweeps), median(floors), median(ratios)};
}

void classFloor() {
    unsigned visited = 0;
    EnumWindows(classFloorProc, reinterpret_cast<LPARAM>(&visited));
}

// The processes of the windows that a target's class leaves, each image read once: what a target
// with CLASS=Notepad and an EXE needs beyond the class read.
struct ExeFloor {
    DWORD processes[64];
    int count;
};

// Reads the window's process and, the first time that process is met, its image path.
void readProcessOnce(HWND window, ExeFloor& floor) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (int i = 0; i < floor.count; ++i)
        if (floor.processes[i] == processId) return;
    if (floor.count < 64) floor.processes[floor.count++] = processId;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t path[4096];
    DWORD length = 4096;
    if (process) QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
}

BOOL CALLBACK exeFloorProc(HWND window, LPARAM context) {
    wchar_t className[256];
    GetClassNameW(window, className, 256);
    if (wcscmp(className, L"Notepad") == 0)
        readProcessOnce(window, *reinterpret_cast<ExeFloor*>(context));
    return TRUE;
}

void exeFloor() {
    ExeFloor floor = {{}, 0};
    EnumWindows(exeFloorProc, reinterpret_cast<LPARAM>(&floor));
}

// EXE alone: no cheaper condition leaves out a window, so every window's process is the question.
BOOL CALLBACK exeAloneFloorProc(HWND window, LPARAM context) {
    // The class is read all the same: every sweep reads it first, for the built-in kinds.
    wchar_t className[256];
    GetClassNameW(window, className, 256);
    readProcessOnce(window, *reinterpret_cast<ExeFloor*>(context));
    return TRUE;
}

void exeAloneFloor() {
    ExeFloor floor = {{}, 0};
    EnumWindows(exeAloneFloorProc, reinterpret_cast<LPARAM>(&floor));
}

// One set of rules for the count-only rows and the least that its sweep has to do.
struct CountOnlyCase {
    const char* rules;  // "" for the plain row
    TargetSelection selection;
    void (*floor)();
};

// The rules of the plain row; then with a program condition beside a class, which reads the
// process of the Notepad windows, and with EXE alone, which looks at every window that the user
// sees (here the windows of the built-in kinds) and whose floor asks every window's process.
std::vector<CountOnlyCase> countOnlyCases(const TargetSelection& selection, bool plain) {
    std::vector<CountOnlyCase> cases;
    if (plain) cases.push_back({"", selection, classFloor});
    cases.push_back({" with CLASS and EXE", selection, exeFloor});
    setOtherTargetTexts(cases.back().selection.otherTargets[2], L"-", L"-", L"Notepad", L"-",
                        L"notepad.exe");
    cases.push_back({" with EXE alone", selection, exeAloneFloor});
    setOtherTargetTexts(cases.back().selection.otherTargets[2], L"-", L"-", L"-", L"-",
                        L"excel.exe");
    return cases;
}

void countOnlyRows(SweepState& sweep, const std::vector<CountOnlyCase>& cases) {
    static const int sizes[] = {100, 1000, 3000};
    for (int n : sizes) {
        Desktop desktop;
        if (!makeMixedDesktop(desktop, n)) {
            fprintf(stderr, "could not make %d windows\n", n);
            continue;
        }
        unsigned windows = topLevelWindows();
        int inner = std::max(1, 3000 / n);
        for (const CountOnlyCase& c : cases) {
            Pair pair = measurePair(
                inner, [&] { sweep.runSweep(1, 0, 0, c.selection); }, c.floor, [] {});
            char item[96];
            snprintf(item, sizeof item, "1 count-only sweep%s, N=%d (%u top-level)", c.rules, n,
                     windows);
            printRow(item, "time per window", format("%.2f us", pair.sweep * 1e6 / windows),
                     format("%.2f us", pair.floor * 1e6 / windows), format("%.2f", pair.ratio),
                     "<= 1.2");
            fflush(stdout);
        }
    }
}

void closingRows(SweepState& sweep) {
    static const int sizes[] = {100, 1000, 3000};
    TargetSelection explorer;
    memset(&explorer, 0, sizeof explorer);
    explorer.targetExplorer = 1;
    for (int n : sizes) {
        Desktop desktop;
        std::vector<test::TargetWindowSpec> folders(n, shown("CabinetWClass", "Documents", true));
        if (!desktop.add(folders)) {
            fprintf(stderr, "could not make %d folder windows\n", n);
            continue;
        }
        unsigned windows = topLevelWindows();
        // Keep-open windows take the same command again, so short runs can be repeated.
        Pair pair = measurePair(
            std::max(1, 1000 / n), [&] { sweep.runSweep(0, 0, 0, explorer); },
            [] { EnumWindows(closeFloorProc, 0); }, [&] { desktop.settle(); });
        char item[64];
        snprintf(item, sizeof item, "2 closing sweep, N=%d (%u top-level)", n, windows);
        printRow(item, "time per window", format("%.2f us", pair.sweep * 1e6 / windows),
                 format("%.2f us", pair.floor * 1e6 / windows), format("%.2f", pair.ratio),
                 "<= 1.2");
        fflush(stdout);
    }
}

// Helpers' windows that close at once: from the start of a sweep with the default pause until
// the last is gone, against a loop that closes one window, waits until it is gone and goes on.
// Today's figure beside them: the same loop with the fixed pause that the sweep used to take.
void timeToGoneRows(SweepState& sweep) {
    // The largest first: after many short-lived helpers, Wine here now and then failed to make
    // a helper's 200 windows.
    static const int sizes[] = {200, 50, 10};
    const int goneRepeats = 9;
    const DWORD pause = 50;
    SweepRequest request = {0, 0, 0, static_cast<int>(pause), 0, {}};
    request.selection.targetExplorer = 1;
    for (int n : sizes) {
        std::vector<test::TargetWindowSpec> folders(n, shown("CabinetWClass", "Documents"));
        auto timed = [&](auto close) {
            Desktop desktop;
            if (!desktop.add(folders)) return -1.0;
            std::vector<HWND> windows = desktop.windows();
            double seconds = secondsOf([&] {
                close(windows);
                while (!desktop.allGone()) SwitchToThread();
            });
            desktop.settle();
            return seconds;
        };
        auto bySweep = [&](const std::vector<HWND>&) { sweep.runSweep(request); };
        auto oneByOne = [&](const std::vector<HWND>& windows) {
            FineTimer timer(true);
            for (HWND window : windows) {
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                while (!windowDone(window, 0)) SwitchToThread();
            }
        };
        std::vector<double> sweeps, floors, ratios;
        for (int r = 0; r < goneRepeats; ++r) {
            double s, f;
            if (r % 2) {
                f = timed(oneByOne);
                s = timed(bySweep);
            } else {
                s = timed(bySweep);
                f = timed(oneByOne);
            }
            if (s < 0 || f < 0) {
                fprintf(stderr, "could not make %d folder windows\n", n);
                return;
            }
            sweeps.push_back(s);
            floors.push_back(f);
            ratios.push_back(s / f);
        }
        double today = timed([&](const std::vector<HWND>& windows) {
            for (HWND window : windows) {
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                Sleep(pause);
            }
        });
        char item[96];
        snprintf(item, sizeof item, "2 time to gone, N=%d, waitTime %lu (before: %.0f ms)", n,
                 static_cast<unsigned long>(pause), today * 1e3);
        printRow(item, "sweep start to last gone", format("%.1f ms", median(sweeps) * 1e3),
                 format("%.1f ms", median(floors) * 1e3), format("%.2f", median(ratios)), "<= 1.2");
        fflush(stdout);
    }
}

struct Footprint {
    double privateKb, workingSetKb, handles;
};

// Committed private memory, summed region by region: Wine leaves PrivateUsage at 0.
double privateKbOf(HANDLE process) {
    double total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total / 1024.0;
}

Footprint footprintOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(process, &counters, sizeof counters);
    return {privateKbOf(process), counters.WorkingSetSize / 1024.0,
            static_cast<double>(test::handleCountOf(GetProcessId(process)))};
}

// The median of REPEATS readings a little apart, so that one reading during a page-in does
// not decide.
Footprint settledFootprint(HANDLE process) {
    std::vector<double> privates, sets, handles;
    for (int i = 0; i < REPEATS; ++i) {
        Footprint f = footprintOf(process);
        privates.push_back(f.privateKb);
        sets.push_back(f.workingSetKb);
        handles.push_back(f.handles);
        test::waitUntil([] { return false; }, 20);
    }
    return {median(privates), median(sets), median(handles)};
}

void footprintRows(const Footprint& f, const char* when, const Footprint* base, const char* goal) {
    char item[96];
    snprintf(item, sizeof item, "3 Varnel.exe %s", when);
    auto ratio = [&](double value, double of) {
        return base ? format("%.2f", value / of) : std::string("-");
    };
    printRow(item, "private bytes", format("%.0f KB", f.privateKb),
             base ? format("%.0f KB", base->privateKb) : "-",
             ratio(f.privateKb, base ? base->privateKb : 1), goal);
    printRow(item, "working set", format("%.0f KB", f.workingSetKb),
             base ? format("%.0f KB", base->workingSetKb) : "-",
             ratio(f.workingSetKb, base ? base->workingSetKb : 1), goal);
    printRow(item, "handles", format("%.0f", f.handles), base ? format("%.0f", base->handles) : "-",
             ratio(f.handles, base ? base->handles : 1), goal);
}

HANDLE openForQuery(DWORD processId) {
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
}

void residentRows() {
    test::Process minimal;
    if (!minimal.start(test::binFolder() + "minimal_tray.exe") ||
        !test::waitUntil([] { return FindWindowA("MinimalTray", "MinimalTray") != nullptr; },
                         10000)) {
        fprintf(stderr, "minimal_tray.exe did not start\n");
        return;
    }
    HANDLE minimalProcess = openForQuery(minimal.id());
    Footprint floor = settledFootprint(minimalProcess);
    CloseHandle(minimalProcess);
    minimal.kill();

    e2e::VarnelRun varnel;
    if (!varnel.start()) {
        fprintf(stderr, "Varnel.exe did not start\n");
        return;
    }
    HANDLE process = openForQuery(varnel.processId());
    Footprint started = settledFootprint(process);
    // The first opening loads the dialog's libraries and fonts once; growth is counted after it.
    auto openAndCancel = [&] {
        PostMessageA(varnel.resident(), TRAY_NOTIFY, 1, WM_LBUTTONDOWN);
        HWND dialog = varnel.mainDialog();
        if (!dialog) return false;
        PostMessageA(GetDlgItem(dialog, CANCEL), BM_CLICK, 0, 0);
        return test::waitUntil([&] { return !IsWindow(dialog); });
    };
    openAndCancel();
    Footprint warm = settledFootprint(process);
    int openings = 0;
    while (openings < 100 && openAndCancel()) ++openings;
    Footprint afterDialogs = settledFootprint(process);
    CloseHandle(process);

    footprintRows(started, "after start-up", &floor, "<= 1.5");
    footprintRows(warm, "after the first dialog opening", &started, "-");
    char when[64];
    snprintf(when, sizeof when, "after %d more dialog openings", openings);
    footprintRows(afterDialogs, when, &warm, "no growth");
    printRow("3 minimal_tray.exe", "private / working set / handles",
             format("%.0f KB", floor.privateKb) + " / " + format("%.0f KB", floor.workingSetKb) +
                 " / " + format("%.0f", floor.handles),
             "-", "-", "reference");
}

// Count-only sweeps as the main dialog runs them, in this process: the sweep code is the same
// as in Varnel.exe, and here nothing else runs in between.
void sweepMemoryRows(SweepState& sweep, const TargetSelection& selection) {
    Desktop desktop;
    if (!makeMixedDesktop(desktop, 100)) return;
    HANDLE self = GetCurrentProcess();
    sweep.runSweep(1, 0, 0, selection);
    Footprint before = footprintOf(self);
    for (int i = 0; i < 1000; ++i) sweep.runSweep(1, 0, 0, selection);
    Footprint after = footprintOf(self);
    printRow("3 1,000 count-only sweeps over 100 windows (benchmark process)", "private bytes",
             format("%+.0f KB", after.privateKb - before.privateKb),
             format("%.0f KB", before.privateKb), "-", "no growth");
    printRow("3 1,000 count-only sweeps over 100 windows (benchmark process)", "handles",
             format("%+.0f", after.handles - before.handles), format("%.0f", before.handles), "-",
             "no growth");
}

// One program run, start to end, waited for as a script waits; without standard handles or a
// console, its output goes nowhere.
void runQuietly(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return;
    WaitForSingleObject(info.hProcess, 20000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// `Varnel.exe /count explorer` against a program that only starts and ends, beside the sweep
// that the command runs: without a resident Varnel, then handed to one.
void commandRows(SweepState& sweep) {
    Desktop desktop;
    if (!makeMixedDesktop(desktop, 100)) return;
    // As the command has it: no target.ini, so no user-defined target.
    TargetSelection explorer;
    memset(&explorer, 0, sizeof explorer);
    explorer.targetExplorer = 1;
    for (OtherTarget& target : explorer.otherTargets)
        setOtherTargetTexts(target, L"-", L"-", L"-", L"-");
    Pair sweepOnly = measurePair(
        10, [&] { sweep.runSweep(1, 0, 0, explorer); }, [] {}, [] {});
    e2e::VarnelRun varnel;
    varnel.writeSettings("");
    std::string exe = varnel.folder().file("Varnel.exe"),
                minimal = test::binFolder() + "minimal_exit.exe";
    for (int resident = 0; resident < 2; ++resident) {
        if (resident && !varnel.start()) return;
        auto command = [&] { runQuietly(exe, "/count explorer", varnel.folder().path()); };
        Pair bare = measurePair(
            1, command, [&] { runQuietly(minimal, "", ""); }, [] {});
        Pair enumerating = measurePair(
            1, command, [&] { runQuietly(minimal, "enum", ""); }, [] {});
        char item[96];
        snprintf(item, sizeof item, "6 Varnel.exe /count explorer, %s (%u top-level)",
                 resident ? "handed to a resident Varnel" : "no resident Varnel",
                 topLevelWindows());
        std::string sweepTime = " + sweep " + format("%.1f ms", sweepOnly.sweep * 1e3);
        printRow(item, "time per run", format("%.1f ms", bare.sweep * 1e3),
                 "minimal_exit " + format("%.1f ms", bare.floor * 1e3) + sweepTime,
                 format("%.2f", (bare.sweep - sweepOnly.sweep) / bare.floor), "<= 1.3");
        printRow(item, "time per run", format("%.1f ms", enumerating.sweep * 1e3),
                 "minimal_exit enum " + format("%.1f ms", enumerating.floor * 1e3) + sweepTime,
                 format("%.2f", (enumerating.sweep - sweepOnly.sweep) / enumerating.floor), "-");
        fflush(stdout);
    }
}

void sizeRow(const char* name, double limitKb) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA((test::binFolder() + name).c_str(), GetFileExInfoStandard, &data);
    char item[64];
    snprintf(item, sizeof item, "4 %s (stripped)", name);
    printRow(item, "file size", format("%.1f KB", data.nFileSizeLow / 1024.0), "-", "-",
             format("<= %.0f KB", limitKb).c_str());
}

// A settings file of 10 MB of hand-added lines around Varnel's keys: a save against the least
// that any whole-file save does (read it, write a new file, flush, replace it).
std::string bigSettingsText() {
    std::string text = "[NOTES]\r\n";
    for (int line = 0; text.size() < 10u * 1024 * 1024; ++line)
        text += "NOTE" + std::to_string(line) +
                "=a line added by hand, kept as it is by every save\r\n";
    return text + "[SETTINGS]\r\nWAITTIME=10\r\n";
}

void copyAndReplace(const std::string& file) {
    std::string temporary = file + ".bench";
    HANDLE from = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    HANDLE to =
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    static char block[32768];
    DWORD read = 0, written = 0;
    while (ReadFile(from, block, sizeof block, &read, nullptr) && read > 0)
        WriteFile(to, block, read, &written, nullptr);
    FlushFileBuffers(to);
    CloseHandle(to);
    CloseHandle(from);
    MoveFileExA(temporary.c_str(), file.c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void settingsSaveRows() {
    const int SAVES = 5;
    Settings settings;
    setInitialSettings(settings);
    saveSettings(settings);
    std::string file = test::appDataSettingsFile();
    test::writeFile(file, bigSettingsText());
    saveSettings(settings);
    Footprint before = footprintOf(GetCurrentProcess());
    Pair pair = measurePair(
        SAVES,
        [&] {
            settings.waitTime = (settings.waitTime + 1) % 200;
            saveSettings(settings);
        },
        [&] { copyAndReplace(file); }, [] {});
    Footprint after = footprintOf(GetCurrentProcess());
    printRow("5 save over a 10 MB default.ini", "time per save",
             format("%.1f ms", pair.sweep * 1e3), format("%.1f ms", pair.floor * 1e3),
             format("%.2f", pair.ratio), "no stall (< 0.5 s)");
    printRow("5 save over a 10 MB default.ini", "private bytes after the saves",
             format("%+.0f KB", after.privateKb - before.privateKb),
             format("%.0f KB", before.privateKb), "-", "no growth");
    // The earlier save: 16 key-by-key profile writes into a copy of the file.
    double keyByKey = secondsOf([&] {
        for (const char* key : {"EX", "IE", "NN", "AP00", "AP01", "AP02", "AP03", "AP04", "TOPMOST",
                                "KEEP1ST", "FULLSIZE", "LEFT", "TOP", "MODE", "NOBACK", "WAITTIME"})
            WritePrivateProfileStringA("SETTINGS", key, "1", file.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    });
    printRow("5 the same file, 16 WritePrivateProfileStringA (reference)", "time",
             format("%.1f ms", keyByKey * 1e3), "-", "-", "reference");
    test::removeAppDataSettings();
}

}  // namespace

int main(int argc, char** argv) {
    Settings live;
    setInitialSettings(live);
    live.waitTime = 0;
    Ceditwindow noDialog;
    SweepState sweep(live, noDialog, GetCurrentProcessId());
    TargetSelection selection = benchSelection();
    // "settings" or "command": only those rows.
    if (argc > 1 && strcmp(argv[1], "settings") == 0) {
        settingsSaveRows();
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "command") == 0) {
        commandRows(sweep);
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "gone") == 0) {
        timeToGoneRows(sweep);
        return 0;
    }

    printf("| item | figure | measured | floor / reference | ratio | goal |\n");
    printf("|---|---|---|---|---|---|\n");
    // "exe": only the count-only rows with program conditions.
    const bool exeOnly = argc > 1 && strcmp(argv[1], "exe") == 0;
    countOnlyRows(sweep, countOnlyCases(selection, !exeOnly));
    if (exeOnly) return 0;
    closingRows(sweep);
    timeToGoneRows(sweep);
    residentRows();
    sweepMemoryRows(sweep, selection);
    const bool x64 = sizeof(void*) == 8;
    settingsSaveRows();
    commandRows(sweep);
    sizeRow("Varnel.exe", x64 ? 210 : 190);
    sizeRow("Quillon.exe", x64 ? 48 : 40);
    return 0;
}
