#include "framework/Dpi.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);
typedef UINT(WINAPI* GetDpiForSystemProc)();
typedef int(WINAPI* GetSystemMetricsForDpiProc)(int, UINT);
typedef BOOL(WINAPI* AdjustWindowRectExForDpiProc)(RECT*, DWORD, BOOL, DWORD, UINT);
typedef DPI_AWARENESS_CONTEXT(WINAPI* GetWindowDpiAwarenessContextProc)(HWND);
typedef DPI_AWARENESS_CONTEXT(WINAPI* GetThreadDpiAwarenessContextProc)();
typedef DPI_AWARENESS_CONTEXT(WINAPI* SetThreadDpiAwarenessContextProc)(DPI_AWARENESS_CONTEXT);
typedef BOOL(WINAPI* AreDpiAwarenessContextsEqualProc)(DPI_AWARENESS_CONTEXT,
                                                       DPI_AWARENESS_CONTEXT);
typedef int(WINAPI* GetAwarenessFromDpiAwarenessContextProc)(DPI_AWARENESS_CONTEXT);
typedef HRESULT(WINAPI* GetProcessDpiAwarenessProc)(HANDLE, int*);
typedef HRESULT(WINAPI* GetDpiForMonitorProc)(HMONITOR, int, UINT*, UINT*);

// GetDpiForMonitor's MDT_EFFECTIVE_DPI: what the system scales by, as the user set it.
const int EFFECTIVE_DPI = 0;
// The values of GetAwarenessFromDpiAwarenessContext and GetProcessDpiAwareness.
const int AWARE_OF_SYSTEM = 1;
const int AWARE_OF_MONITOR = 2;

// Null where this Windows lacks the function. A library not loaded yet is taken from the
// system folder only. Through the generic function pointer type, which the compiler accepts
// as any other.
template <typename Proc>
Proc systemFunction(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

template <typename Proc>
Proc user32Function(const char* name) {
    return systemFunction<Proc>("user32.dll", name);
}

// Windows 8.1 and later.
template <typename Proc>
Proc shcoreFunction(const char* name) {
    return systemFunction<Proc>("shcore.dll", name);
}

// The dialog whose scaling change followDialogDpi is handing to the dialog manager.
HWND dialogBeingScaled = nullptr;

UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DESIGN_DPI;
}

DpiAwareness awarenessOf(int aware) {
    if (aware == AWARE_OF_MONITOR) return DPI_PER_MONITOR_V1;
    return aware == AWARE_OF_SYSTEM ? DPI_SYSTEM_AWARE : DPI_UNAWARE;
}

// Before Windows 10 1607 awareness belongs to the whole process; before 8.1 it has no
// per-monitor kind.
DpiAwareness processAwareness() {
    static const GetProcessDpiAwarenessProc forProcess =
        shcoreFunction<GetProcessDpiAwarenessProc>("GetProcessDpiAwareness");
    int aware = 0;
    if (forProcess && forProcess(nullptr, &aware) == S_OK) return awarenessOf(aware);
    return IsProcessDPIAware() ? DPI_SYSTEM_AWARE : DPI_UNAWARE;
}

// Awareness contexts came with Windows 10 1607.
DpiAwareness awarenessOf(DPI_AWARENESS_CONTEXT context) {
    static const AreDpiAwarenessContextsEqualProc equal =
        user32Function<AreDpiAwarenessContextsEqualProc>("AreDpiAwarenessContextsEqual");
    static const GetAwarenessFromDpiAwarenessContextProc awareness =
        user32Function<GetAwarenessFromDpiAwarenessContextProc>(
            "GetAwarenessFromDpiAwarenessContext");
    if (!equal || !awareness) return processAwareness();
    if (equal(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return DPI_PER_MONITOR_V2;
    return awarenessOf(awareness(context));
}

}  // namespace

DpiAwareness dpiAwarenessOf(HWND window) {
    static const GetWindowDpiAwarenessContextProc forWindow =
        user32Function<GetWindowDpiAwarenessContextProc>("GetWindowDpiAwarenessContext");
    DPI_AWARENESS_CONTEXT context = forWindow ? forWindow(window) : nullptr;
    return context ? awarenessOf(context) : processAwareness();
}

void settleDpiAwareness() {
    static const GetThreadDpiAwarenessContextProc current =
        user32Function<GetThreadDpiAwarenessContextProc>("GetThreadDpiAwarenessContext");
    static const SetThreadDpiAwarenessContextProc change =
        user32Function<SetThreadDpiAwarenessContextProc>("SetThreadDpiAwarenessContext");
    if (!current || !change || awarenessOf(current()) != DPI_PER_MONITOR_V1) return;
    if (!change(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        change(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
}

UINT dpiOfWindow(HWND window) {
    static const GetDpiForWindowProc forWindow =
        user32Function<GetDpiForWindowProc>("GetDpiForWindow");
    if (!forWindow || dpiAwarenessOf(window) != DPI_PER_MONITOR_V2) return systemDpi();
    UINT dpi = forWindow(window);
    return dpi ? dpi : systemDpi();
}

UINT systemDpi() {
    static const GetDpiForSystemProc forSystem =
        user32Function<GetDpiForSystemProc>("GetDpiForSystem");
    return forSystem ? forSystem() : screenDpi();
}

// The monitor's DPI rather than the taskbar window's: the system sets it before it tells any
// window of the change, the taskbar's own among them.
UINT notificationAreaDpi() {
    static const GetDpiForMonitorProc forMonitor =
        shcoreFunction<GetDpiForMonitorProc>("GetDpiForMonitor");
    HMONITOR monitor =
        MonitorFromWindow(FindWindowA("Shell_TrayWnd", nullptr), MONITOR_DEFAULTTOPRIMARY);
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (!forMonitor || forMonitor(monitor, EFFECTIVE_DPI, &dpiX, &dpiY) != S_OK || !dpiX)
        return systemDpi();
    return dpiX;
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

void rememberDialogDpi(HWND dialog) {
    SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(dpiOfWindow(dialog)));
}

bool followDialogDpi(HWND dialog) {
    const UINT laidOut = static_cast<UINT>(GetWindowLongPtrA(dialog, DWLP_USER));
    const UINT dpi = dpiOfWindow(dialog);
    if (!laidOut || dpi == laidOut) return false;
    RECT now;
    GetWindowRect(dialog, &now);
    const int width =
        MulDiv(now.right - now.left, static_cast<int>(dpi), static_cast<int>(laidOut));
    const int height =
        MulDiv(now.bottom - now.top, static_cast<int>(dpi), static_cast<int>(laidOut));
    const int left = (now.left + now.right - width) / 2;
    const int top = (now.top + now.bottom - height) / 2;
    RECT scaled = {left, top, left + width, top + height};
    rememberDialogDpi(dialog);
    dialogBeingScaled = dialog;
    DefDlgProcA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&scaled));
    dialogBeingScaled = nullptr;
    return true;
}

bool passingDpiChange(HWND dialog) { return dialog == dialogBeingScaled; }
