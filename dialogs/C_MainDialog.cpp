#include "dialogs/C_MainDialog.h"

#include <commctrl.h>

#include "dialogs/C_NewTargetDialog.h"
#include "dialogs/MainLayout.h"
#include "dialogs/PickedWindow.h"
#include "framework/C_CTRL_HYPERLINK.h"
#include "framework/Dpi.h"
#include "framework/UiLanguage.h"
#include "framework/WorkArea.h"
#include "resources/resource.h"
#include "settings/FormatText.h"
#include "settings/TargetFile.h"
#include "sweep/TargetKinds.h"

namespace {

const UINT_PTR COUNT_TIMER = 300;
const UINT COUNT_PERIOD = 2000;
const UINT_PTR KEY_TIMER = 301;
const UINT KEY_PERIOD = 100;

// To the dialog itself, once the dialog manager has scaled the template's controls and font
// for a new DPI.
const UINT WM_LAYOUT_FOR_DPI = WM_APP + 1;

struct IconUse {
    int id;
    int sizeMetric;
};
// By the index in C_MainDialog::icons.
const IconUse ICON_USES[] = {
    {IDI_VARNEL, SM_CXSMICON}, {IDI_VARNEL, SM_CXICON},   {IDI_PIN_OFF, SM_CXSMICON},
    {IDI_PIN_ON, SM_CXSMICON}, {IDI_EXPAND, SM_CXSMICON}, {IDI_COLLAPSE, SM_CXSMICON},
};

// The settings' LEFT and TOP until the dialog has been closed once.
const int NO_SAVED_POSITION = -1;

const int LABEL_SIZE = 32;
const int TIP_SIZE = 256;
// The greyed button's tooltip wraps at this width, in 96-DPI pixels.
const int TIP_WIDTH = 300;
const int RUNNING_TITLE_SIZE = 200;

bool ctrlDown() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

// The common controls are loaded when a dialog first needs them, not at start: a command from
// a script uses none, and their loading was half of its run under some loaders. Named bare, the
// library comes through the manifest's version 6, as an import would.
void loadTooltipClass() {
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls) controls = LoadLibraryW(L"comctl32.dll");
    FARPROC proc = controls ? GetProcAddress(controls, "InitCommonControlsEx") : nullptr;
    if (!proc) return;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    reinterpret_cast<InitCommonControlsExProc>(reinterpret_cast<void (*)()>(proc))(&classes);
}

}  // namespace

int C_MainDialog::firstTickPending = 1;

C_MainDialog::~C_MainDialog() {
    for (HICON icon : icons)
        if (icon) DestroyIcon(icon);
}

INT_PTR C_MainDialog::dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        initMainDialog(dialog);
        break;
    case WM_COMMAND:
        onCommand(dialog, LOWORD(wParam));
        break;
    case WM_TIMER:
        if (wParam == COUNT_TIMER) refreshCounts();
        if (wParam == KEY_TIMER) onKeyTimer(dialog);
        break;
    case WM_DPICHANGED:
        // Only a real change comes here, and the dialog manager scales the dialog first.
        PostMessageA(dialog, WM_LAYOUT_FOR_DPI, 0, 0);
        break;
    case WM_LAYOUT_FOR_DPI:
        layOutForDpi(dialog);
        break;
    case WindowPicker::WM_WINDOW_PICKED:
        picker.stop();
        if (wParam) addTargetFrom(dialog, reinterpret_cast<HWND>(wParam));
        break;
    case HLM_NOTIFY:
        if (lParam == IDC_HELP_LINK && application->showWelcomeDialog(dialog)) {
            finishMainDialog(dialog, LEAVE_ONLY);
            EndDialog(dialog, 0);
        }
        break;
    }
    return FALSE;
}

void C_MainDialog::onCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_RUN:
        finishMainDialog(dialog, LEAVE_AND_RUN);
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
    case IDC_CANCEL_BUTTON:
        finishMainDialog(dialog, LEAVE_ONLY);
        EndDialog(dialog, 0);
        break;
    case IDC_PIN_BUTTON:
        applyOnTop();
        break;
    case IDC_EDIT_TARGETS:
        editTargetFile();
        finishMainDialog(dialog, LEAVE_ONLY);
        EndDialog(dialog, 0);
        break;
    case IDC_ADD_FROM_WINDOW:
        picker.start(getInstance(), dialog);
        break;
    case IDC_EXPAND:
        setExpanded(dialog, 1);
        break;
    case IDC_COLLAPSE:
        setExpanded(dialog, 0);
        break;
    }
}

