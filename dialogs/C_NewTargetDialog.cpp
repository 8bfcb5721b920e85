#include "dialogs/C_NewTargetDialog.h"

#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "settings/TargetFile.h"

namespace {

const int NOTE_SIZE = 512;

}  // namespace

INT_PTR C_NewTargetDialog::dialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) initNewTarget();
    if (msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        onOk();
        break;
    case IDCANCEL:
        EndDialog(hwnd, 0);
        break;
    case IDC_MATCH_PROGRAM:
    case IDC_MATCH_CLASS:
    case IDC_MATCH_TITLE:
        enableTitleText();
        break;
    }
    return FALSE;
}

// The program is the default; a program that cannot be read leaves the class.
void C_NewTargetDialog::initNewTarget() {
    sendDlgItemMessage(IDC_NEW_NAME, EM_LIMITTEXT, OTHER_NAME_SIZE - 1, 0);
    sendDlgItemMessage(IDC_TITLE_TEXT, EM_LIMITTEXT, OTHER_TEXT_SIZE - 1, 0);
    setDlgItemText(IDC_NEW_NAME, picked.name);
    setDlgItemText(IDC_PROGRAM_NAME, picked.exeName);
    setDlgItemText(IDC_CLASS_NAME, picked.className);
    setDlgItemText(IDC_TITLE_TEXT, picked.title);
    const bool program = picked.exeName[0] != 0;
    enableDlgItem(IDC_MATCH_PROGRAM, program);
    setCheck(program ? IDC_MATCH_PROGRAM : IDC_MATCH_CLASS, 1);
    enableTitleText();
    SetFocus(getDlgItem(IDC_NEW_NAME));
    sendDlgItemMessage(IDC_NEW_NAME, EM_SETSEL, 0, -1);
}

void C_NewTargetDialog::enableTitleText() {
    enableDlgItem(IDC_TITLE_TEXT, getCheck(IDC_MATCH_TITLE) == BST_CHECKED);
}

// Only the chosen condition is written; the others are "-".
void C_NewTargetDialog::onOk() {
    wchar_t name[OTHER_NAME_SIZE] = {};
    wchar_t titleText[OTHER_TEXT_SIZE] = {};
    GetDlgItemTextW(hwnd, IDC_NEW_NAME, name, OTHER_NAME_SIZE);
    GetDlgItemTextW(hwnd, IDC_TITLE_TEXT, titleText, OTHER_TEXT_SIZE);
    const bool byProgram = getCheck(IDC_MATCH_PROGRAM) == BST_CHECKED;
    const bool byClass = getCheck(IDC_MATCH_CLASS) == BST_CHECKED;
    const bool byTitle = !byProgram && !byClass;
    // An empty text is in every title: the target would take every window.
    if (byTitle && !titleText[0]) {
        showNote(IDS_TITLE_TEXT_EMPTY, 0);
        SetFocus(getDlgItem(IDC_TITLE_TEXT));
        return;
    }
    NewOtherTarget target = {name[0] ? name : nullptr, byClass ? picked.className : nullptr,
                             byTitle ? titleText : nullptr, byProgram ? picked.exeName : nullptr};
    DWORD error = 0;
    switch (addOtherTarget(target, slot, error)) {
    case TARGET_ADDED:
        EndDialog(hwnd, 1);
        break;
    case TARGET_FILE_READ_ONLY:
        showNote(IDS_TARGET_FILE_READ_ONLY, 0);
        break;
    case TARGET_SLOTS_TAKEN:
        showNote(IDS_NO_FREE_TARGET, 0);
        break;
    case TARGET_NOT_ENCODABLE:
        showNote(IDS_TARGET_FILE_ENCODING, 0);
        break;
    case TARGET_TOO_LONG:
        showNote(IDS_TARGET_TOO_LONG, 0);
        break;
    case TARGET_NOT_LITERAL:
        showNote(IDS_TARGET_NOT_LITERAL, 0);
        break;
    case TARGET_NOT_WRITTEN:
        showNote(IDS_TARGET_FILE_NOT_WRITTEN, error);
        break;
    }
}

// The note under the choices, with the system's text for error when there is one.
void C_NewTargetDialog::showNote(int stringId, DWORD error) {
    char note[NOTE_SIZE] = {};
    int length = loadUiString(getInstance(), stringId, note, sizeof note);
    if (error)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, note + length, static_cast<DWORD>(sizeof note - length), nullptr);
    setDlgItemText(IDC_NEW_TARGET_NOTE, note);
    MessageBeep(MB_ICONWARNING);
}
