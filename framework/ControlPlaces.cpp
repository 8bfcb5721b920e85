#include "framework/ControlPlaces.h"

#include "framework/Dpi.h"

namespace {

const int POINTS_PER_INCH = 72;
// Dialog units per base unit, across and down.
const int X_UNITS = 4;
const int Y_UNITS = 8;

// The dialog units of a font as the dialog manager measures them: the average width of the
// Latin letters, rounded, and the character height.
SIZE baseUnitsOf(HFONT font) {
    static const char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE letters = {};
    GetTextExtentPoint32A(screen, LETTERS, sizeof LETTERS - 1, &letters);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

// The font made again for 96 DPI; null without a font. The caller deletes it. A template's
// size is whole points: the height is made from them, as the dialog manager makes it at 96 DPI,
// not from the height at this DPI, whose rounding would carry over.
HFONT fontAt96(HFONT font, UINT dpi) {
    LOGFONTA description = {};
    if (!font || !GetObjectA(font, sizeof description, &description)) return nullptr;
    int points = MulDiv(description.lfHeight, POINTS_PER_INCH, static_cast<int>(dpi));
    description.lfHeight = MulDiv(points, DESIGN_DPI, POINTS_PER_INCH);
    return CreateFontIndirectA(&description);
}

// A dialog manager's rectangle for a control at x, y of width w and height h (dialog units).
RECT inPixels(int x, int y, int w, int h, SIZE base) {
    int left = MulDiv(x, base.cx, X_UNITS);
    int top = MulDiv(y, base.cy, Y_UNITS);
    return {left, top, left + MulDiv(w, base.cx, X_UNITS), top + MulDiv(h, base.cy, Y_UNITS)};
}

}  // namespace

void ControlPlaces::record(HWND dialog, SIZE unitsAt96) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    SIZE now = baseUnitsOf(font);
    SIZE at96 = unitsAt96;
    if (!at96.cx || !at96.cy) {
        HFONT font96 = fontAt96(font, dpiOfWindow(dialog));
        // Without a font both measures are the system font's, and the places stay as they are.
        at96 = font96 ? baseUnitsOf(font96) : now;
        if (font96) DeleteObject(font96);
    }
    count = 0;
    if (!now.cx || !now.cy) return;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && count < MAX_CONTROLS;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        // Back to the template's dialog units: exact while a unit is at least one pixel.
        places[count++] = {child,
                           inPixels(MulDiv(r.left, X_UNITS, now.cx), MulDiv(r.top, Y_UNITS, now.cy),
                                    MulDiv(r.right - r.left, X_UNITS, now.cx),
                                    MulDiv(r.bottom - r.top, Y_UNITS, now.cy), at96)};
    }
}

// Edges are scaled rather than sizes, so controls that meet at 96 DPI meet at every DPI.
void ControlPlaces::placeAt(UINT dpi) const {
    for (int i = 0; i < count; ++i) {
        const RECT& r = places[i].at96;
        int left = scaleToDpi(r.left, dpi);
        int top = scaleToDpi(r.top, dpi);
        SetWindowPos(places[i].control, nullptr, left, top, scaleToDpi(r.right, dpi) - left,
                     scaleToDpi(r.bottom, dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
