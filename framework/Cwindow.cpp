#include "framework/Cwindow.h"

Cwindow::Cwindow() : bufferDC(nullptr), bufferBitmap(nullptr), bufferWidth(0), bufferHeight(0) {
    className[0] = 0;
}

// Frees the buffer only: the window is its owner's to destroy.
Cwindow::~Cwindow() { freeBackBuffer(); }

int Cwindow::registerClass(HINSTANCE instance, const char* name, const char* menuName,
                           WNDCLASSEXA* classInfo, UINT style) {
    if (IsWindow(hwnd)) destroyWindow();
    lstrcpynA(className, name ? name : "", sizeof className);

    ATOM atom;
    if (classInfo) {
        classInfo->lpfnWndProc = staticWindowProc;
        atom = RegisterClassExA(classInfo);
    } else {
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        info.style = style ? style : CS_HREDRAW | CS_VREDRAW;
        info.lpfnWndProc = staticWindowProc;
        info.cbClsExtra = 0;
        info.cbWndExtra = 4;
        info.hInstance = instance;
        info.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        info.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
        info.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        // No background brush: the class never erases, its windows paint everything.
        info.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        info.lpszMenuName = menuName;
        info.lpszClassName = name;
        atom = RegisterClassExA(&info);
    }
    return atom ? 0 : -1;
}

int Cwindow::create(HINSTANCE instance, HWND parent, const char* title, DWORD style,
                    DWORD exStyle) {
    hwnd = CreateWindowExA(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, this);
    return 0;
}

LRESULT Cwindow::windowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg == WM_PAINT) paintBackBuffer();
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int Cwindow::messageLoop() {
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Cwindow::destroyWindow() {
    freeBackBuffer();
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    hwnd = nullptr;
}

int Cwindow::createBackBuffer(int width, int height) {
    bufferWidth = width;
    bufferHeight = height;
    HDC windowDC = GetDC(hwnd);
    bufferDC = CreateCompatibleDC(windowDC);
    bufferBitmap = CreateCompatibleBitmap(windowDC, width, height);
    ReleaseDC(hwnd, windowDC);
    SelectObject(bufferDC, bufferBitmap);
    SelectObject(bufferDC, GetStockObject(WHITE_PEN));
    SelectObject(bufferDC, GetStockObject(WHITE_BRUSH));
    Rectangle(bufferDC, 0, 0, width, height);
    return 0;
}

int Cwindow::createBackBufferForWindow() {
    RECT outer;
    GetWindowRect(hwnd, &outer);
    return createBackBuffer(outer.right - outer.left, outer.bottom - outer.top);
}

// The DC goes first, so the bitmap is no longer selected anywhere when it is deleted.
void Cwindow::freeBackBuffer() {
    if (bufferDC) DeleteDC(bufferDC);
    if (bufferBitmap) DeleteObject(bufferBitmap);
    bufferDC = nullptr;
    bufferBitmap = nullptr;
}

void Cwindow::paintBackBuffer() {
    if (!bufferDC) return;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    const RECT& area = paint.rcPaint;
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, bufferDC,
           area.left, area.top, SRCCOPY);
    EndPaint(hwnd, &paint);
}

void Cwindow::blitBackBuffer() {
    if (!bufferDC) return;
    HDC dc = GetDC(hwnd);
    BitBlt(dc, 0, 0, bufferWidth, bufferHeight, bufferDC, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
}

HDC Cwindow::getDC() { return GetDC(hwnd); }

int Cwindow::releaseDC(HDC dc) { return ReleaseDC(hwnd, dc); }

// Messages before WM_CREATE (WM_NCCREATE, WM_GETMINMAXINFO, WM_NCCALCSIZE) come before the
// object is known and get the default handling. The binding is never undone.
LRESULT CALLBACK Cwindow::staticWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    Cwindow* object = reinterpret_cast<Cwindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (object) return object->windowProc(msg, wParam, lParam);
    if (msg == WM_CREATE) {
        object = static_cast<Cwindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (object) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
            object->attach(window);
            return object->windowProc(msg, wParam, lParam);
        }
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
