#include "dialogs/MainLayout.h"

#include "framework/Dpi.h"
#include "framework/UiLanguage.h"
#include "resources/resource.h"

namespace {

// The layout as designed: pixels for the Japanese face at 96 DPI.
const MainLayout DESIGNED_LAYOUT = {
    {195, 150}, {195, 70}, {12, 164}, {12, 84}, {288, 84}, {312, 185}, {312, 105},
};
// The designed face's dialog units at 96 DPI: across, a quarter of 7 pixels, down an eighth of 12.
const SIZE DESIGNED_UNITS = {7, 12};

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

// The English template's spacing, in dialog units: group box to buttons, last row to the group
// box's bottom, group box to the check box below it, and the dialog's right and bottom margins.
const int GROUP_TO_BUTTONS = 3;
const int ROW_TO_GROUP_BOTTOM = 5;
const int GROUP_TO_CHECK = 4;
const int RIGHT_MARGIN = 6;
const int BOTTOM_MARGIN = 7;

// A control's rectangle in the dialog's client pixels.
RECT placeOf(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Dialog units in the dialog's pixels, for its font and DPI.
SIZE inPixels(HWND dialog, int x, int y) {
    RECT r = {0, 0, x, y};
    MapDialogRect(dialog, &r);
    return {r.right, r.bottom};
}

// Figures for any face and DPI, measured from the controls that the layout never moves: the
// group box's corner, the buttons, the first and last rows of targets, the check box's height.
MainLayout layoutFromTemplate(HWND dialog) {
    const RECT group = placeOf(dialog, IDC_TARGET_GROUP);
    const RECT run = placeOf(dialog, IDC_RUN);
    const RECT keep = placeOf(dialog, IDC_KEEP_TOPMOST);
    const RECT icon = placeOf(dialog, IDC_EXPAND);
    const SIZE gap = inPixels(dialog, GROUP_TO_BUTTONS, ROW_TO_GROUP_BOTTOM);
    const SIZE margin = inPixels(dialog, RIGHT_MARGIN, BOTTOM_MARGIN);
    const int checkGap = inPixels(dialog, 0, GROUP_TO_CHECK).cy;
    const int keepHeight = keep.bottom - keep.top;
    const int iconSize = icon.right - icon.left;

    MainLayout layout;
    const LONG groupWidth = run.left - gap.cx - group.left;
    layout.groupExpanded = {groupWidth, placeOf(dialog, IDC_OTHER4).bottom + gap.cy - group.top};
    layout.groupCollapsed = {groupWidth, placeOf(dialog, IDC_FIREFOX).bottom + gap.cy - group.top};
    layout.keepTopmostExpanded = {keep.left, group.top + layout.groupExpanded.cy + checkGap};
    layout.keepTopmostCollapsed = {keep.left, group.top + layout.groupCollapsed.cy + checkGap};
    layout.toggleIcon = {run.right - iconSize,
                         layout.keepTopmostCollapsed.y + (keepHeight - iconSize) / 2};
    layout.clientExpanded = {run.right + margin.cx,
                             layout.keepTopmostExpanded.y + keepHeight + margin.cy};
    layout.clientCollapsed = {layout.clientExpanded.cx,
                              layout.keepTopmostCollapsed.y + keepHeight + margin.cy};
    return layout;
}

}  // namespace

MainLayout mainLayoutFor(HWND dialog) {
    // The English figures come from the controls, which already stand where this DPI puts them.
    if (!japaneseFace()) return layoutFromTemplate(dialog);
    return scaledLayout(DESIGNED_LAYOUT, dpiOfWindow(dialog));
}

SIZE mainDialogUnitsAt96() { return japaneseFace() ? DESIGNED_UNITS : SIZE{0, 0}; }
