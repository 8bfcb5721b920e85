#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CMDialog.h"
#include "framework/CMLDialog.h"
#include "framework/Cwindow.h"
#include "framework/Dpi.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/TestSupport.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

// Window classes live as long as the process, so every test registers a name of its own.
std::string freshClassName() {
    static int counter = 0;
    return "VarnelTestWindow" + std::to_string(++counter);
}

// Takes a pending WM_QUIT off the queue; false when none is there.
bool takeQuit(int* code = nullptr) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (code) *code = static_cast<int>(msg.wParam);
    return true;
}

bool contains(const std::vector<UINT>& messages, UINT msg) {
    for (UINT seen : messages) {
        if (seen == msg) return true;
    }
    return false;
}

class RecordingWindow : public Cwindow {
public:
    std::vector<UINT> seen;
    HWND handleAtCreate = nullptr;
    LRESULT createResult = 0;

    LRESULT windowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        if (msg == WM_CREATE) {
            handleAtCreate = getHwnd();
            if (createResult) return createResult;
        }
        return Cwindow::windowProc(msg, wParam, lParam);
    }
};

// A registered class and a window of it; the window is gone and its WM_QUIT taken at the end.
struct WindowFixture : ::testing::Test {
    RecordingWindow window;

    void make(DWORD style, const char* menu = nullptr) {
        ASSERT_EQ(0, window.registerClass(instance(), freshClassName().c_str(), menu, nullptr, 0));
        window.create(instance(), nullptr, "test", style, 0);
        ASSERT_NE(nullptr, window.getHwnd());
    }
    void TearDown() override {
        window.destroyWindow();
        takeQuit();
    }
};

using FrameworkWindow = WindowFixture;

TEST_F(FrameworkWindow, BindsAtCreateAndNotBefore) {
    make(WS_OVERLAPPEDWINDOW);
    HWND handle = window.getHwnd();
    // WM_NCCREATE, WM_GETMINMAXINFO and WM_NCCALCSIZE come first and must pass the object by.
    ASSERT_FALSE(window.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CREATE), window.seen.front());
    EXPECT_FALSE(contains(window.seen, WM_NCCREATE));
    EXPECT_EQ(handle, window.handleAtCreate);
    EXPECT_EQ(static_cast<Cwindow*>(&window), reinterpret_cast<Cwindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA)));

    SendMessageA(handle, WM_USER + 7, 0, 0);
    EXPECT_EQ(static_cast<UINT>(WM_USER + 7), window.seen.back());

    window.destroyWindow();
    EXPECT_EQ(nullptr, window.getHwnd());
    EXPECT_FALSE(IsWindow(handle));
    int code = -1;
    EXPECT_TRUE(takeQuit(&code));
    EXPECT_EQ(0, code);
}

TEST_F(FrameworkWindow, RejectedCreateLeavesNullHandle) {
    window.createResult = -1;
    ASSERT_EQ(0, window.registerClass(instance(), freshClassName().c_str(), nullptr, nullptr, 0));
    EXPECT_EQ(0, window.create(instance(), nullptr, "test", WS_OVERLAPPEDWINDOW, 0));
    EXPECT_EQ(nullptr, window.getHwnd());
}

TEST(FrameworkRegistration, SecondRegistrationOfANameFails) {
    Cwindow first;
    Cwindow second;
    std::string name = freshClassName();
    EXPECT_EQ(0, first.registerClass(instance(), name.c_str(), nullptr, nullptr, 0));
    EXPECT_EQ(-1, second.registerClass(instance(), name.c_str(), nullptr, nullptr, 0));
}

TEST(FrameworkRegistration, StyleZeroMeansRedrawOnResize) {
    Cwindow byDefault;
    Cwindow withStyle;
    std::string defaultName = freshClassName();
    std::string styledName = freshClassName();
    ASSERT_EQ(0, byDefault.registerClass(instance(), defaultName.c_str(), nullptr, nullptr, 0));
    ASSERT_EQ(0, withStyle.registerClass(instance(), styledName.c_str(), nullptr, nullptr, CS_DBLCLKS));
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(instance(), defaultName.c_str(), &info));
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), info.style);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), info.hbrBackground);
    ASSERT_TRUE(GetClassInfoExA(instance(), styledName.c_str(), &info));
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), info.style);
}