void C_MainDialog::onKeyTimer(HWND dialog) {
    if (firstTickPending) {
        firstTickPending = 0;
        if (application->liveSettings().showOnTop) SetForegroundWindow(dialog);
    }
    updateButtonLabels();
}

void C_MainDialog::initMainDialog(HWND dialog) {
    Settings& s = application->liveSettings();
    places.record(dialog, mainDialogUnitsAt96());
    places.placeAt(dpiOfWindow(dialog));
    showIcons(dialog);
    setDlgItemText(IDC_FONT_SOURCE, "");
    adoptDialogFont();
    sendDlgItemMessage(IDC_HELP_LINK, HLM_FIXEDRIGHT, 0, 0);
    sendDlgItemMessage(IDC_HELP_LINK, HLM_NOTIFY, reinterpret_cast<WPARAM>(dialog), IDC_HELP_LINK);
    createAddButtonTip(dialog);

    setExpanded(dialog, s.fullSize);
    placeAtSavedPosition(dialog);

    for (const TargetKind& kind : TARGET_KINDS)
        if (selectedIn(s.selection, kind)) setCheck(kind.checkBox, 1);
    if (s.keepTopmost) setCheck(IDC_KEEP_TOPMOST, 1);

    application->reloadTargets();
    showTargetNames();
    showAddButtonState(dialog);

    if (s.showOnTop) setCheck(IDC_PIN_BUTTON, 1);
    applyOnTop();

    ctrlLabelsShown = 0;
    setTimer(COUNT_TIMER, COUNT_PERIOD, nullptr);
    setTimer(KEY_TIMER, KEY_PERIOD, nullptr);
    refreshCounts();

    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
}

void C_MainDialog::showTargetNames() {
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i) showTargetLabel(i);
}

// The picked window's program, class and title, made into a target in the new-target
// dialog; once written, it is shown at once, ticked, with its count.
void C_MainDialog::addTargetFrom(HWND dialog, HWND picked) {
    PickedWindow described;
    describePickedWindow(picked, described);
    C_NewTargetDialog newTarget(described);
    if (newTarget.runModalUnicode(getInstance(), IDD_NEW_TARGET, dialog) != 1) return;
    const int slot = newTarget.writtenSlot();
    application->reloadTargets();
    showTargetNames();
    setCheck(otherKind(slot).checkBox, 1);
    application->liveSettings().selection.otherTargets[slot].enabled = 1;
    refreshCounts();
    showAddButtonState(dialog);
}

void C_MainDialog::createAddButtonTip(HWND dialog) {
    loadTooltipClass();
    addButtonTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, dialog,
                                   nullptr, getInstance(), nullptr);
    char text[TIP_SIZE] = {};
    loadUiString(getInstance(), IDS_TARGETS_FULL, text, sizeof text);
    // On the dialog rather than the button: a greyed button gets no mouse messages.
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = IDC_ADD_FROM_WINDOW;
    tool.lpszText = text;
    SendMessageA(addButtonTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(addButtonTip, TTM_SETMAXTIPWIDTH, 0, scaleToDpi(TIP_WIDTH, dpiOfWindow(dialog)));
}

// Greyed, with its tooltip, while every one of the five targets is taken.
void C_MainDialog::showAddButtonState(HWND dialog) {
    const bool full = firstFreeTargetSlot() < 0;
    enableDlgItem(IDC_ADD_FROM_WINDOW, !full);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog;
    tool.uId = IDC_ADD_FROM_WINDOW;
    GetWindowRect(getDlgItem(IDC_ADD_FROM_WINDOW), &tool.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tool.rect), 2);
    SendMessageA(addButtonTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    activateAddButtonTip();
}

// The link draws with an underlined copy of the dialog's font, which is made for the dialog's DPI.
void C_MainDialog::adoptDialogFont() {
    HFONT dialogFont =
        reinterpret_cast<HFONT>(sendDlgItemMessage(IDC_FONT_SOURCE, WM_GETFONT, 0, 0));
    application->linkClass().createFont(dialogFont);
    InvalidateRect(getDlgItem(IDC_HELP_LINK), nullptr, TRUE);
}

// The pin's icon goes with its state (showPinIcon) and is set once per opening: under Wine,
// giving the button a second image at each opening made the process grow.
void C_MainDialog::showIcons(HWND dialog) {
    HICON former[ICON_COUNT] = {};
    UINT dpi = dpiOfWindow(dialog);
    if (dpi != iconDpi) {
        for (int i = 0; i < ICON_COUNT; ++i) {
            former[i] = icons[i];
            icons[i] = loadIconForDpi(getInstance(), ICON_USES[i].id, ICON_USES[i].sizeMetric, dpi);
        }
        iconDpi = dpi;
    }
    sendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[SMALL_ICON]));
    sendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[BIG_ICON]));
    sendDlgItemMessage(IDC_EXPAND, STM_SETICON, reinterpret_cast<WPARAM>(icons[EXPAND_ICON]), 0);
    sendDlgItemMessage(IDC_COLLAPSE, STM_SETICON, reinterpret_cast<WPARAM>(icons[COLLAPSE_ICON]),
                       0);
    for (HICON icon : former)
        if (icon) DestroyIcon(icon);
}

