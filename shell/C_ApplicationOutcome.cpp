#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "shell/C_Application.h"
#include "shell/Messages.h"
#include "shell/SweepNote.h"

namespace {

// A program that stopped handling messages shows as hung after 5 s; the watch lasts a little
// longer, so that it is told apart from a window that is merely still open.
const DWORD OUTCOME_WATCH_TIME = 6000;
const UINT OUTCOME_LOOK_STEP = 100;

}  // namespace

// The windows of a sweep that follows within the watch join it, each window once however often
// it was swept (a held hotkey sweeps again and again); a sweep of the other action ends the
// watch first, since its windows are to do something else.
void C_Application::watchSweepOutcome() {
    HWND resident = residentWindow.getHwnd();
    if (outcomeWatching && outcomeWatch.minimising() != sweep.sweepMinimise) finishOutcomeWatch();
    if (!outcomeWatching) {
        outcomeWatch.begin(sweep.sweepMinimise);
        outcomeRefused = outcomeUnwatched = 0;
    }
    for (int i = 0; i < sweep.actedWindowCount; ++i)
        if (!outcomeWatch.holds(sweep.actedWindows[i].window) &&
            !outcomeWatch.add(sweep.actedWindows[i]))
            ++outcomeUnwatched;
    outcomeRefused += sweep.refusedCount;
    for (unsigned unwatched : sweep.unwatchedCounts) outcomeUnwatched += unwatched;
    outcomeWatching = 1;
    outcomeWatchStart = GetTickCount();
    // Windows that went during the sweep's pauses need no timer.
    if (outcomeWatch.look()) return finishOutcomeWatch();
    if (resident && SetTimer(resident, OUTCOME_TIMER_ID, OUTCOME_LOOK_STEP, nullptr)) return;
    // Without the resident window the program ends after this sweep: watched here, at once.
    outcomeWatch.watch(OUTCOME_WATCH_TIME);
    finishOutcomeWatch();
}

void C_Application::onOutcomeTimer() {
    if (!outcomeWatching) return;
    if (outcomeWatch.look() || GetTickCount() - outcomeWatchStart >= OUTCOME_WATCH_TIME)
        finishOutcomeWatch();
}

// Every window not yet accounted for is still open: asking a hung program whether it answers
// would hold this loop.
void C_Application::finishOutcomeWatch() {
    if (HWND resident = residentWindow.getHwnd()) KillTimer(resident, OUTCOME_TIMER_ID);
    outcomeWatching = 0;
    outcomeWatch.conclude(false);
    tellOutcome();
}

void C_Application::tellOutcome() {
    SweepLeftovers left = {};
    for (int kind = 0; kind < SWEEP_KIND_COUNT; ++kind) {
        left.waiting += outcomeWatch.count(kind, OUTCOME_WAITING);
        left.notResponding += outcomeWatch.count(kind, OUTCOME_NOT_RESPONDING);
        left.stillOpen += outcomeWatch.count(kind, OUTCOME_STILL_OPEN);
    }
    left.stillOpen += outcomeUnwatched;
    left.refused = outcomeRefused;
    waitingWindow = outcomeWatch.firstWaiting();
    char title[REFUSAL_TITLE_SIZE];
    char text[REFUSAL_NOTE_SIZE];
    if (!sweepNote(instanceHandle, outcomeWatch.minimising(), left, text, sizeof text)) return;
    loadUiString(instanceHandle, IDS_REFUSED_TITLE, title, sizeof title);
    if (residentWindow.getHwnd())
        showTrayBalloon(title, text);
    else
        MessageBoxA(mainDialog.getHwnd(), text, title, MB_OK | MB_ICONWARNING);
}

// The click on the balloon is the user's input, which lets this program hand the foreground on.
void C_Application::showWaitingQuestion() {
    HWND question = questionOf(waitingWindow);
    if (!question) return;
    if (IsIconic(waitingWindow)) ShowWindowAsync(waitingWindow, SW_RESTORE);
    SetForegroundWindow(question);
}