TEST_F(FrameworkWindow, CallersClassInfoGetsTheBindingProcedure) {
    std::string name = freshClassName();
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = instance();
    info.lpszClassName = name.c_str();
    ASSERT_EQ(0, window.registerClass(instance(), name.c_str(), nullptr, &info, 0));
    window.create(instance(), nullptr, "test", WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, window.getHwnd());
    EXPECT_EQ(window.getHwnd(), window.handleAtCreate);
}

TEST_F(FrameworkWindow, RegisteringAgainDestroysTheLiveWindow) {
    make(WS_OVERLAPPEDWINDOW);
    HWND old = window.getHwnd();
    EXPECT_EQ(0, window.registerClass(instance(), freshClassName().c_str(), nullptr, nullptr, 0));
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(nullptr, window.getHwnd());
    EXPECT_TRUE(takeQuit());
}

TEST_F(FrameworkWindow, MessageLoopEndsWithTheQuitCode) {
    make(WS_OVERLAPPEDWINDOW);
    // Closing destroys the window, whose default procedure posts WM_QUIT(0).
    window.postMessage(WM_CLOSE, 0, 0);
    EXPECT_EQ(0, window.messageLoop());
    EXPECT_FALSE(IsWindow(window.getHwnd()));

    PostQuitMessage(7);
    EXPECT_EQ(7, window.messageLoop());
}

TEST_F(FrameworkWindow, ClientSizeIsExactWithAndWithoutMenu) {
    make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, MAKEINTRESOURCEA(IDM_BAR));
    ASSERT_NE(nullptr, GetMenu(window.getHwnd()));
    window.setClientSize(321, 123);
    EXPECT_EQ(321, window.clientWidth());
    EXPECT_EQ(123, window.clientHeight());

    RecordingWindow bare;
    ASSERT_EQ(0, bare.registerClass(instance(), freshClassName().c_str(), nullptr, nullptr, 0));
    bare.create(instance(), nullptr, "bare", WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, 0);
    ASSERT_NE(nullptr, bare.getHwnd());
    bare.setClientSize(201, 99);
    EXPECT_EQ(201, bare.clientWidth());
    EXPECT_EQ(99, bare.clientHeight());
    bare.destroyWindow();
}

TEST_F(FrameworkWindow, PlacementOperations) {
    make(WS_POPUP);
    HWND handle = window.getHwnd();
    window.resize(201, 101);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    window.centerOnDesktop();
    RECT own;
    GetWindowRect(handle, &own);
    // Half of an odd size truncates: 201 / 2 is 100.
    EXPECT_EQ(desk.right / 2 - 100, own.left);
    EXPECT_EQ(desk.bottom / 2 - 50, own.top);
    EXPECT_EQ(201, own.right - own.left);
    EXPECT_EQ(101, own.bottom - own.top);

    window.moveTo(10, 20);
    window.moveBy(5, -3);
    GetWindowRect(handle, &own);
    EXPECT_EQ(15, own.left);
    EXPECT_EQ(17, own.top);

    window.setTopmost(1);
    EXPECT_TRUE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    window.setTopmost(0);
    EXPECT_FALSE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

COLORREF windowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void fill(HDC dc, int width, int height, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT area = {0, 0, width, height};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

TEST_F(FrameworkWindow, BackBufferPaintsTheWindow) {
    make(WS_POPUP | WS_VISIBLE);
    HWND handle = window.getHwnd();
    window.resize(80, 60);
    window.createBackBufferForWindow();
    ASSERT_NE(nullptr, window.backBufferDC());
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(window.backBufferDC(), 79, 59));

    fill(window.backBufferDC(), 80, 60, RGB(255, 0, 0));
    InvalidateRect(handle, nullptr, FALSE);
    UpdateWindow(handle);
    EXPECT_EQ(RGB(255, 0, 0), windowPixel(handle, 40, 30));

    fill(window.backBufferDC(), 80, 60, RGB(0, 128, 0));
    window.blitBackBuffer();
    EXPECT_EQ(RGB(0, 128, 0), windowPixel(handle, 40, 30));

    // Without a buffer the default procedure still validates, so no paint is left pending.
    window.freeBackBuffer();
    EXPECT_EQ(nullptr, window.backBufferDC());
    InvalidateRect(handle, nullptr, FALSE);
    UpdateWindow(handle);
    EXPECT_FALSE(GetUpdateRect(handle, nullptr, FALSE));
}

// Dialogs.

// The background brush that the dialog manager hands back for the dialog.
LRESULT askBrush(HWND dialog) {
    HDC dc = GetDC(dialog);
    LRESULT answer =
        SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog));
    ReleaseDC(dialog, dc);
    return answer;
}

