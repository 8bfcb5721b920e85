#include "dialogs/C_ABOUTDLG.h"

#include <cstdlib>
#include <cstring>

#include "framework/Dpi.h"
#include "resources/resource.h"
#include "settings/FormatText.h"
#include "settings/PathUtil.h"

namespace {

const int VERSION_MAJOR = 2;
const int VERSION_MINOR = 7;
const char VERSION_SUFFIX[] = "";
const char MAKER_NOTICE[] = "(C) Lumo";
const int VERSION_LINE_SIZE = 128;
// Posted on a change of display scaling, so that the pictures follow after the dialog manager
// has scaled the dialog.
const UINT WM_PICTURES_FOR_DPI = WM_APP + 1;

// The pictures drawn for each display scaling, smallest first. A dialog takes the largest
// drawn for no more than its own DPI, so that a picture never outgrows its place.
struct ScaledPictures {
    UINT dpi;
    int tray;
    int rule;
};
const ScaledPictures PICTURES[] = {
    {96, IDB_TRAY, IDB_RULE},          {120, IDB_TRAY_125, IDB_RULE_125},
    {144, IDB_TRAY_150, IDB_RULE_150}, {192, IDB_TRAY_200, IDB_RULE_200},
    {288, IDB_TRAY_300, IDB_RULE_300},
};

const ScaledPictures& picturesFor(UINT dpi) {
    const ScaledPictures* chosen = &PICTURES[0];
    for (const ScaledPictures& p : PICTURES)
        if (p.dpi <= dpi) chosen = &p;
    return *chosen;
}

}  // namespace

void formatBuildDate(const char* compilerDate, char* out, int size) {
    static const char MONTH_NAMES[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 0;
    for (int m = 0; m < 12 && !month; ++m)
        if (strncmp(compilerDate, MONTH_NAMES[m], 3) == 0) month = m + 1;
    formatText(out, size, "%04d/%02d/%02d", atoi(compilerDate + 7), month, atoi(compilerDate + 4));
}

INT_PTR C_ABOUTDLG::dialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        char date[16];
        formatBuildDate(__DATE__, date, sizeof date);
        char line[VERSION_LINE_SIZE];
        formatText(line, sizeof line, "Varnel  Version %d.%d%s   %s   %s", VERSION_MAJOR,
                   VERSION_MINOR, VERSION_SUFFIX, MAKER_NOTICE, date);
        setDlgItemText(IDC_VERSION, line);
        setCheck(IDC_NON_RESIDENT, shown.nonResident);
        setCheck(shown.hotkeyMode == 0 ? IDC_MODE_STANDARD : IDC_MODE_MAIN_ONLY, 1);
        showPicturesForDpi();
    } else if (msg == WM_DPICHANGED) {
        PostMessageA(hwnd, WM_PICTURES_FOR_DPI, 0, 0);
    } else if (msg == WM_PICTURES_FOR_DPI) {
        showPicturesForDpi();
    } else if (msg == WM_DESTROY) {
        // A static never deletes the pictures given to it.
        showPicture(IDC_TRAY_PICTURE, 0);
        showPicture(IDC_RULE_PICTURE, 0);
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
    taker.takeNonResident(getCheck(IDC_NON_RESIDENT) == BST_CHECKED);
    taker.takeHotkeyMode(getCheck(IDC_MODE_STANDARD) == BST_CHECKED ? 0 : 1);
}

void C_ABOUTDLG::showPicturesForDpi() {
    const ScaledPictures& pictures = picturesFor(dpiOfWindow(hwnd));
    showPicture(IDC_TRAY_PICTURE, pictures.tray);
    showPicture(IDC_RULE_PICTURE, pictures.rule);
}

// Bitmap 0 takes the picture away. The one replaced, the template's own included, is deleted:
// it is the dialog's to free once the static no longer shows it.
void C_ABOUTDLG::showPicture(int id, int bitmapId) {
    HANDLE picture =
        bitmapId ? LoadImageA(getInstance(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, 0)
                 : nullptr;
    LRESULT replaced =
        sendDlgItemMessage(id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    if (replaced) DeleteObject(reinterpret_cast<HGDIOBJ>(replaced));
    if (picture) keepInsideClientArea(GetDlgItem(hwnd, id));
}

// The static takes the picture's size. Where the face's dialog font is narrower than the one
// the pictures are drawn for, the rule would run past the dialog's edge: it is cut to leave
// the margin that it has on the left.
void C_ABOUTDLG::keepInsideClientArea(HWND control) {
    RECT client, place;
    GetClientRect(hwnd, &client);
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
    LONG right = client.right - place.left;
    if (place.right > right)
        SetWindowPos(control, nullptr, 0, 0, right - place.left, place.bottom - place.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void C_ABOUTDLG::startRegistrar() {
    // The registrar beside Varnel, or nothing: never one found in the current folder or the PATH.
    openBesideProgram("Quillon.exe");
}
