#include "shell/CommandOutcome.h"

#include <cstring>

#include "sweep/OutcomeWatch.h"

void watchCommandOutcome(const CommandRecord& record, const CommandReply& reply,
                         CommandOutcome& outcome) {
    memset(&outcome, 0, sizeof outcome);
    OutcomeWatch watch;
    watch.begin(record.verb == VERB_MINIMISE);
    for (DWORD i = 0; i < reply.windowCount; ++i) {
        const CommandReplyWindow& window = reply.windows[i];
        watch.add({windowFromReply(window.window), static_cast<int>(window.line),
                   static_cast<int>(window.outcome)});
    }
    LONG seconds = record.timeout == FROM_SETTINGS ? static_cast<LONG>(COMMAND_TIMEOUT_DEFAULT)
                                                   : record.timeout;
    watch.watch(static_cast<DWORD>(seconds) * 1000);
    watch.conclude(true);
    for (DWORD line = 0; line < reply.lineCount; ++line) {
        for (int state = 0; state < OUTCOME_COUNT; ++state)
            outcome.counts[line][state] = watch.count(static_cast<int>(line), state);
        outcome.counts[line][OUTCOME_STILL_OPEN] += reply.lines[line].unwatched;
    }
}

bool everyWindowDone(const CommandReply& reply, const CommandOutcome& outcome) {
    if (reply.detail) return false;
    for (DWORD line = 0; line < reply.lineCount; ++line)
        for (int state = 0; state < OUTCOME_COUNT; ++state)
            if (state != OUTCOME_DONE && outcome.counts[line][state]) return false;
    return true;
}
