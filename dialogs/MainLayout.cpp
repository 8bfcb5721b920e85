#include "dialogs/MainLayout.h"

#include "framework/Dpi.h"

namespace {

// The layout as designed: pixels for the Japanese face at 96 DPI.
const MainLayout DESIGNED_LAYOUT = {
    {195, 150}, {195, 70}, {12, 164}, {12, 84}, {288, 84}, {312, 185}, {312, 105},
};

SIZE scaled(SIZE size, UINT dpi) { return {scaleToDpi(size.cx, dpi), scaleToDpi(size.cy, dpi)}; }

POINT scaled(POINT point, UINT dpi) { return {scaleToDpi(point.x, dpi), scaleToDpi(point.y, dpi)}; }

// Figures in 96-DPI pixels, at that DPI.
MainLayout scaledLayout(const MainLayout& layout, UINT dpi) {
    MainLayout out = {};
    out.groupExpanded = scaled(layout.groupExpanded, dpi);
    out.groupCollapsed = scaled(layout.groupCollapsed, dpi);
    out.keepTopmostExpanded = scaled(layout.keepTopmostExpanded, dpi);
    out.keepTopmostCollapsed = scaled(layout.keepTopmostCollapsed, dpi);
    out.toggleIcon = scaled(layout.toggleIcon, dpi);
    out.clientExpanded = scaled(layout.clientExpanded, dpi);
    out.clientCollapsed = scaled(layout.clientCollapsed, dpi);
    return out;
}

}  // namespace

MainLayout mainLayoutFor(HWND dialog) { return scaledLayout(DESIGNED_LAYOUT, dpiOfWindow(dialog)); }
