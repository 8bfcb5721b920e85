#include "resources/resource.h"
#include "shell/C_Application.h"
#include "shell/CommandExchange.h"
#include "shell/CommandLine.h"
#include "shell/CommandOutcome.h"
#include "shell/CommandOutput.h"
#include "sweep/TargetKinds.h"

namespace {

enum { EXIT_DONE = 0, EXIT_NOT_DONE = 1, EXIT_USAGE = 2 };

// What the command line says when the resident did not answer, by HandOutcome.
const UINT HAND_FAILURES[] = {0,
                              IDS_CMD_REFUSED,
                              IDS_CMD_NOT_TAKEN,
                              IDS_CMD_NO_ANSWER,
                              IDS_CMD_BAD_ANSWER,
                              IDS_CMD_UNREACHABLE};
static_assert(sizeof HAND_FAILURES / sizeof HAND_FAILURES[0] == HAND_UNREACHABLE + 1,
              "a text for every outcome");

// Appends a line for a sweep kind unless one is there already; label is the kind code that
// names it on the line.
void addLine(CommandReply& reply, DWORD sweepKind, DWORD label,
             DWORD (&lineKinds)[SWEEP_KIND_COUNT]) {
    for (DWORD i = 0; i < reply.lineCount; ++i)
        if (lineKinds[i] == sweepKind) return;
    lineKinds[reply.lineCount] = sweepKind;
    reply.lines[reply.lineCount++].kind = label;
}

// "-" is the name of a target that target.ini does not define.
bool namesTarget(const wchar_t* name, const OtherTarget& target) {
    return lstrcmpW(target.wideName, L"-") != 0 && sameTargetName(name, target.wideName);
}

}  // namespace

// Parsed here; handed to a resident Varnel when one runs, so that its record of minimised
// windows serves every restore; else carried out here, without window, icon, hotkey or save.
int C_Application::runCommandLine(const wchar_t* commandLine) {
    CommandRecord command;
    CommandProblem problem;
    CommandOutput output(instanceHandle);
    switch (parseCommandLine(commandLine, command, problem)) {
    case PARSE_NO_ARGUMENTS:
        return NOT_A_COMMAND;
    case PARSE_HELP:
        output.writeUsage();
        return EXIT_DONE;
    case PARSE_USAGE_ERROR:
        output.writeUsageError(problem);
        return EXIT_USAGE;
    case PARSE_COMMAND:
        break;
    }
    CommandReply reply;
    HWND resident = nullptr;
    if (!findInstanceForCommand(&resident)) {
        // Carried out here, it would miss what the resident knows, and /restore would find
        // nothing.
        output.writeFailure(IDS_CMD_UNREACHABLE);
        return EXIT_NOT_DONE;
    }
    if (resident) {
        HandOutcome outcome = handCommand(resident, command, reply);
        if (outcome != HAND_ANSWERED) {
            output.writeFailure(HAND_FAILURES[outcome]);
            return EXIT_NOT_DONE;
        }
    } else {
        loadSettings();
        carryOutCommand(command, reply);
    }
    if (reply.status == STATUS_UNKNOWN_NAME) {
        problem.message = IDS_CMD_UNKNOWN_NAME;
        lstrcpynW(problem.argument, command.names[reply.detail], COMMAND_ARG_SIZE);
        output.writeUsageError(problem);
        return EXIT_USAGE;
    }
    if (command.verb == VERB_RESTORE || command.verb == VERB_COUNT) {
        output.writeResult(command, reply, nullptr);
        return EXIT_DONE;
    }
    CommandOutcome outcome;
    watchCommandOutcome(command, reply, outcome);
    output.writeResult(command, reply, &outcome);
    return everyWindowDone(reply, outcome) ? EXIT_DONE : EXIT_NOT_DONE;
}