// Records what reaches dialogProc and claims every message as handled, which the framework
// must not pass on. WM_APP asks the dialog for its brush from inside, then posts the command
// in wParam.
template <class Base>
class RecordingDialog : public Base {
public:
    std::vector<UINT> seen;
    int inits = 0;
    bool boundAtInit = false;
    LPARAM objectAtInit = 0;
    LPARAM paramAtInit = -1;
    UINT initPost = 0;  // a message to post to itself at WM_INITDIALOG
    WPARAM initPostParam = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    LRESULT colourAnswer = -1;

    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        if (msg == WM_INITDIALOG) {
            ++inits;
            boundAtInit = this->getHwnd() == dialog;
            objectAtInit = lParam;
            paramAtInit = this->initParam();
            if (initPost) PostMessageA(dialog, initPost, initPostParam, 0);
            return TRUE;
        }
        if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(brush);
        if (msg == WM_APP) {
            colourAnswer = askBrush(dialog);
            PostMessageA(dialog, WM_COMMAND, wParam, 0);
            return TRUE;
        }
        Base::dialogProc(dialog, msg, wParam, lParam);
        return TRUE;
    }

    void commandAtInit(WPARAM command) {
        initPost = WM_COMMAND;
        initPostParam = command;
    }
};

using ModalDialog = RecordingDialog<CMDialog>;
using ModelessDialog = RecordingDialog<CMLDialog>;

TEST(FrameworkModalDialog, BindsAtInitDialogOnly) {
    ModalDialog dialog;
    dialog.commandAtInit(IDOK);
    EXPECT_EQ(1, dialog.runModal(instance(), IDD_PLAIN, nullptr, 42));
    ASSERT_FALSE(dialog.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.seen.front());
    EXPECT_FALSE(contains(dialog.seen, WM_SETFONT));
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), dialog.objectAtInit);
    EXPECT_EQ(42, dialog.paramAtInit);
}

TEST(FrameworkModalDialog, RunsAgainWithAFreshBinding) {
    ModalDialog dialog;
    dialog.commandAtInit(IDCANCEL);
    EXPECT_EQ(0, dialog.runModal(instance(), IDD_PLAIN, nullptr, 1));
    HWND first = dialog.getHwnd();
    dialog.boundAtInit = false;
    dialog.commandAtInit(IDOK);
    EXPECT_EQ(1, dialog.runModal(instance(), IDD_PLAIN, nullptr, 2));
    EXPECT_EQ(2, dialog.inits);
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(2, dialog.paramAtInit);
}

TEST(FrameworkModalDialog, MissingTemplateGivesMinusOne) {
    ModalDialog dialog;
    EXPECT_EQ(-1, dialog.runModal(instance(), 4321, nullptr, 0));
    EXPECT_EQ(-1, dialog.runModalByName(instance(), "NO_SUCH_DIALOG", nullptr));
    EXPECT_EQ(0, dialog.inits);
}

