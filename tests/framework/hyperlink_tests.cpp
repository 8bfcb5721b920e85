#include <gtest/gtest.h>

#include <string>

#include "framework/C_CTRL_HYPERLINK.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/TestSupport.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

// What the link's owner was told.
struct Notice {
    int count = 0;
    WPARAM control = 0;
    LPARAM value = 0;
};
Notice notice;

INT_PTR CALLBACK ownerProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == HLM_NOTIFY) {
        ++notice.count;
        notice.control = wParam;
        notice.value = lParam;
    }
    return FALSE;
}

SIZE measure(HWND window, const char* label, HFONT font) {
    HDC dc = GetDC(window);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT area = {0, 0, 0, 0};
    DrawTextA(dc, label, -1, &area, DT_CALCRECT);
    if (old) SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {area.right - area.left, area.bottom - area.top};
}

// The columns of the control's client area that hold pure blue, as [first, last]; -1 if none.
void blueColumns(HWND control, int* first, int* last) {
    *first = *last = -1;
    RECT area;
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    for (int x = 0; x < area.right; ++x) {
        for (int y = 0; y < area.bottom; ++y) {
            if (GetPixel(dc, x, y) != RGB(0, 0, 255)) continue;
            if (*first < 0) *first = x;
            *last = x;
            break;
        }
    }
    ReleaseDC(control, dc);
}

class Hyperlink : public ::testing::Test {
protected:
    static C_CTRL_HYPERLINK linkClass;
    static int firstRegistration;

    static void SetUpTestSuite() { firstRegistration = linkClass.registerClass(instance(), "LumoHLinkClass"); }

    HWND owner = nullptr;
    HWND link = nullptr;
    RECT templateRect = {};

    void SetUp() override {
        notice = Notice();
        owner = CreateDialogParamA(instance(), MAKEINTRESOURCEA(IDD_LINK), nullptr, ownerProc, 0);
        ASSERT_NE(nullptr, owner);
        link = GetDlgItem(owner, IDC_LINK);
        ASSERT_NE(nullptr, link);
        templateRect = placement();
        linkClass.createFont(reinterpret_cast<HFONT>(SendMessageA(owner, WM_GETFONT, 0, 0)));
        ASSERT_NE(nullptr, C_CTRL_HYPERLINK::linkFont);
    }
    void TearDown() override { DestroyWindow(owner); }

    // The control's rectangle in its owner's client coordinates.
    RECT placement() const {
        RECT area;
        GetWindowRect(link, &area);
        MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&area), 2);
        return area;
    }
    // Paints until no paint is pending: the auto-size mode needs a second pass.
    void paint() {
        InvalidateRect(link, nullptr, FALSE);
        ASSERT_TRUE(test::waitUntil([&] {
            UpdateWindow(link);
            return !GetUpdateRect(link, nullptr, FALSE);
        }));
    }
    void expectClientSize(SIZE expected) const {
        RECT client;
        GetClientRect(link, &client);
        EXPECT_EQ(expected.cx, client.right);
        EXPECT_EQ(expected.cy, client.bottom);
    }
    void click() { SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(1, 1)); }
};

C_CTRL_HYPERLINK Hyperlink::linkClass;
int Hyperlink::firstRegistration = 0;

TEST_F(Hyperlink, ClassRegistersOnce) {
    EXPECT_EQ(1, firstRegistration);
    EXPECT_EQ(-1, linkClass.registerClass(instance(), "LumoHLinkClass"));
}

TEST_F(Hyperlink, FontIsAnUnderlinedCopy) {
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(owner, WM_GETFONT, 0, 0));
    LOGFONTA original = {};
    LOGFONTA copy = {};
    ASSERT_TRUE(GetObjectA(dialogFont, sizeof original, &original));
    ASSERT_NE(dialogFont, C_CTRL_HYPERLINK::linkFont);
    ASSERT_TRUE(GetObjectA(C_CTRL_HYPERLINK::linkFont, sizeof copy, &copy));
    EXPECT_EQ(1, copy.lfUnderline);
    EXPECT_EQ(original.lfHeight, copy.lfHeight);
    EXPECT_STREQ(original.lfFaceName, copy.lfFaceName);

    linkClass.createFont(nullptr);
    EXPECT_EQ(nullptr, C_CTRL_HYPERLINK::linkFont);
}

