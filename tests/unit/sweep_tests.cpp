#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "framework/Ceditwindow.h"
#include "settings/IniText.h"
#include "settings/Settings.h"
#include "settings/TargetFile.h"
#include "shell/RefusalNote.h"
#include "sweep/SweepState.h"
#include "sweep/UserWindow.h"
#include "sweep/WindowMatch.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/InProcessWindows.h"

namespace {

// The texts in UTF-8.
void setTarget(OtherTarget& target, const char* spec, const char* className, const char* text, int enabled = 1) {
    setOtherTargetTexts(target, L"test", test::wide(spec).c_str(), test::wide(className).c_str(),
                        test::wide(text).c_str());
    target.enabled = enabled;
}

class Sweep : public ::testing::Test {
protected:
    Sweep() : sweep(live, ownDialog) {
        setInitialSettings(live);
        live.waitTime = 0;
        memset(&selection, 0, sizeof selection);
        for (OtherTarget& t : selection.otherTargets) setTarget(t, "-", "-", "-", 0);
    }

    void countOnly() { sweep.runSweep(1, 0, 0, selection); }
    void close(int spareFirst = 0) { sweep.runSweep(0, spareFirst, 0, selection); }

    Settings live;
    Ceditwindow ownDialog;
    SweepState sweep;
    TargetSelection selection;
    InProcessWindows windows;
};

// Programs keep hidden windows of these classes ready; the user never sees them.
TEST_F(Sweep, BuiltInRulesTakeTheUsersWindowsOfTheirClassAndTitle) {
    windows.make("CabinetWClass", "visible folder");
    HWND hidden = windows.make("CabinetWClass", "hidden folder", false);
    HWND minimised = windows.make("CabinetWClass", "minimised folder");
    ShowWindow(minimised, SW_SHOWMINNOACTIVE);
    windows.make("MozillaWindowClass", "Mozilla Firefox");
    windows.make("MozillaUIWindowClass", "Firefox");
    windows.make("MozillaUIWindowClass", "Firefox hidden", false);
    windows.make("MozillaWindowClass", "Mozilla firefox");
    windows.make("SomethingElse", "Firefox");
    countOnly();
    EXPECT_EQ(2u, sweep.explorerCount);
    EXPECT_EQ(2u, sweep.firefoxCount);
    EXPECT_EQ(0u, sweep.chromiumCount);
    selection.targetExplorer = 1;
    close(1);
    EXPECT_EQ(0, windows.count(hidden, "close"));
    EXPECT_EQ(1, windows.count(minimised, "close")) << "minimised: never the spared one";
}

TEST_F(Sweep, UserWindowIsVisibleFramedNotToolAndNotEmpty) {
    EXPECT_TRUE(isUserWindow(windows.make("W", "plain")));
    HWND minimised = windows.make("W", "minimised");
    ShowWindow(minimised, SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(isUserWindow(minimised));
    EXPECT_FALSE(isOnScreen(minimised));
    EXPECT_TRUE(isUserWindow(windows.make("W", "dialog frame", true, WS_POPUP | WS_DLGFRAME)));
    EXPECT_FALSE(isUserWindow(windows.make("W", "hidden", false)));
    EXPECT_FALSE(isUserWindow(windows.make("W", "no frame", true, WS_POPUP)));
    EXPECT_FALSE(isUserWindow(windows.make("W", "empty", true, WS_POPUP | WS_BORDER, true, 0, 0)));
    HWND tool = windows.make("W", "tool");
    SetWindowLongW(tool, GWL_EXSTYLE, GetWindowLongW(tool, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    EXPECT_FALSE(isUserWindow(tool));
}

// A pre-created folder window stands hidden in front of the user's two; keep-the-front-most
// keeps the front one of those, closing and minimising alike.
TEST_F(Sweep, SpareGoesToTheFrontMostWindowOnScreen) {
    HWND hidden = windows.make("CabinetWClass", "pre-created", false);
    HWND front = windows.make("CabinetWClass", "front");
    HWND back = windows.make("CabinetWClass", "back");
    windows.stack({hidden, front, back});
    selection.targetExplorer = 1;
    close(1);
    EXPECT_EQ(0, windows.count(front, "close"));
    EXPECT_EQ(1, windows.count(back, "close"));
    EXPECT_EQ(0, windows.count(hidden, "close"));
    sweep.runSweep(0, 1, 1, selection);
    EXPECT_FALSE(IsIconic(front));
    EXPECT_TRUE(IsIconic(back));
    EXPECT_FALSE(IsWindowVisible(hidden));
    countOnly();
    EXPECT_EQ(2u, sweep.explorerCount) << "a minimised window is still counted";
    sweep.restore.restoreMinimised();
    EXPECT_FALSE(IsIconic(back));

    // A user's rule may take a hidden window: it is acted on, never spared.
    sweep.dialogExpanded = 1;
    selection.targetExplorer = 0;
    setTarget(selection.otherTargets[0], "-", "CabinetWClass", "-");
    close(1);
    EXPECT_EQ(3u, sweep.otherCounts[0]);
    EXPECT_EQ(1, windows.count(hidden, "close"));
    EXPECT_EQ(0, windows.count(front, "close"));
    EXPECT_EQ(2, windows.count(back, "close"));
}

// Class names are case-insensitive within a process, so the wrong-case class lives in another.
TEST_F(Sweep, ClassNamesCompareCaseSensitively) {
    test::TargetWindows other;
    ASSERT_TRUE(other.start({{"cabinetwclass", "wrong case"}, {"mozillawindowclass", "Firefox"}}));
    countOnly();
    EXPECT_EQ(0u, sweep.explorerCount);
    EXPECT_EQ(0u, sweep.firefoxCount);
}

TEST_F(Sweep, CountOnlyTouchesNothingAndCountsSwitchedOffKinds) {
    HWND folder = windows.make("CabinetWClass", "folder");
    selection.targetExplorer = 1;
    selection.targetFirefox = 0;
    windows.make("MozillaWindowClass", "Firefox");
    sweep.runSweep(1, 0, 0, selection);
    EXPECT_EQ(1u, sweep.explorerCount);
    EXPECT_EQ(1u, sweep.firefoxCount);
    EXPECT_TRUE(windows.events().empty());
    EXPECT_TRUE(IsWindow(folder));
}

TEST_F(Sweep, ClosesFrontToBackAndSparesOnlyTheFrontMost) {
    HWND a = windows.make("CabinetWClass", "a");
    HWND b = windows.make("CabinetWClass", "b");
    HWND c = windows.make("CabinetWClass", "c");
    windows.stack({b, c, a});
    selection.targetExplorer = 1;

    close();
    const std::vector<WindowEvent>& all = windows.events();
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ(b, all[0].window);
    EXPECT_EQ(c, all[1].window);
    EXPECT_EQ(a, all[2].window);

    windows.destroyAll();
    a = windows.make("CabinetWClass", "a");
    b = windows.make("CabinetWClass", "b");
    c = windows.make("CabinetWClass", "c");
    windows.stack({c, a, b});
    close(1);
    EXPECT_EQ(0, windows.count(c, "close"));
    EXPECT_EQ(1, windows.count(a, "close"));
    EXPECT_EQ(1, windows.count(b, "close"));
}

TEST_F(Sweep, KeepTopmostSparesOneWindowInAllAcrossKinds) {
    HWND fox = windows.make("MozillaWindowClass", "Firefox");
    HWND folder = windows.make("CabinetWClass", "folder");
    HWND fox2 = windows.make("MozillaWindowClass", "Firefox 2");
    windows.stack({fox, folder, fox2});
    selection.targetExplorer = selection.targetFirefox = 1;
    close(1);
    EXPECT_EQ(0, windows.count(fox, "close"));
    EXPECT_EQ(1, windows.count(folder, "close"));
    EXPECT_EQ(1, windows.count(fox2, "close"));

    windows.destroyAll();
    HWND only = windows.make("CabinetWClass", "only", true, WS_OVERLAPPEDWINDOW, false);
    close(1);
    EXPECT_TRUE(windows.events().empty());
    EXPECT_TRUE(IsWindow(only));
}

TEST_F(Sweep, ClosedWindowsReallyClose) {
    HWND folder = windows.make("CabinetWClass", "folder", true, WS_OVERLAPPEDWINDOW, false);
    HWND other = windows.make("MozillaWindowClass", "Firefox", true, WS_OVERLAPPEDWINDOW, false);
    selection.targetExplorer = 1;
    close();
    EXPECT_TRUE(test::waitUntil([&] { return !IsWindow(folder); }));
    EXPECT_TRUE(IsWindow(other));
}

TEST_F(Sweep, MinimiseHidesMinimisesAndShowsAgainButNeverShowsAHiddenWindow) {
    HWND folder = windows.make("CabinetWClass", "folder");
    HWND hidden = windows.make("CabinetWClass", "pre-created folder", false);
    selection.targetExplorer = 1;
    sweep.runSweep(0, 0, 1, selection);
    std::string sequence;
    for (const WindowEvent& e : windows.events())
        if (e.window == folder) sequence += e.what + " ";
    EXPECT_EQ(0u, sequence.find("hide minimize")) << sequence;
    EXPECT_TRUE(IsWindow(folder));
    EXPECT_TRUE(IsIconic(folder));
    EXPECT_TRUE(IsWindowVisible(folder));
    EXPECT_EQ(1u, sweep.explorerCount);
    sweep.restore.restoreMinimised();
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_FALSE(IsIconic(hidden));
    EXPECT_EQ(0, windows.count(hidden, "show"));
}

// Tiny popups, handed to handleMatch as an enumeration would: cheap enough for 257.
TEST_F(Sweep, MinimiseRecordKeepsTheFrontMostAcrossSweeps) {
    std::vector<HWND> frontToBack;
    for (int i = 0; i <= MINIMISED_RECORD_SIZE; ++i)
        frontToBack.push_back(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                              nullptr, nullptr, nullptr, nullptr));
    sweep.runSweep(0, 0, 1, selection);
    for (int i = 1; i <= MINIMISED_RECORD_SIZE; ++i) sweep.handleMatch(frontToBack[i]);
    close();
    countOnly();
    sweep.runSweep(0, 0, 1, selection);
    ASSERT_EQ(MINIMISED_RECORD_SIZE, sweep.restore.minimisedCount) << "close, count and empty sweeps leave it alone";
    // A later sweep's window goes in front; the back-most of the full record drops out.
    sweep.handleMatch(frontToBack[0]);
    ASSERT_EQ(MINIMISED_RECORD_SIZE, sweep.restore.minimisedCount);
    for (int i = 0; i < MINIMISED_RECORD_SIZE; ++i)
        EXPECT_EQ(frontToBack[i], sweep.restore.minimisedWindows[i].window) << i;
    for (HWND window : frontToBack) DestroyWindow(window);
}

// The user types in another window; the front-most folder is spared, the maximised one stays so.
TEST_F(Sweep, RestoreStacksTheFormerOrderBehindTheSparedWindowAndKeepsTheKeyboard) {
    HWND typing = windows.make("Typing", "typing");
    HWND a = windows.make("CabinetWClass", "a"), b = windows.make("CabinetWClass", "b");
    HWND c = windows.make("CabinetWClass", "c"), d = windows.make("CabinetWClass", "d");
    ShowWindow(c, SW_SHOWMAXIMIZED);
    windows.stack({a, b, typing, c, d});
    selection.targetExplorer = 1;
    sweep.runSweep(0, 1, 1, selection);
    ASSERT_TRUE(IsIconic(b) && IsIconic(c) && IsIconic(d) && !IsIconic(a));
    SetForegroundWindow(typing);
    ShowWindow(c, SW_RESTORE);
    windows.stack({a, b, typing, c, d});
    sweep.runSweep(0, 1, 1, selection);  // c again, in front of what is still recorded
    ASSERT_TRUE(sweep.restore.canRestoreMinimised());
    SetForegroundWindow(typing);
    sweep.restore.restoreMinimised();
    EXPECT_TRUE(!IsIconic(b) && !IsIconic(c) && !IsIconic(d));
    EXPECT_TRUE(IsZoomed(c));
    EXPECT_EQ(c, GetWindow(a, GW_HWNDNEXT));
    EXPECT_EQ(b, GetWindow(c, GW_HWNDNEXT));
    EXPECT_EQ(d, GetWindow(b, GW_HWNDNEXT));
    EXPECT_EQ(typing, GetForegroundWindow());
    EXPECT_FALSE(sweep.restore.canRestoreMinimised());
}

bool topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Topmost windows come back among the topmost, behind the spared one; the others in front of
// the normal windows, and normal still.
TEST_F(Sweep, RestoreKeepsEachWindowTopmostOrNot) {
    HWND spared = windows.make("CabinetWClass", "spared"), pinned = windows.make("CabinetWClass", "pinned");
    HWND a = windows.make("CabinetWClass", "a"), b = windows.make("CabinetWClass", "b");
    windows.stack({a, b});
    for (HWND w : {pinned, spared}) SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    selection.targetExplorer = 1;
    sweep.runSweep(0, 1, 1, selection);
    ASSERT_TRUE(IsIconic(pinned) && IsIconic(a) && IsIconic(b) && !IsIconic(spared));
    sweep.restore.restoreMinimised();
    EXPECT_TRUE(topmost(spared) && topmost(pinned));
    EXPECT_FALSE(topmost(a) || topmost(b));
    EXPECT_EQ(pinned, GetWindow(spared, GW_HWNDNEXT));
    EXPECT_EQ(b, GetWindow(a, GW_HWNDNEXT));
}

// Windows reports every restore to WinEvent hooks; Wine 8 reports none, so the test reports it
// as Windows would.
void restoreAsTheUser(HWND window) {
    ShowWindow(window, SW_RESTORE);
    NotifyWinEvent(EVENT_SYSTEM_MINIMIZEEND, window, OBJID_WINDOW, CHILDID_SELF);
}

// Only windows that the sweep minimised and that are still minimised by it come back: not one
// that the user restored and minimised again himself, nor another program's window that now
// has a recorded handle.
TEST_F(Sweep, RestoreBringsBackOnlyWhatTheSweepStillHoldsMinimised) {
    HWND user = windows.make("CabinetWClass", "restored by the user"), kept = windows.make("CabinetWClass", "kept");
    selection.targetExplorer = 1;
    sweep.runSweep(0, 0, 1, selection);
    ASSERT_TRUE(IsIconic(user) && IsIconic(kept));
    restoreAsTheUser(user);
    ShowWindow(user, SW_MINIMIZE);
    test::pumpMessages();
    sweep.restore.restoreMinimised();
    EXPECT_TRUE(IsIconic(user));
    EXPECT_FALSE(IsIconic(kept));

    sweep.runSweep(0, 0, 1, selection);
    test::TargetWindows other;
    ASSERT_TRUE(other.start({{"OtherClass", "newcomer", false, WS_OVERLAPPEDWINDOW | WS_MINIMIZE}}));
    ASSERT_EQ(kept, sweep.restore.minimisedWindows[0].window);
    sweep.restore.minimisedWindows[0].window = other.window(0);
    EXPECT_FALSE(sweep.restore.canRestoreMinimised());
    sweep.restore.restoreMinimised();
    EXPECT_TRUE(IsIconic(other.window(0)));
}

TEST_F(Sweep, UserTargetsActOnlyWhileTheDialogIsExpanded) {
    HWND note = windows.make("NotepadLike", "memo");
    setTarget(selection.otherTargets[2], "-", "NotepadLike", "-");
    close();
    EXPECT_EQ(1u, sweep.otherCounts[2]);
    EXPECT_EQ(0, windows.count(note, "close"));
    EXPECT_EQ(0, sweep.sweepSelection.otherTargets[2].enabled);

    sweep.dialogExpanded = 1;
    close();
    EXPECT_EQ(1, windows.count(note, "close"));
}

TEST_F(Sweep, WindowOfTwoSwitchedOnKindsIsHandledTwice) {
    HWND folder = windows.make("CabinetWClass", "folder");
    selection.targetExplorer = 1;
    setTarget(selection.otherTargets[0], "-", "CabinetWClass", "-");
    sweep.dialogExpanded = 1;
    close();
    EXPECT_EQ(2, windows.count(folder, "close"));
    EXPECT_EQ(1u, sweep.explorerCount);
    EXPECT_EQ(1u, sweep.otherCounts[0]);

    // The spared first call still leaves the second one to close it.
    windows.events();
    windows.destroyAll();
    folder = windows.make("CabinetWClass", "folder");
    close(1);
    EXPECT_EQ(1, windows.count(folder, "close"));
}

TEST_F(Sweep, UserTargetConditions) {
    sweep.dialogExpanded = 1;
    windows.make("TargetA", "report draft");
    windows.make("TargetB", "hidden report", false);
    windows.make("TargetA", "report popup", true, WS_POPUP);
    HWND disabled = windows.make("TargetA", "report disabled");
    EnableWindow(disabled, FALSE);
    windows.make("TargetA", "report empty", true, WS_POPUP | WS_BORDER | WS_SYSMENU, true, 0, 0);

    // Everything "-": the state of a missing section, never a match.
    setTarget(selection.otherTargets[0], "-", "-", "-");
    // %allwindow: visible, enabled, non-empty, border and system menu.
    setTarget(selection.otherTargets[1], "%allwindow", "TargetA", "-");
    // Any other keyword, the empty one included, matches nothing.
    setTarget(selection.otherTargets[2], "allwindow", "-", "report");
    setTarget(selection.otherTargets[3], "", "-", "report");
    // Text alone matches hidden windows too; "!x" excludes titles containing x.
    setTarget(selection.otherTargets[4], "-", "-", "report");
    countOnly();
    EXPECT_EQ(0u, sweep.otherCounts[0]);
    EXPECT_EQ(1u, sweep.otherCounts[1]) << "only the plain TargetA window";
    EXPECT_EQ(0u, sweep.otherCounts[2]);
    EXPECT_EQ(0u, sweep.otherCounts[3]);
    EXPECT_EQ(5u, sweep.otherCounts[4]);

    setTarget(selection.otherTargets[0], "-", "TargetA", "!draft");
    setTarget(selection.otherTargets[1], "-", "TargetA", "!");
    setTarget(selection.otherTargets[2], "-", "TargetB", "report");
    countOnly();
    EXPECT_EQ(3u, sweep.otherCounts[0]) << "popup, disabled and empty";
    EXPECT_EQ(0u, sweep.otherCounts[1]);
    EXPECT_EQ(1u, sweep.otherCounts[2]);
}

TEST_F(Sweep, MainDialogIsNeverAUserTarget) {
    sweep.dialogExpanded = 1;
    HWND dialog = windows.make("TargetA", "Varnel");
    windows.make("TargetA", "another");
    ownDialog.attach(dialog);
    setTarget(selection.otherTargets[0], "%allwindow", "-", "-");
    close();
    EXPECT_EQ(0, windows.count(dialog, "close"));
    EXPECT_GE(sweep.otherCounts[0], 1u);
    ownDialog.attach(nullptr);
}

TEST_F(Sweep, EmptyTextsFromBeforeTheFirstReloadMatchNothing) {
    sweep.dialogExpanded = 1;
    windows.make("TargetA", "anything");
    memset(&selection, 0, sizeof selection);
    for (OtherTarget& t : selection.otherTargets) t.enabled = 1;
    close();
    for (unsigned count : sweep.otherCounts) EXPECT_EQ(0u, count);
    EXPECT_TRUE(windows.events().empty());
}

// target.ini as the user's editor saved it, with a Japanese label and an exclusion, against
// Unicode windows titled in Japanese and one titled with literal question marks. The suite runs
// under a Japanese and an English locale: no code page may weaken or widen a rule.
TEST_F(Sweep, TargetFileRulesHoldInEveryEncodingAndCodePage) {
    const std::string file = test::binFolder() + "target.ini";
    const std::wstring text =
        L"[TARGET00]\r\nNAME=メモ帳\r\nCLASS=MemoW\r\nTEXT=!下書き\r\n"
        L"[TARGET01]\r\nNAME=All but メモ帳\r\nSPEC=%allwindow\r\nTEXT=!メモ帳\r\n";
    sweep.dialogExpanded = 1;
    // A Shift_JIS file is what a Japanese code page writes; no other code page can hold it.
    const bool japaneseCodePage = GetACP() == 932;
    for (int encoding : {INI_UTF16LE, INI_UTF8_BOM, INI_UTF8, INI_ANSI}) {
        if (encoding == INI_ANSI && !japaneseCodePage) continue;
        SCOPED_TRACE(encoding);
        ASSERT_TRUE(test::writeFile(file, test::encodedText(text, encoding)));
        for (int i = 0; i < 2; ++i) {
            loadOtherTarget(i, selection.otherTargets[i]);
            selection.otherTargets[i].enabled = 1;
        }
        EXPECT_STREQ(L"メモ帳", selection.otherTargets[0].wideName);
        EXPECT_EQ(test::encodedText(L"メモ帳", INI_ANSI), selection.otherTargets[0].name);
        windows.destroyAll();
        HWND untitled = windows.make("MemoW", u8"無題 - メモ帳");
        HWND draft = windows.make("MemoW", u8"下書き - メモ帳");
        HWND marks = windows.make("MemoW", "Report ??? draft");
        close();
        EXPECT_EQ(1, windows.count(untitled, "close")) << "by the first target only";
        EXPECT_EQ(0, windows.count(draft, "close")) << "excluded by both";
        EXPECT_EQ(2, windows.count(marks, "close")) << "\"?\" stands in for no character";
    }
    DeleteFileA(file.c_str());
}

// The whole UTF-16 text or nothing: 200 Japanese characters exceed 255 bytes of any code page but
// fit the text field; a condition longer than its field, cut, would match more (a title
// containing its start, a class never), so its target matches nothing.
TEST_F(Sweep, LongRulesMeanWhatTheySayOrNothing) {
    const std::wstring word(200, L'\u3042');
    windows.make("LongRule", test::encodedText(word + L" end", INI_UTF8).c_str());
    windows.make("LongRule", test::encodedText(word.substr(0, 150), INI_UTF8).c_str());
    const std::wstring tooLong(300, L'\u3042'), except = L"!" + tooLong, longClass(200, L'c');
    OtherTarget* t = selection.otherTargets;
    setOtherTargetTexts(t[0], L"whole", L"-", L"LongRule", word.c_str());
    setOtherTargetTexts(t[1], L"long text", L"-", L"LongRule", tooLong.c_str());
    setOtherTargetTexts(t[2], L"long exclusion", L"-", L"LongRule", except.c_str());
    setOtherTargetTexts(t[3], L"long class", L"-", longClass.c_str(), L"-");
    setOtherTargetTexts(t[4], L"long program", L"-", L"LongRule", L"-", tooLong.c_str());
    countOnly();
    EXPECT_EQ(1u, sweep.otherCounts[0]) << "only the title with all 200 characters";
    for (int i = 1; i < OTHER_TARGET_COUNT; ++i) {
        EXPECT_TRUE(t[i].ruleTooLong) << i;
        EXPECT_EQ(0u, sweep.otherCounts[i]) << i;
    }
}

// EXE names a program by its image, ignoring case as Windows file names do, in UTF-16: the helper
// runs from a folder with a Japanese name, which the code page of the English run cannot spell.
// EXE alone counts the windows the user sees; with CLASS and TEXT, hidden ones too.
TEST_F(Sweep, ExeConditionsFromAFolderInAnyScript) {
    test::TempDir temp;
    const std::wstring folder = test::wide(temp.path().c_str()) + L"ツール";
    const std::wstring exe = folder + L"\\TargetWin.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(test::wide((test::binFolder() + "targetwin.exe").c_str()).c_str(), exe.c_str(), FALSE));
    std::wstring otherCase = exe;
    for (wchar_t& c : otherCase) c = iswupper(c) ? towlower(c) : towupper(c);
    {
        test::TargetWindows program, other;
        test::TargetWindowSpec hiddenHelper = {"ExeHelper", "helper", false}, frameless = {"ExeHelper", "popup"};
        frameless.style = WS_POPUP;
        ASSERT_TRUE(program.start({{"ExeMain", "main"}, hiddenHelper, frameless}, test::encodedText(exe, INI_UTF8)));
        ASSERT_TRUE(other.start({{"ExeMain", "another program"}}, "chrome.exe"));
        OtherTarget* t = selection.otherTargets;
        setOtherTargetTexts(t[0], L"by name", L"-", L"-", L"-", L"TARGETWIN.EXE");
        setOtherTargetTexts(t[1], L"by path", L"-", L"-", L"-", otherCase.c_str());
        setOtherTargetTexts(t[2], L"all but", L"-", L"ExeMain", L"-", L"!targetwin.exe");
        setOtherTargetTexts(t[3], L"helper", L"-", L"ExeHelper", L"help", L"targetwin.exe");
        setOtherTargetTexts(t[4], L"not a suffix", L"-", L"ExeMain", L"-", L"argetwin.exe");
        countOnly();
        EXPECT_EQ(1u, sweep.otherCounts[0]) << "the main window; hidden and frameless helpers are not counted";
        EXPECT_EQ(1u, sweep.otherCounts[1]);
        EXPECT_EQ(1u, sweep.otherCounts[2]) << "the other program's window only";
        EXPECT_EQ(1u, sweep.otherCounts[3]);
        EXPECT_EQ(0u, sweep.otherCounts[4]);

        sweep.dialogExpanded = 1;
        t[0].enabled = 1;
        close();
        EXPECT_TRUE(program.waitClosed(0));
        EXPECT_EQ(0, program.events(1, "close") + program.events(2, "close"));
        EXPECT_EQ(0, other.events(0, "close"));
    }
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}

ProgramImage imageOf(const wchar_t* path, int whole = 1) {
    ProgramImage image = {1, whole, {}};
    lstrcpynW(image.path, path, OTHER_EXE_SIZE);
    return image;
}

// The cases that the helper processes above do not reach.
TEST(ExeCondition, NamesOneProgramByFileNameOrWholePath) {
    const ProgramImage excel = imageOf(L"C:\\Program Files\\Office\\EXCEL.EXE");
    EXPECT_TRUE(exeConditionHolds(L"-", excel));
    EXPECT_FALSE(exeConditionHolds(L"office\\excel.exe", excel)) << "a path is compared whole";
    EXPECT_FALSE(exeConditionHolds(L"", excel));
    EXPECT_FALSE(exeConditionHolds(L"!", excel)) << "names no program";
    // Letters beyond ASCII fold as in Windows file names.
    EXPECT_TRUE(exeConditionHolds(L"\u00C4RGER.EXE", imageOf(L"C:\\x\\\u00E4rger.exe")));
    // An image path longer than any EXE value keeps its file name: found by name, never by path.
    const ProgramImage deep = imageOf(L"tool.exe", 0);
    EXPECT_TRUE(exeConditionHolds(L"TOOL.EXE", deep));
    EXPECT_FALSE(exeConditionHolds(L"C:\\tool.exe", deep));
    EXPECT_TRUE(exeConditionHolds(L"!C:\\tool.exe", deep));
}

// Another user's process or a protected one cannot be opened. Wine opens every process, even
// one that has ended (seen here), so the failed open comes from process id 0, which is what a
// window that vanished during the sweep yields and which no process has.
TEST(ExeCondition, AProgramThatCannotBeOpenedIsNoneThatIsNamed) {
    ProgramImage image;
    readProgramImage(0, image);
    EXPECT_FALSE(image.known);
    for (const wchar_t* exe : {L"targetwin.exe", L"", L"\\"}) {
        EXPECT_FALSE(exeConditionHolds(exe, image));
        EXPECT_TRUE(exeConditionHolds((std::wstring(L"!") + exe + L"x").c_str(), image));
    }
}

// The Edge/Chrome rule needs real processes: it reads the owner's image path.
TEST(ChromiumRule, MatchesByClassTitleAndImageName) {
    struct Case {
        const char* exe;
        const char* title;
        bool expected;
    } cases[] = {
        {"chrome.exe", "New Tab - Chrome", true},
        {"msedge.exe", "Start - Edge", true},
        {"xchrome.exe", "ends in chrome.exe", true},
        {"targetwin.exe", "same engine, other program", false},
        {"upper\\MSEDGE.EXE", "upper-case image name", false},
        {"chrome.exe", "Tray Assistant", false},
        {"chrome.exe", "Tray Assistant and more", true},
        {"chrome.exe", "", false},
    };
    for (const Case& c : cases) {
        test::TargetWindows target;
        ASSERT_TRUE(target.start({{"Chrome_WidgetWin_1", c.title}}, c.exe)) << c.exe;
        ProgramImageCache programs;
        VisitedWindow visited(target.window(0), programs);
        EXPECT_EQ(c.expected, matchChromium(visited) != 0) << c.exe << " / " << c.title;
    }
}

TEST(ChromiumRule, SweepClosesOnlyBrowserProcessesWindows) {
    test::TargetWindows chrome, edge, other;
    ASSERT_TRUE(chrome.start({{"Chrome_WidgetWin_1", "Chrome"}, {"CabinetWClass", "folder"}}, "chrome.exe"));
    ASSERT_TRUE(edge.start({{"Chrome_WidgetWin_1", "Edge"}}, "msedge.exe"));
    ASSERT_TRUE(other.start({{"Chrome_WidgetWin_1", "Other"}}, "targetwin.exe"));

    Settings live;
    setInitialSettings(live);
    live.waitTime = 0;
    Ceditwindow none;
    SweepState sweep(live, none);
    TargetSelection selection = {};
    selection.targetChromium = 1;
    sweep.runSweep(0, 0, 0, selection);
    EXPECT_EQ(2u, sweep.chromiumCount);
    EXPECT_TRUE(chrome.waitClosed(0));
    EXPECT_TRUE(edge.waitClosed(0));
    EXPECT_TRUE(chrome.isOpen(1));
    EXPECT_TRUE(other.isOpen(0));
    EXPECT_EQ(0, other.events(0, "close"));
}

// Wine never refuses a post, so the decision is tried on the results Windows gives.
TEST(RefusalNote, OnlyAccessDeniedIsARefusalAndTheNoteSaysHowManyAndWhy) {
    EXPECT_TRUE(refusedByWindows(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_FALSE(refusedByWindows(FALSE, ERROR_INVALID_WINDOW_HANDLE)) << "gone meanwhile";
    EXPECT_FALSE(refusedByWindows(TRUE, ERROR_ACCESS_DENIED)) << "a stale error after success";

    HMODULE varnel = LoadLibraryExA((test::binFolder() + "Varnel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, varnel);
    char one[REFUSAL_NOTE_SIZE], three[REFUSAL_NOTE_SIZE];
    ASSERT_GT(refusalNote(varnel, 1, one, sizeof one), 0);
    ASSERT_GT(refusalNote(varnel, 3, three, sizeof three), 0);
    FreeLibrary(varnel);
    if (GetACP() == 932) {
        EXPECT_EQ(test::encodedText(L"1 個のウインドウは管理者として実行されているため、閉じることも最小化することもで"
                                    L"きませんでした。それも閉じるには、Varnel を管理者として起動してください。",
                                    INI_ANSI),
                  one);
        EXPECT_EQ(0, strncmp(three, "3 ", 2)) << three;
    } else {
        EXPECT_STREQ(
            "Varnel could not close or minimize 1 window: it runs as administrator. Start Varnel as "
            "administrator to close it too.",
            one);
        EXPECT_STREQ(
            "Varnel could not close or minimize 3 windows: they run as administrator. Start Varnel as "
            "administrator to close them too.",
            three);
    }
}

TEST(TextTests, EndsWithAndContainsAreByteExact) {
    EXPECT_TRUE(endsWith(L"chrome.exe", L"C:\\b\\chrome.exe"));
    EXPECT_TRUE(endsWith(L"chrome.exe", L"chrome.exe"));
    EXPECT_FALSE(endsWith(L"chrome.exe", L"hrome.exe"));
    EXPECT_FALSE(endsWith(L"msedge.exe", L"C:\\MSEDGE.EXE"));
    EXPECT_FALSE(endsWith(L"chrome.exe", L""));
    EXPECT_TRUE(textConditionHolds(L"-", L"anything"));
    EXPECT_TRUE(textConditionHolds(L"-", L""));
    EXPECT_FALSE(textConditionHolds(L"!", L"anything"));
    EXPECT_TRUE(textConditionHolds(L"!Draft", L"draft"));
    EXPECT_FALSE(textConditionHolds(L"Draft", L"draft"));
}

}  // namespace
