#include "dialogs/C_SETTINGDLG.h"

#include "resources/resource.h"
#include "settings/Settings.h"

namespace {

// Long enough that a longer text is over the limit anyway.
const int FIELD_SIZE = 64;

}  // namespace

unsigned parseWaitTimeField(const char* text, unsigned limit) {
    unsigned value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return 0;
        if (value <= limit) value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    return value > limit ? limit + 1 : value;
}

INT_PTR C_SETTINGDLG::dialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        setCheck(IDC_SETTINGS_NON_RESIDENT, shown.nonResident);
        setDlgItemInt(IDC_WAIT_TIME, static_cast<UINT>(shown.waitTime), FALSE);
        keys.show(*this, shown.keys, shown.hotkeyMode, shown.targetNames);
    } else if (msg == WM_COMMAND) {
        if (KeysPart::isKeyControl(LOWORD(wParam)) && HIWORD(wParam) == EN_CHANGE)
            keys.onKeyChanged();
        if (LOWORD(wParam) == IDOK) onOk();
        if (LOWORD(wParam) == IDCANCEL) EndDialog(hwnd, 0);
    }
    return FALSE;
}

void C_SETTINGDLG::onOk() {
    taker.takeNonResident(getCheck(IDC_SETTINGS_NON_RESIDENT) == BST_CHECKED);
    char text[FIELD_SIZE] = {};
    getDlgItemText(IDC_WAIT_TIME, text, sizeof text);
    unsigned wait = parseWaitTimeField(text, WAIT_TIME_MAX);
    if (wait > WAIT_TIME_MAX) {
        setDlgItemInt(IDC_WAIT_TIME, WAIT_TIME_MAX, FALSE);
        return;
    }
    // The control does not tell of every change (a key cleared with Backspace, for one).
    keys.onKeyChanged();
    int refused = keys.firstRefusedRow();
    if (refused >= 0) {
        SetFocus(getDlgItem(IDC_KEY0 + refused));
        return;
    }
    taker.takeWaitTime(static_cast<int>(wait));
    if (keys.changed()) taker.takeHotkeys(keys.chosen());
    EndDialog(hwnd, 0);
}