TEST(FrameworkModalDialog, DialogManagerNeverSeesAHandledMessage) {
    ModalDialog dialog;
    // WM_APP asks the dialog for its background brush, then ends it with IDOK.
    dialog.initPost = WM_APP;
    dialog.initPostParam = IDOK;
    EXPECT_EQ(1, dialog.runModal(instance(), IDD_PLAIN, nullptr, 0));
    EXPECT_NE(reinterpret_cast<LRESULT>(dialog.brush), dialog.colourAnswer);
}

// A raw dialog procedure that does claim its messages, to show the observations can tell.
INT_PTR CALLBACK claimingProc(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
    return msg == WM_INITDIALOG;
}

TEST(FrameworkModelessDialog, ReturnsFalseToTheDialogManager) {
    HWND raw = CreateDialogParamA(instance(), MAKEINTRESOURCEA(IDD_PLAIN), nullptr, claimingProc, 0);
    ASSERT_NE(nullptr, raw);
    LRESULT rawBrush = askBrush(raw);
    bool rawFocused = GetFocus() == GetDlgItem(raw, IDC_FIELD);
    DestroyWindow(raw);
    ASSERT_EQ(reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH)), rawBrush);
    ASSERT_TRUE(rawFocused);

    ModelessDialog dialog;
    ASSERT_EQ(1, dialog.createModeless(instance(), IDD_PLAIN, nullptr, 0));
    EXPECT_NE(reinterpret_cast<LRESULT>(dialog.brush), askBrush(dialog.getHwnd()));
    // Returning TRUE from WM_INITDIALOG would have put the focus on the first field.
    EXPECT_NE(dialog.getDlgItem(IDC_FIELD), GetFocus());
    dialog.destroy();
    EXPECT_FALSE(IsWindow(dialog.getHwnd()));
}

TEST(FrameworkModelessDialog, LoopGivesKeyboardNavigation) {
    ModelessDialog dialog;
    ASSERT_EQ(1, dialog.createModeless(instance(), IDD_PLAIN, nullptr, 5));
    HWND handle = dialog.getHwnd();
    EXPECT_EQ(5, dialog.initParam());
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), dialog.objectAtInit);
    EXPECT_EQ(instance(), dialog.getInstance());

    // Escape becomes IDCANCEL only through IsDialogMessage; the default procedure then
    // destroys the dialog. The quit comes after the key, so the loop has handled the key.
    PostMessageA(dialog.getDlgItem(IDC_FIELD), WM_KEYDOWN, VK_ESCAPE, 0);
    PostQuitMessage(3);
    EXPECT_EQ(3, dialog.messageLoop());
    EXPECT_FALSE(IsWindow(handle));
}

TEST(FrameworkModelessDialog, MissingTemplateMakesNoWindow) {
    ModelessDialog dialog;
    EXPECT_EQ(0, dialog.createModeless(instance(), 4321, nullptr, 0));
    EXPECT_EQ(0, dialog.createModelessByName(instance(), "NO_SUCH_DIALOG", nullptr));
    EXPECT_EQ(nullptr, dialog.getHwnd());
}

// Dialog-item operations on a live dialog.
struct FrameworkControls : ::testing::Test {
    ModelessDialog dialog;
    HWND log = nullptr;

    void SetUp() override {
        ASSERT_EQ(1, dialog.createModeless(instance(), IDD_PLAIN, nullptr, 0));
        log = dialog.getDlgItem(IDC_LOG);
    }
    void TearDown() override { dialog.destroy(); }

    std::string logText() {
        char text[512] = {};
        GetWindowTextA(log, text, sizeof text);
        return text;
    }
};

TEST_F(FrameworkControls, SetCheckTakesAnyNonZeroAsChecked) {
    // A three-state box would take 2 as indeterminate: 5 must not come through raw.
    dialog.setCheck(IDC_TRISTATE, 5);
    EXPECT_EQ(BST_CHECKED, dialog.getCheck(IDC_TRISTATE));
    dialog.setCheck(IDC_TRISTATE, 0);
    EXPECT_EQ(BST_UNCHECKED, dialog.getCheck(IDC_TRISTATE));
}

