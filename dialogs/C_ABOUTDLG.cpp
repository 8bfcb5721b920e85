#include "dialogs/C_ABOUTDLG.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/resource.h"
#include "settings/PathUtil.h"
#include "shell/C_Application.h"

namespace {

const int VERSION_MAJOR = 2;
const int VERSION_MINOR = 7;
const char VERSION_SUFFIX[] = "";
const char MAKER_NOTICE[] = "(C) Lumo";
const int VERSION_LINE_SIZE = 128;

}  // namespace

void formatBuildDate(const char* compilerDate, char* out, int size) {
    static const char MONTH_NAMES[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 0;
    for (int m = 0; m < 12 && !month; ++m)
        if (strncmp(compilerDate, MONTH_NAMES[m], 3) == 0) month = m + 1;
    snprintf(out, size, "%04d/%02d/%02d", atoi(compilerDate + 7), month, atoi(compilerDate + 4));
}

INT_PTR C_ABOUTDLG::dialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        char date[16];
        formatBuildDate(__DATE__, date, sizeof date);
        char line[VERSION_LINE_SIZE];
        snprintf(line, sizeof line, "Varnel  Version %d.%d%s   %s   %s", VERSION_MAJOR,
                 VERSION_MINOR, VERSION_SUFFIX, MAKER_NOTICE, date);
        setDlgItemText(IDC_VERSION, line);
        setCheck(IDC_NON_RESIDENT, application->settings.nonResident);
        setCheck(application->settings.hotkeyMode == 0 ? IDC_MODE_STANDARD : IDC_MODE_MAIN_ONLY, 1);
    } else if (msg == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            applyChoices();
            EndDialog(hwnd, 0);
            break;
        case IDC_REGISTRAR:
            startRegistrar();
            EndDialog(hwnd, 1);
            break;
        }
    }
    return FALSE;
}

void C_ABOUTDLG::applyChoices() {
    Settings& s = application->settings;
    s.nonResident = getCheck(IDC_NON_RESIDENT) == BST_CHECKED;
    int mode = getCheck(IDC_MODE_STANDARD) == BST_CHECKED ? 0 : 1;
    if (mode == s.hotkeyMode) return;
    // The keys of the old mode go first: unregistering decides by the current mode. Without a
    // resident window (non-resident mode) there is nothing to register.
    application->unregisterHotkeys();
    s.hotkeyMode = mode;
    if (application->residentWindow.getHwnd()) application->registerHotkeys();
}

void C_ABOUTDLG::startRegistrar() {
    // The registrar beside Varnel, or nothing: never one found in the current folder or the PATH.
    openBesideProgram("Quillon.exe");
}
