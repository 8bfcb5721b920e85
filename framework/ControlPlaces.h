#pragma once

#include <windows.h>

// The places of a dialog's controls in 96-DPI pixels, put back at any DPI. The dialog manager
// measures dialog units with the dialog's font at the dialog's DPI, and the font's average
// width rounds differently at each size: placed from their 96-DPI places, the controls keep the
// proportions that the layout was drawn with.
class ControlPlaces {
public:
    // Once the dialog manager has placed the template's controls (WM_INITDIALOG). The places
    // are taken back to dialog units and laid out as the dialog manager would at 96 DPI: with
    // unitsAt96, the base units in 96-DPI pixels, where given, else with the dialog's font.
    void record(HWND dialog, SIZE unitsAt96 = {0, 0});
    void placeAt(UINT dpi) const;

private:
    static const int MAX_CONTROLS = 40;
    struct Place {
        HWND control;
        RECT at96;
    };
    Place places[MAX_CONTROLS] = {};
    int count = 0;
};
