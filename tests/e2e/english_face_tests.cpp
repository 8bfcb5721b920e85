// Varnel where the ANSI code page is not Japanese (run under en_US.UTF-8): every window reads
// in plain English, and every text fits its control in the English face.

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;
using e2e::inside;
using e2e::itemText;
using e2e::placeIn;

namespace {

const int RUN = IDC_RUN, CANCEL = IDC_CANCEL_BUTTON, GROUP = IDC_TARGET_GROUP, LAST_ROW = IDC_OTHER4,
          EXPAND = IDC_EXPAND;
// The check boxes and counts of the eight kinds of targets.
const int ROWS[] = {IDC_EXPLORER,       IDC_CHROMIUM,      IDC_FIREFOX, IDC_COUNT_EXPLORER,
                    IDC_COUNT_CHROMIUM, IDC_COUNT_FIREFOX, IDC_OTHER0,  IDC_OTHER_COUNT0,
                    IDC_OTHER1,         IDC_OTHER_COUNT1,  IDC_OTHER2,  IDC_OTHER_COUNT2,
                    IDC_OTHER3,         IDC_OTHER_COUNT3,  IDC_OTHER4,  IDC_OTHER_COUNT4};

// Room beside a control's text: the box of a check box or radio button, a button's edges; -1
// for an icon or bitmap, whose text is the picture's resource number, never shown.
int indentOf(HWND control) {
    wchar_t kind[16] = {};
    GetClassNameW(control, kind, 16);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!lstrcmpiW(kind, L"Static"))
        return (style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) == SS_BITMAP ? -1 : 0;
    if (lstrcmpiW(kind, L"Button")) return 0;
    if (style & (BS_ICON | BS_BITMAP)) return -1;
    LONG type = style & BS_TYPEMASK;
    bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
    return box ? 18 : 8;
}

// Whether the text, wrapped to the control's width as a static does, in the English face of the
// templates, needs no more room than the control has.
bool textFits(HWND control, const std::wstring& text, int indent) {
    RECT own;
    GetClientRect(control, &own);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0,
                                               0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg"));
    RECT need = {0, 0, own.right - indent, 0};
    DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
    return need.right <= own.right - indent && need.bottom <= own.bottom + 2;
}

bool plainEnglish(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c < 0x20 || c > 0x7e) && c != L'\t' && c != L'\r' && c != L'\n') return false;
    return text.find(L"??") == std::wstring::npos;
}

// Every visible control of the dialog: plain English text that fits, inside the client area.
// The caption and texts, one a line.
std::wstring expectReadable(HWND dialog) {
    std::wstring texts = e2e::windowText(dialog) + L"\n";
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        int indent = indentOf(c);
        if (!IsWindowVisible(c) || indent < 0) continue;
        std::wstring text = e2e::windowText(c);
        std::string shown(text.begin(), text.end());
        EXPECT_TRUE(textFits(c, text, indent)) << GetDlgCtrlID(c) << " clips: " << shown;
        EXPECT_TRUE(inside(placeIn(dialog, c), client)) << GetDlgCtrlID(c) << " lies outside: " << shown;
        texts += text + L"\n";
    }
    EXPECT_TRUE(plainEnglish(texts)) << std::string(texts.begin(), texts.end());
    return texts;
}

TEST(EnglishFace, MainDialogInBothLayoutsAndWithCtrlHeld) {
    VarnelRun varnel;
    ASSERT_TRUE(test::copyFile(test::binFolder() + "sample-target.ini", varnel.folder().file("target.ini")));
    ASSERT_TRUE(varnel.start());
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Close all", itemText(dialog, RUN));
    EXPECT_EQ(L"Cancel", itemText(dialog, CANCEL));
    expectReadable(dialog);

    PostMessageA(dialog, WM_COMMAND, EXPAND, 0);
    ASSERT_TRUE(test::waitUntil([&] { return IsWindowVisible(GetDlgItem(dialog, LAST_ROW)) != 0; }));
    expectReadable(dialog);
    RECT group = placeIn(dialog, GetDlgItem(dialog, GROUP));
    for (int id : ROWS) EXPECT_TRUE(inside(placeIn(dialog, GetDlgItem(dialog, id)), group)) << id;

    ASSERT_TRUE(test::holdKeyUntil(VK_CONTROL, [&] { return itemText(dialog, RUN) == L"Minimize all"; }));
    EXPECT_EQ(L"Save only", itemText(dialog, CANCEL));
    expectReadable(dialog);
    test::keyUp(VK_CONTROL);
}

