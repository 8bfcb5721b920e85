#include "dialogs/MainLayout.h"

namespace {

// The layout as designed: pixels for the Japanese face at 96 DPI.
const MainLayout DESIGNED_LAYOUT = {
    {195, 150}, {195, 70}, {12, 164}, {12, 84}, {288, 84}, {312, 185}, {312, 105},
};

}  // namespace

MainLayout mainLayoutFor(HWND) { return DESIGNED_LAYOUT; }