bool C_Application::resolveKinds(const CommandRecord& command, CommandReply& reply,
                                 DWORD (&lineKinds)[SWEEP_KIND_COUNT]) const {
    const TargetSelection& ticked = settings.selection;
    for (DWORD i = 0; i < command.kindCount; ++i) {
        DWORD code = command.kinds[i];
        if (code < SWEEP_KIND_COUNT) {
            addLine(reply, code, code, lineKinds);
        } else if (code == KIND_SELECTED) {
            // As the tray menu's close-all: user-defined targets only while the main window shows
            // them.
            for (const TargetKind& kind : TARGET_KINDS) {
                DWORD index = static_cast<DWORD>(kindIndex(kind));
                bool shown = isBuiltIn(kind) || sweep.dialogExpanded;
                if (shown && selectedIn(ticked, kind)) addLine(reply, index, index, lineKinds);
            }
        } else {
            const wchar_t* name = command.names[code - KIND_NAMED];
            int t = 0;
            while (t < OTHER_TARGET_COUNT && !namesTarget(name, ticked.otherTargets[t])) ++t;
            if (t == OTHER_TARGET_COUNT) {
                reply.status = STATUS_UNKNOWN_NAME;
                reply.detail = code - KIND_NAMED;
                reply.lineCount = 0;
                return false;
            }
            addLine(reply, SWEEP_KIND_OTHER + t, code, lineKinds);
        }
    }
    return true;
}

// One sweep over the chosen kinds, so that keep-front spares one window among them all, as a
// hotkey does. A user-defined target named here is acted on whatever the main window's layout.
void C_Application::carryOutCommand(const CommandRecord& command, CommandReply& reply) {
    initCommandReply(reply, command);
    if (command.verb == VERB_RESTORE) {
        reply.detail = static_cast<DWORD>(sweep.restoreMinimised());
        return;
    }
    reloadTargets();
    DWORD lineKinds[SWEEP_KIND_COUNT] = {};
    if (!resolveKinds(command, reply, lineKinds)) return;
    TargetSelection selection = settings.selection;
    for (const TargetKind& kind : TARGET_KINDS) selectedIn(selection, kind) = 0;
    for (DWORD i = 0; i < reply.lineCount; ++i)
        selectedIn(selection, TARGET_KINDS[lineKinds[i]]) = 1;

    SweepRequest request;
    request.countOnly = command.verb == VERB_COUNT;
    request.spareFirst =
        command.keepFront == FROM_SETTINGS ? settings.keepTopmost : command.keepFront;
    request.minimise = command.verb == VERB_MINIMISE;
    request.waitTime = command.waitTime == FROM_SETTINGS ? settings.waitTime : command.waitTime;
    request.userTargets = 1;
    request.selection = selection;
    // The sweep itself, not runSweep: the caller watches the windows and tells of them, where
    // a balloon or a message box would be a window that a command must not show.
    sweep.runSweep(request);
    reply.detail = sweep.refusedCount;

    for (DWORD i = 0; i < reply.lineCount; ++i) {
        int kind = static_cast<int>(lineKinds[i]);
        reply.lines[i].found = sweep.foundCount(kind);
        reply.lines[i].acted = sweep.actedCounts[kind];
        reply.lines[i].spared = sweep.sparedCounts[kind];
        reply.lines[i].unwatched = sweep.unwatchedCounts[kind];
    }
    handBackWindows(lineKinds, reply);
}

// Each window with the line of its kind; every acted kind has its line.
void C_Application::handBackWindows(const DWORD (&lineKinds)[SWEEP_KIND_COUNT],
                                    CommandReply& reply) const {
    for (int i = 0; i < sweep.actedWindowCount && reply.windowCount < COMMAND_MAX_WINDOWS; ++i) {
        const WatchedWindow& acted = sweep.actedWindows[i];
        DWORD line = 0;
        while (line < reply.lineCount && lineKinds[line] != static_cast<DWORD>(acted.group)) ++line;
        if (line == reply.lineCount) continue;
        reply.windows[reply.windowCount++] = {windowToReply(acted.window), line,
                                              static_cast<DWORD>(acted.outcome)};
    }
}

LRESULT C_Application::onCommandMessage(const COPYDATASTRUCT* data) {
    if (sweep.busy()) return COMMAND_BUSY;
    CommandReceipt receipt;
    if (!receipt.receive(data)) return FALSE;
    CommandReply reply;
    carryOutCommand(receipt.command(), reply);
    receipt.answer(reply);
    residentWindow.releaseHeld();
    return TRUE;
}