// Without a private message the control sizes itself to the text before the first TAB.
TEST_F(Hyperlink, AutoSizeFitsTheLabel) {
    paint();
    expectClientSize(measure(link, "Open", C_CTRL_HYPERLINK::linkFont));
    RECT now = placement();
    EXPECT_EQ(templateRect.left, now.left);
    EXPECT_EQ(templateRect.top, now.top);
    int first;
    int last;
    blueColumns(link, &first, &last);
    EXPECT_GE(first, 0) << "no blue text";

    // A text without TAB is the label as a whole.
    SetWindowTextA(link, "Whole text");
    paint();
    expectClientSize(measure(link, "Whole text", C_CTRL_HYPERLINK::linkFont));
}

TEST_F(Hyperlink, NullFontDrawsInTheDefaultFont) {
    linkClass.createFont(nullptr);
    paint();
    // Not in the font the dialog gave the control with WM_SETFONT.
    expectClientSize(measure(link, "Open", nullptr));
}

TEST_F(Hyperlink, RightAlignedKeepsTheTemplateSize) {
    SendMessageA(link, HLM_FIXEDRIGHT, 0, 0);
    paint();
    RECT now = placement();
    EXPECT_EQ(templateRect.left, now.left);
    EXPECT_EQ(templateRect.right, now.right);
    EXPECT_EQ(templateRect.bottom, now.bottom);

    int first;
    int last;
    blueColumns(link, &first, &last);
    int width = now.right - now.left;
    SIZE label = measure(link, "Open", C_CTRL_HYPERLINK::linkFont);
    EXPECT_GE(first, width - label.cx);
    EXPECT_GE(last, width - 4);

    // And back to sizing by the label.
    SendMessageA(link, HLM_AUTOSIZE, 0, 0);
    paint();
    expectClientSize(label);
}

// A command file in a fresh folder that leaves a marker file beside itself when run.
std::string markerScript(const test::TempDir& folder, const std::string& name) {
    std::string script = folder.file(name + ".cmd");
    test::writeFile(script, "@echo off\r\necho run> \"%~dp0" + name + ".txt\"\r\n");
    return script;
}

TEST_F(Hyperlink, ClickWithNotifyTargetTellsTheOwnerOnly) {
    test::TempDir folder;
    std::string skipped = markerScript(folder, "skipped");
    std::string opened = markerScript(folder, "opened");

    SetWindowTextA(link, ("Run\t" + skipped).c_str());
    SendMessageA(link, HLM_NOTIFY, reinterpret_cast<WPARAM>(owner), IDC_LINK);
    click();
    EXPECT_EQ(1, notice.count);
    EXPECT_EQ(reinterpret_cast<WPARAM>(link), notice.control);
    EXPECT_EQ(IDC_LINK, notice.value);

    // Had the first click started its script, it would have been started before this one.
    SendMessageA(link, HLM_NOTIFY, 0, 0);
    SetWindowTextA(link, ("Run\t" + opened).c_str());
    click();
    EXPECT_EQ(1, notice.count);
    EXPECT_TRUE(test::waitUntil([&] { return test::fileExistsPlain(folder.file("opened.txt")); }, 20000));
    EXPECT_FALSE(test::fileExistsPlain(folder.file("skipped.txt")));
}

TEST_F(Hyperlink, ClickOpensTheTextAfterTheFirstTab) {
    test::TempDir folder;
    std::string script = markerScript(folder, "opened");
    SetWindowTextA(link, ("Run\t" + script).c_str());
    click();
    EXPECT_TRUE(test::waitUntil([&] { return test::fileExistsPlain(folder.file("opened.txt")); }, 20000));
}

// A real press elsewhere and release over the control: the control does not capture, so the
// release alone is the click.
TEST_F(Hyperlink, ReleaseOverTheControlIsAClick) {
    SendMessageA(link, HLM_NOTIFY, reinterpret_cast<WPARAM>(owner), 7);
    paint();
    RECT area;
    GetWindowRect(link, &area);
    POINT inside = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    // Pressed elsewhere in the same, active dialog: a press on another program's window would
    // move the focus, and Wine may then re-read the button state from the display.
    ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
    RECT dialog;
    GetWindowRect(owner, &dialog);
    POINT outside = {dialog.right - 4, dialog.bottom - 4};
    ASSERT_FALSE(PtInRect(&area, outside));

    SetCursorPos(outside.x, outside.y);
    test::pumpMessages();
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ASSERT_TRUE(test::waitUntil([] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));
    SetCursorPos(inside.x, inside.y);
    ASSERT_TRUE(test::waitUntil([&] {
        POINT at;
        GetCursorPos(&at);
        return WindowFromPoint(at) == link;
    }));
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_TRUE(test::waitUntil([] { return notice.count == 1; }));
    EXPECT_EQ(7, notice.value);
}

}  // namespace
