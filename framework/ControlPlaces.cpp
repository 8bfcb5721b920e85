#include "framework/ControlPlaces.h"

#include "framework/Dpi.h"

namespace {

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

// The font made again for 96 DPI; null without a font. The caller deletes it.
HFONT fontAt96(HFONT font, UINT dpi) {
    LOGFONTA description = {};
    if (!font || !GetObjectA(font, sizeof description, &description)) return nullptr;
    description.lfHeight = MulDiv(description.lfHeight, DESIGN_DPI, static_cast<int>(dpi));
    return CreateFontIndirectA(&description);
}

}  // namespace

void ControlPlaces::record(HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    HFONT font96 = fontAt96(font, dpiOfWindow(dialog));
    SIZE now = baseUnitsOf(font);
    // Without a font both measures are the system font's, and the places stay as they are.
    SIZE at96 = font96 ? baseUnitsOf(font96) : now;
    if (font96) DeleteObject(font96);
    count = 0;
    if (!now.cx || !now.cy) return;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && count < MAX_CONTROLS;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        places[count++] = {child,
                           {MulDiv(r.left, at96.cx, now.cx), MulDiv(r.top, at96.cy, now.cy),
                            MulDiv(r.right, at96.cx, now.cx), MulDiv(r.bottom, at96.cy, now.cy)}};
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