TEST_F(FrameworkControls, DeleteLineRemovesOneLine) {
    SetWindowTextA(log, "a\r\nbb\r\nc");
    EXPECT_EQ(0, dialog.deleteLine(IDC_LOG, 3));
    EXPECT_EQ("a\r\nbb\r\nc", logText());
    // A line with a successor goes with its break.
    EXPECT_EQ(4, dialog.deleteLine(IDC_LOG, 1));
    EXPECT_EQ("a\r\nc", logText());
    // The last line leaves the break before it.
    EXPECT_EQ(1, dialog.deleteLine(IDC_LOG, 1));
    EXPECT_EQ("a\r\n", logText());
}

TEST_F(FrameworkControls, AppendLimitedTrimsOldLinesFirst) {
    SetWindowTextA(log, "one\r\ntwo\r\nthree\r\nfour\r\nfive");
    SendMessageA(log, EM_SETSEL, 0, 0);
    EXPECT_EQ(1, dialog.appendLimited(IDC_LOG, "\r\nsix", 3));
    EXPECT_EQ("three\r\nfour\r\nfive\r\nsix", logText());
    EXPECT_EQ(1, dialog.appendLimited(IDC_LOG, "\r\nseven", 4));
    EXPECT_EQ("three\r\nfour\r\nfive\r\nsix\r\nseven", logText());

    SendMessageA(log, EM_SETSEL, 0, 0);
    dialog.scrollToEnd(IDC_LOG);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<DWORD>(logText().size()), start);
    EXPECT_EQ(start, end);
}

// Display scaling.

typedef DPI_AWARENESS_CONTEXT(WINAPI* SetContextProc)(DPI_AWARENESS_CONTEXT);
const SetContextProc setThreadContext = test::user32Function<SetContextProc>("SetThreadDpiAwarenessContext");

// The awareness that a window made after settling gets, starting from the thread's.
DpiAwareness settledFrom(DPI_AWARENESS_CONTEXT start) {
    setThreadContext(start);
    settleDpiAwareness();
    RecordingWindow window;
    window.registerClass(instance(), freshClassName().c_str(), nullptr, nullptr, 0);
    window.create(instance(), nullptr, "dpi", WS_POPUP, 0);
    DpiAwareness got = dpiAwarenessOf(window.getHwnd());
    window.destroyWindow();
    takeQuit();
    return got;
}

// Per-monitor v1 gives way to v2 where the system has it, else to system awareness; anything
// less than v1 is the user's choice and stays.
TEST(FrameworkDpi, SettlingLeavesNoPerMonitorV1) {
    if (!setThreadContext) GTEST_SKIP() << "no awareness contexts before Windows 10 1607";
    DPI_AWARENESS_CONTEXT before = setThreadContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    DpiAwareness fromV1 = settledFrom(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    EXPECT_TRUE(fromV1 == DPI_PER_MONITOR_V2 || fromV1 == DPI_SYSTEM_AWARE) << fromV1;
    EXPECT_EQ(DPI_SYSTEM_AWARE, settledFrom(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE));
    EXPECT_EQ(DPI_UNAWARE, settledFrom(DPI_AWARENESS_CONTEXT_UNAWARE));
    setThreadContext(before);
}

int iconWidth(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bits = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bits, &bits);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits.bmWidth;
}

TEST(FrameworkDpi, SmallIconAtTheSizeOfEachScaling) {
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
        HICON icon = loadIconForDpi(instance(), IDI_TEST, SM_CXSMICON, dpi);
        EXPECT_EQ(MulDiv(16, static_cast<int>(dpi), 96), iconWidth(icon)) << dpi;
        DestroyIcon(icon);
    }
    // One monitor, which holds the taskbar.
    EXPECT_EQ(systemDpi(), notificationAreaDpi());
}

}  // namespace
