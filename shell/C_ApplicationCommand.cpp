#include "resources/resource.h"
#include "shell/C_Application.h"
#include "shell/CommandExchange.h"
#include "shell/CommandLine.h"
#include "shell/CommandOutput.h"
#include "sweep/TargetKinds.h"

namespace {

enum { EXIT_DONE = 0, EXIT_NOT_DONE = 1, EXIT_USAGE = 2 };

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
    if (HWND resident = findInstanceForCommand()) {
        HandOutcome outcome = handCommand(resident, command, reply);
        if (outcome != HAND_ANSWERED) {
            output.writeFailure(outcome == HAND_REFUSED ? IDS_CMD_REFUSED : IDS_CMD_NO_ANSWER);
            return EXIT_NOT_DONE;
        }
    } else {
        loadSettings();
        // The main window's last layout, which decides whether "selected" takes its targets.
        sweep.dialogExpanded = settings.fullSize;
        carryOutCommand(command, reply);
    }
    if (reply.status == STATUS_UNKNOWN_NAME) {
        problem.message = IDS_CMD_UNKNOWN_NAME;
        lstrcpynW(problem.argument, command.names[reply.detail], COMMAND_ARG_SIZE);
        output.writeUsageError(problem);
        return EXIT_USAGE;
    }
    output.writeResult(command, reply);
    // Windows kept some windows from the command: not everything asked for was done.
    return command.verb != VERB_RESTORE && reply.detail ? EXIT_NOT_DONE : EXIT_DONE;
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
        reply.detail = static_cast<DWORD>(sweep.restore.restoreMinimised());
        return;
    }
    reloadTargets();
    DWORD lineKinds[SWEEP_KIND_COUNT] = {};
    if (!resolveKinds(command, reply, lineKinds)) return;
    TargetSelection selection = settings.selection;
    for (const TargetKind& kind : TARGET_KINDS) selectedIn(selection, kind) = 0;
    for (DWORD i = 0; i < reply.lineCount; ++i)
        selectedIn(selection, TARGET_KINDS[lineKinds[i]]) = 1;

    int keepFront = command.keepFront == FROM_SETTINGS ? settings.keepTopmost : command.keepFront;
    // The sweep reads both from the live state: set for this command only.
    int waitTime = settings.waitTime, expanded = sweep.dialogExpanded;
    if (command.waitTime != FROM_SETTINGS) settings.waitTime = command.waitTime;
    sweep.dialogExpanded = 1;
    // The sweep itself, not runSweep: the command's own output tells of refused windows, where
    // a balloon or a message box would be a window that a command must not show.
    sweep.runSweep(command.verb == VERB_COUNT ? SWEEP_COUNT_ONLY : SWEEP_ACTS, keepFront,
                   command.verb == VERB_MINIMISE ? SWEEP_MINIMISE : SWEEP_CLOSE, selection);
    reply.detail = sweep.refusedCount;
    settings.waitTime = waitTime;
    sweep.dialogExpanded = expanded;

    for (DWORD i = 0; i < reply.lineCount; ++i) {
        int kind = static_cast<int>(lineKinds[i]);
        reply.lines[i].found = sweep.foundCount(kind);
        reply.lines[i].acted = sweep.actedCounts[kind];
        reply.lines[i].spared = sweep.sparedCounts[kind];
    }
}

LRESULT C_Application::onCommandMessage(const COPYDATASTRUCT* data) {
    CommandReceipt receipt;
    if (!receipt.receive(data)) return FALSE;
    CommandReply reply;
    carryOutCommand(receipt.command(), reply);
    receipt.answer(reply);
    return TRUE;
}
