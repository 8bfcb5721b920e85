#pragma once

#include <windows.h>

// Where the main dialog's moving parts go in its two layouts, in the dialog's client pixels at
// its DPI.
// The controls keep the size the template gives them; only these figures are set by code.
struct MainLayout {
    SIZE groupExpanded;  // target group box 1021, at the template's corner
    SIZE groupCollapsed;
    POINT keepTopmostExpanded;  // check box 1003
    POINT keepTopmostCollapsed;
    POINT toggleIcon;  // the expand (1024) or collapse (1025) icon that is shown
    SIZE clientExpanded;
    SIZE clientCollapsed;
};

// The figures for the dialog as it is now shown.
MainLayout mainLayoutFor(HWND dialog);

// The base units, in 96-DPI pixels, that the template's controls are placed with. The Japanese
// figures are pixels of the designed face, whose units these are: placed with them, the controls
// stand where the figures expect them whatever font stands in. The English face has none
// ({0, 0}): its figures come from its controls.
SIZE mainDialogUnitsAt96();
