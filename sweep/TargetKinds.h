#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "settings/Settings.h"
#include "sweep/SweepState.h"
#include "sweep/WindowMatch.h"

// The table of kinds: one row per kind a sweep tells apart, in SWEEP_KIND_ order, saying where
// each of its facts lives. Everything that goes over the kinds one by one (the sweep, the main
// dialog's rows, the command line, the hotkeys and the menu) reads it here:
//
//   for (const TargetKind& kind : TARGET_KINDS)
//       if (selectedIn(selection, kind)) ...
//
// A new fact per kind is one more field and one more value in each row.
struct TargetKind {
    // A built-in kind: its switch in a TargetSelection, its counter and its rule. A
    // user-defined one has none of these (null) and is otherTargets[otherIndex] instead.
    int TargetSelection::*builtInSwitch;
    unsigned SweepState::*builtInCounter;
    int (*builtInMatch)(VisitedWindow& window);
    int otherIndex;
    // The word that names it on the command line.
    const wchar_t* commandWord;
    // The tray menu's command that closes its windows (0: none), and the WM_HOTKEY id of that
    // sweep, with the letter of its key until the user chooses another (with Ctrl+Alt+Shift;
    // 0: none).
    UINT menuCommand;
    int hotkey;
    UINT defaultKey;
    // Its row in the main dialog: the check box that bears its label, and its count.
    int checkBox;
    int countField;
    // Its windows are closed back to front: a browser brings back only the window closed last,
    // which is then the one the user used last.
    bool closesBackToFront;
};

inline constexpr TargetKind TARGET_KINDS[SWEEP_KIND_COUNT] = {
    {&TargetSelection::targetExplorer, &SweepState::explorerCount, matchExplorer, -1, L"explorer",
     IDM_CLOSE_EXPLORER, HOTKEY_EXPLORER, 'E', IDC_EXPLORER, IDC_COUNT_EXPLORER, false},
    {&TargetSelection::targetChromium, &SweepState::chromiumCount, matchChromium, -1, L"chrome",
     IDM_CLOSE_CHROMIUM, HOTKEY_CHROMIUM, 'C', IDC_CHROMIUM, IDC_COUNT_CHROMIUM, true},
    {&TargetSelection::targetFirefox, &SweepState::firefoxCount, matchFirefox, -1, L"firefox",
     IDM_CLOSE_FIREFOX, HOTKEY_FIREFOX, 'F', IDC_FIREFOX, IDC_COUNT_FIREFOX, true},
    {nullptr, nullptr, nullptr, 0, L"target1", 0, HOTKEY_TARGET1, 0, IDC_OTHER0, IDC_OTHER_COUNT0,
     false},
    {nullptr, nullptr, nullptr, 1, L"target2", 0, HOTKEY_TARGET2, 0, IDC_OTHER1, IDC_OTHER_COUNT1,
     false},
    {nullptr, nullptr, nullptr, 2, L"target3", 0, HOTKEY_TARGET3, 0, IDC_OTHER2, IDC_OTHER_COUNT2,
     false},
    {nullptr, nullptr, nullptr, 3, L"target4", 0, HOTKEY_TARGET4, 0, IDC_OTHER3, IDC_OTHER_COUNT3,
     false},
    {nullptr, nullptr, nullptr, 4, L"target5", 0, HOTKEY_TARGET5, 0, IDC_OTHER4, IDC_OTHER_COUNT4,
     false},
};

// The kind's switch in a selection: whether a sweep over it acts on the kind.
template <class Selection>  // TargetSelection, const or not
decltype(auto) selectedIn(Selection& selection, const TargetKind& kind) {
    return kind.builtInSwitch ? selection.*kind.builtInSwitch
                              : selection.otherTargets[kind.otherIndex].enabled;
}

// The kind's counter: how many windows of it the last sweep found.
template <class Sweep>  // SweepState, const or not
decltype(auto) counterOf(Sweep& sweep, const TargetKind& kind) {
    return kind.builtInCounter ? sweep.*kind.builtInCounter : sweep.otherCounts[kind.otherIndex];
}

inline bool isBuiltIn(const TargetKind& kind) { return kind.builtInSwitch != nullptr; }

// The row of user-defined target index (0 to 4).
inline const TargetKind& otherKind(int index) { return TARGET_KINDS[SWEEP_KIND_OTHER + index]; }

// The SWEEP_KIND_ value of a row.
inline int kindIndex(const TargetKind& kind) { return static_cast<int>(&kind - TARGET_KINDS); }

// The kind whose sweep a WM_HOTKEY id or a menu command starts; null for any other.
inline const TargetKind* kindOfHotkey(int hotkey) {
    for (const TargetKind& kind : TARGET_KINDS)
        if (kind.hotkey && kind.hotkey == hotkey) return &kind;
    return nullptr;
}
inline const TargetKind* kindOfMenuCommand(UINT command) {
    for (const TargetKind& kind : TARGET_KINDS)
        if (kind.menuCommand && kind.menuCommand == command) return &kind;
    return nullptr;
}