// Picked with the mouse, as a user does it.
TEST(EnglishFace, NewTargetDialog) {
    test::TargetWindows targets;
    ASSERT_TRUE(targets.start({{"PickMe", "Pick me"}}));
    VarnelRun varnel;
    HWND dialog = varnel.startExpanded();
    ASSERT_NE(nullptr, dialog);
    HWND newTarget = e2e::pickWindow(varnel, dialog, targets.window(0), L"New target");
    ASSERT_NE(nullptr, newTarget);
    std::wstring texts = expectReadable(newTarget);
    EXPECT_NE(std::wstring::npos, texts.find(L"\nThis &program\ntargetwin.exe\n"))
        << std::string(texts.begin(), texts.end());
    e2e::click(newTarget, IDCANCEL);
}

TEST(EnglishFace, WelcomeAtFirstStartAndSettings) {
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nRUNNEXT=true\r\n");
    ASSERT_TRUE(varnel.start());
    HWND welcome = varnel.waitDialog(L"Varnel - Welcome");
    ASSERT_NE(nullptr, welcome);
    std::wstring texts = expectReadable(welcome);
    EXPECT_NE(std::wstring::npos, texts.find(L"\nClose all Explorer windows\nCtrl+Alt+Shift+E\n"));
    e2e::click(welcome, IDOK);

    varnel.command(IDM_OPTIONS);
    HWND settings = varnel.waitDialog(L"Varnel - Settings");
    ASSERT_NE(nullptr, settings);
    expectReadable(settings);
    e2e::click(settings, IDCANCEL);
}

// Code page 1252: a NAME in Japanese still reaches the program whole (it reads the UTF-16
// command line), with and without a resident instance; the lines are in English, and the name,
// which the code page cannot hold, shows as question marks.
TEST(EnglishFace, CommandLineTakesAJapaneseNameAndSpeaksEnglish) {
    test::TargetWindows targets;
    ASSERT_TRUE(targets.start({{"ToolClass", "one"}, {"ToolClass", "front"}, {"CabinetWClass", "folder"}}));
    SetWindowPos(targets.window(1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    VarnelRun varnel;
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\n");
    varnel.writeTargets("\xEF\xBB\xBF[TARGET02]\r\nNAME=日本語ツール\r\nCLASS=ToolClass\r\n");
    e2e::CommandRun alone = varnel.runCommand(L"/close 日本語ツール explorer /keep-front");
    EXPECT_EQ(0, alone.code);
    EXPECT_EQ(L"??????: 1 closed, 1 spared\r\nexplorer: 1 closed\r\n", alone.out);
    EXPECT_TRUE(targets.waitClosed(0));
    EXPECT_TRUE(targets.waitClosed(2));

    ASSERT_TRUE(varnel.start());
    EXPECT_EQ(L"target3: 1\r\n", varnel.runCommand(L"/count target3").out);
    e2e::CommandRun handed = varnel.runCommand(L"/minimize 日本語ツール");
    EXPECT_EQ(L"??????: 1 minimized\r\n", handed.out);
    EXPECT_EQ(L"restored: 1\r\n", varnel.runCommand(L"/restore").out);
    e2e::CommandRun bad = varnel.runCommand(L"/close 日本語ツー");
    EXPECT_EQ(2, bad.code);
    EXPECT_EQ(0u, bad.err.find(L"Varnel: no target is named \"?????\"\r\nUsage:\r\n"));
    // Never a look-alike in the code page's place.
    EXPECT_EQ(0u, varnel.runCommand(L"/count \u03A9x").err.find(L"Varnel: no target is named \"?x\""));
    EXPECT_EQ(0u, varnel.runCommand(L"/count \u0100bc").err.find(L"Varnel: no target is named \"?bc\""));

    test::TargetWindowSpec stays{"CabinetWClass", "stays"};
    stays.keepOpen = true;
    test::TargetWindows stubborn;
    ASSERT_TRUE(stubborn.start({stays}));
    e2e::CommandRun open = varnel.runCommand(L"/close explorer /timeout 1");
    EXPECT_EQ(1, open.code);
    EXPECT_EQ(L"explorer: 0 closed, 1 still open\r\n", open.out);
}

}  // namespace
