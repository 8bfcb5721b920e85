#pragma once

#include <windows.h>

#include "shell/CommandRecord.h"
#include "sweep/WindowOutcome.h"

// What became of the windows that a close or minimise command acted on, by the lines of its
// reply: the caller watches them itself, so that a resident Varnel's loop is never held.
struct CommandOutcome {
    DWORD counts[SWEEP_KIND_COUNT][OUTCOME_COUNT];
};

// Watches the windows of a valid reply until each is accounted for or the command's timeout
// has passed. A window acted on beyond those handed back counts as still open.
void watchCommandOutcome(const CommandRecord& record, const CommandReply& reply,
                         CommandOutcome& outcome);
// Whether every window acted on closed (or minimised), and Windows refused none.
bool everyWindowDone(const CommandReply& reply, const CommandOutcome& outcome);
