#include "framework/Dpi.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);
typedef UINT(WINAPI* GetDpiForSystemProc)();
typedef int(WINAPI* GetSystemMetricsForDpiProc)(int, UINT);
typedef BOOL(WINAPI* AdjustWindowRectExForDpiProc)(RECT*, DWORD, BOOL, DWORD, UINT);

// Null where this Windows lacks the function. Through the generic function pointer type,
// which the compiler accepts as any other.
template <typename Proc>
Proc user32Function(const char* name) {
    FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DESIGN_DPI;
}

}  // namespace

UINT dpiOfWindow(HWND window) {
    static const GetDpiForWindowProc forWindow =
        user32Function<GetDpiForWindowProc>("GetDpiForWindow");
    UINT dpi = forWindow ? forWindow(window) : 0;
    return dpi ? dpi : screenDpi();
}

UINT systemDpi() {
    static const GetDpiForSystemProc forSystem =
        user32Function<GetDpiForSystemProc>("GetDpiForSystem");
    return forSystem ? forSystem() : screenDpi();
}

int scaleToDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), DESIGN_DPI); }

// Without the per-DPI function, the system's figure is for the screen's DPI.
int systemMetricForDpi(int index, UINT dpi) {
    static const GetSystemMetricsForDpiProc forDpi =
        user32Function<GetSystemMetricsForDpiProc>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(screenDpi()));
}

BOOL adjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, UINT dpi) {
    static const AdjustWindowRectExForDpiProc forDpi =
        user32Function<AdjustWindowRectExForDpiProc>("AdjustWindowRectExForDpi");
    if (forDpi) return forDpi(rect, style, menu, 0, dpi);
    return AdjustWindowRectEx(rect, style, menu, 0);
}

HICON loadIconForDpi(HINSTANCE instance, int id, int sizeMetric, UINT dpi) {
    int size = systemMetricForDpi(sizeMetric, dpi);
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}