// Another monitor: the dialog manager has made the font for the new DPI; the controls go to
// their places at that DPI, and the link's font, the icons and the layout's figures follow.
void C_MainDialog::layOutForDpi(HWND dialog) {
    places.placeAt(dpiOfWindow(dialog));
    adoptDialogFont();
    showIcons(dialog);
    showPinIcon(getCheck(IDC_PIN_BUTTON) == BST_CHECKED);
    setExpanded(dialog, application->sweepState().dialogExpanded);
    showAddButtonState(dialog);
}

// Where it was left, on whichever monitor; centred on the primary one when there is no saved
// place or when it lies on no monitor's work area any more.
void C_MainDialog::placeAtSavedPosition(HWND dialog) {
    const Settings& s = application->liveSettings();
    const POINT saved = {s.dialogLeft, s.dialogTop};
    bool none = saved.x == NO_SAVED_POSITION && saved.y == NO_SAVED_POSITION;
    if (none || !onSomeWorkArea(saved)) {
        centerIn(primaryWorkArea());
        return;
    }
    moveTo(saved.x, saved.y);
    // A dialog that came onto a monitor of another scaling took the size and place that the
    // system suggested for it; on that monitor now, it goes back to the saved corner.
    RECT placed;
    GetWindowRect(dialog, &placed);
    if (placed.left != saved.x || placed.top != saved.y) moveTo(saved.x, saved.y);
}

void C_MainDialog::showTargetControls(int show) {
    int command = show ? SW_SHOW : SW_HIDE;
    for (const TargetKind& kind : TARGET_KINDS) {
        if (isBuiltIn(kind)) continue;
        ShowWindow(getDlgItem(kind.checkBox), command);
        ShowWindow(getDlgItem(kind.countField), command);
    }
    ShowWindow(getDlgItem(IDC_EDIT_TARGETS), command);
    ShowWindow(getDlgItem(IDC_ADD_FROM_WINDOW), command);
    activateAddButtonTip();
}

// Only over the greyed button, and only where it is shown.
void C_MainDialog::activateAddButtonTip() {
    const bool greyed = !IsWindowEnabled(getDlgItem(IDC_ADD_FROM_WINDOW));
    SendMessageA(addButtonTip, TTM_ACTIVATE, greyed && application->sweepState().dialogExpanded, 0);
}

void C_MainDialog::setExpanded(HWND dialog, int on) {
    application->sweepState().dialogExpanded = on ? 1 : 0;
    HWND group = getDlgItem(IDC_TARGET_GROUP);
    RECT r;
    GetWindowRect(group, &r);
    POINT corner = {r.left, r.top};
    ScreenToClient(dialog, &corner);
    ShowWindow(group, SW_HIDE);

    const MainLayout layout = mainLayoutFor(dialog);
    const SIZE groupSize = on ? layout.groupExpanded : layout.groupCollapsed;
    const POINT keepTopmost = on ? layout.keepTopmostExpanded : layout.keepTopmostCollapsed;
    const SIZE client = on ? layout.clientExpanded : layout.clientCollapsed;
    // The icon that is shown offers the other layout.
    HWND shownIcon = getDlgItem(on ? IDC_COLLAPSE : IDC_EXPAND);
    HWND hiddenIcon = getDlgItem(on ? IDC_EXPAND : IDC_COLLAPSE);
    const UINT place = SWP_NOSIZE | SWP_NOZORDER;

    // The target rows go before the window shrinks and come back once it has grown.
    if (!on) showTargetControls(0);
    SetWindowPos(group, nullptr, corner.x, corner.y, groupSize.cx, groupSize.cy,
                 SWP_NOZORDER | SWP_NOREDRAW);
    SetWindowPos(getDlgItem(IDC_KEEP_TOPMOST), nullptr, keepTopmost.x, keepTopmost.y, 0, 0, place);
    SetWindowPos(shownIcon, nullptr, layout.toggleIcon.x, layout.toggleIcon.y, 0, 0, place);
    setClientSize(client.cx, client.cy);
    if (on) showTargetControls(1);
    ShowWindow(shownIcon, SW_SHOW);
    ShowWindow(hiddenIcon, SW_HIDE);
    ShowWindow(group, SW_SHOW);
}

