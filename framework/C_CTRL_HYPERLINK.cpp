#include "framework/C_CTRL_HYPERLINK.h"

#include <shellapi.h>

HFONT C_CTRL_HYPERLINK::linkFont = nullptr;

namespace {

HLinkState* stateOf(HWND control) {
    return reinterpret_cast<HLinkState*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

// A zeroed record: a control that was never told otherwise sizes itself to its label and
// opens its target when clicked. Without memory the control stays without state and ignores
// its messages; the next message tries again.
HLinkState* obtainState(HWND control) {
    HLinkState* state = stateOf(control);
    if (state) return state;
    state = static_cast<HLinkState*>(GlobalAlloc(GPTR, sizeof(HLinkState)));
    if (state) SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state;
}

// The long is cleared with the free, so the record is freed once even when both WM_DESTROY
// and WM_NCDESTROY come by.
void releaseState(HWND control) {
    HLinkState* state = stateOf(control);
    if (!state) return;
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    GlobalFree(state);
}

// A copy of the window text, with room for one byte more than GetWindowTextA writes; null
// when there is no memory. The caller frees it with GlobalFree.
char* copyWindowText(HWND control) {
    int size = GetWindowTextLengthA(control) + 2;
    char* text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, size));
    if (!text) return nullptr;
    text[0] = 0;
    GetWindowTextA(control, text, size);
    return text;
}

// A TAB is never a trail byte in a double-byte code page, so a byte search is safe.
char* firstTab(char* text) {
    for (; *text; ++text) {
        if (*text == '\t') return text;
    }
    return nullptr;
}

void paint(HWND control, const HLinkState& state) {
    char* label = copyWindowText(control);
    if (!label) return;
    char* tab = firstTab(label);
    if (tab) *tab = 0;

    RECT area;
    GetClientRect(control, &area);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    HGDIOBJ oldFont =
        C_CTRL_HYPERLINK::linkFont ? SelectObject(dc, C_CTRL_HYPERLINK::linkFont) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));

    UINT align = state.fixedRight ? DT_RIGHT : DT_LEFT;
    RECT measured = area;
    DrawTextA(dc, label, -1, &measured, DT_CALCRECT | align);
    if (!state.fixedRight) {
        SetWindowPos(control, nullptr, 0, 0, measured.right, measured.bottom,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    GetClientRect(control, &area);
    DrawTextA(dc, label, -1, &area, align);

    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(control, &ps);
    GlobalFree(label);
}

// Without a TAB the target is empty, not the whole text.
void openTarget(HWND control) {
    char* text = copyWindowText(control);
    if (!text) return;
    char* tab = firstTab(text);
    ShellExecuteA(nullptr, "open", tab ? tab + 1 : "", nullptr, nullptr, SW_SHOWNORMAL);
    GlobalFree(text);
}

}  // namespace

int C_CTRL_HYPERLINK::registerClass(HINSTANCE instance, const char* className) {
    WNDCLASSA info = {};
    info.style = CS_HREDRAW | CS_VREDRAW;
    info.lpfnWndProc = windowProc;
    info.cbClsExtra = 0;
    info.cbWndExtra = 12;
    info.hInstance = instance;
    info.hIcon = nullptr;
    info.hCursor = LoadCursorA(nullptr, IDC_HAND);
    // No brush: the parent's background shows through the label.
    info.hbrBackground = nullptr;
    info.lpszMenuName = nullptr;
    info.lpszClassName = className;
    return RegisterClassA(&info) ? 1 : -1;
}

// Paints select the current font afresh and put the old one back, so no DC holds the
// replaced font when it is deleted.
void C_CTRL_HYPERLINK::createFont(HFONT font) {
    HFONT replaced = linkFont;
    linkFont = nullptr;
    if (font) {
        LOGFONTA description = {};
        GetObjectA(font, sizeof description, &description);
        description.lfUnderline = 1;
        linkFont = CreateFontIndirectA(&description);
    }
    if (replaced) DeleteObject(replaced);
}

// WM_SETFONT is left to the default: the control always draws with linkFont.
LRESULT CALLBACK C_CTRL_HYPERLINK::windowProc(HWND control, UINT msg, WPARAM wParam,
                                              LPARAM lParam) {
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) {
        releaseState(control);
        return DefWindowProcA(control, msg, wParam, lParam);
    }
    HLinkState* state = obtainState(control);
    if (!state) return DefWindowProcA(control, msg, wParam, lParam);

    switch (msg) {
    case WM_PAINT:
        paint(control, *state);
        break;
    case WM_LBUTTONUP:
        if (state->notifyTarget) {
            SendMessageA(state->notifyTarget, HLM_NOTIFY, reinterpret_cast<WPARAM>(control),
                         state->notifyValue);
        } else {
            openTarget(control);
        }
        break;
    case HLM_AUTOSIZE:
        state->fixedRight = 0;
        break;
    case HLM_FIXEDRIGHT:
        state->fixedRight = 1;
        break;
    case HLM_NOTIFY:
        // Another program may post this too: a click is only ever sent to a window of this
        // thread, which cannot keep the click waiting.
        if (!wParam || GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), nullptr) ==
                           GetCurrentThreadId()) {
            state->notifyTarget = reinterpret_cast<HWND>(wParam);
            state->notifyValue = lParam;
        }
        break;
    }
    return DefWindowProcA(control, msg, wParam, lParam);
}