void C_MainDialog::setButtonLabel(int id, int stringId) {
    char label[LABEL_SIZE] = {};
    loadUiString(getInstance(), stringId, label, sizeof label);
    setDlgItemText(id, label);
}

void C_MainDialog::updateButtonLabels() {
    bool down = ctrlDown();
    if (down == (ctrlLabelsShown != 0)) return;
    setButtonLabel(IDC_RUN, down ? IDS_MINIMISE_ALL : IDS_CLOSE_ALL);
    setButtonLabel(IDC_CANCEL_BUTTON, down ? IDS_SETTINGS_ONLY : IDS_CANCEL);
    ctrlLabelsShown = down ? 1 : 0;
}

void C_MainDialog::applyOnTop() {
    int on = getCheck(IDC_PIN_BUTTON) == BST_CHECKED;
    application->liveSettings().showOnTop = on;
    setTopmost(on);
    showPinIcon(on);
}

void C_MainDialog::showPinIcon(int on) {
    HICON icon = icons[on ? PIN_ON_ICON : PIN_OFF_ICON];
    sendDlgItemMessage(IDC_PIN_BUTTON, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void C_MainDialog::showCount(int id, unsigned count) {
    char text[16] = "-";
    if (count) formatText(text, sizeof text, "%u", count);
    setDlgItemText(id, text);
}

// A target that matches nothing because a condition is too long says so before its label.
void C_MainDialog::showTargetLabel(int index) {
    const OtherTarget& target = application->sweepState().sweepSelection.otherTargets[index];
    if (!target.ruleTooLong) {
        setDlgItemText(otherKind(index).checkBox, target.wideName);
        return;
    }
    char marker[LABEL_SIZE] = {};
    loadUiString(getInstance(), IDS_RULE_TOO_LONG, marker, sizeof marker);
    wchar_t label[LABEL_SIZE + OTHER_NAME_SIZE + 1] = {};
    int length = MultiByteToWideChar(CP_ACP, 0, marker, -1, label, LABEL_SIZE) - 1;
    if (length < 0) length = 0;
    label[length] = L' ';
    lstrcpynW(label + length + 1, target.wideName, OTHER_NAME_SIZE);
    setDlgItemText(otherKind(index).checkBox, label);
}

void C_MainDialog::refreshCounts() {
    SweepState& sweep = application->sweepState();
    TargetSelection everything = sweep.sweepSelection;
    for (const TargetKind& kind : TARGET_KINDS)
        if (isBuiltIn(kind)) selectedIn(everything, kind) = 1;
    application->runSweep(SWEEP_COUNT_ONLY, SPARE_NONE, SWEEP_CLOSE, everything);
    for (const TargetKind& kind : TARGET_KINDS) showCount(kind.countField, counterOf(sweep, kind));
}

// With run, or with Ctrl held, the ticks are kept (and with run the sweep goes, minimising while
// Ctrl is held); the dialog's place is kept whatever the way out.
void C_MainDialog::finishMainDialog(HWND dialog, int run) {
    stopLiveWork();
    bool ctrl = ctrlDown();
    if (run || ctrl) {
        keepTicks();
        if (run) runTickedSweep(ctrl ? SWEEP_MINIMISE : SWEEP_CLOSE);
        application->liveSettings().fullSize = application->sweepState().dialogExpanded;
    }
    keepPosition(dialog);
    application->saveSettings();
}

void C_MainDialog::stopLiveWork() {
    picker.stop();
    killTimer(COUNT_TIMER);
    killTimer(KEY_TIMER);
}

void C_MainDialog::keepTicks() {
    Settings& s = application->liveSettings();
    for (const TargetKind& kind : TARGET_KINDS)
        selectedIn(s.selection, kind) = getCheck(kind.checkBox) == BST_CHECKED;
    s.keepTopmost = getCheck(IDC_KEEP_TOPMOST) == BST_CHECKED;
}

// The dialog stays on screen, titled so, until the sweep has ended.
void C_MainDialog::runTickedSweep(int action) {
    char title[RUNNING_TITLE_SIZE] = {};
    loadUiString(getInstance(), IDS_RUNNING, title, sizeof title);
    setText(title);
    const Settings& s = application->liveSettings();
    application->runSweep(SWEEP_ACTS, s.keepTopmost, action, s.selection);
}

void C_MainDialog::keepPosition(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    Settings& s = application->liveSettings();
    s.dialogLeft = r.left;
    s.dialogTop = r.top;
}
