#pragma once

#include <windows.h>

#include "settings/Settings.h"
#include "sweep/SweepState.h"

// A command from the command line, and the answer to it. Both cross from one Varnel process to
// another, possibly between a 32-bit and a 64-bit one: fixed layout, 32-bit fields only, no
// pointers.

const DWORD COMMAND_RECORD_VERSION = 2;
// dwData of the WM_COPYDATA that carries a CommandRecord.
const ULONG_PTR COMMAND_DATA_ID = 0x56524331;  // "VRC1"

enum CommandVerb { VERB_CLOSE = 1, VERB_MINIMISE = 2, VERB_RESTORE = 3, VERB_COUNT = 4 };

// A kind code of CommandRecord::kinds: a SWEEP_KIND_ value, KIND_SELECTED (the kinds ticked in
// the main window), or KIND_NAMED + n for the user-defined target named names[n].
enum { KIND_SELECTED = 8, KIND_NAMED = 16 };
enum { COMMAND_MAX_KINDS = 16, COMMAND_MAX_NAMES = OTHER_TARGET_COUNT };
// keepFront and waitTime: as the settings say; timeout: the default.
const LONG FROM_SETTINGS = -1;
// How long, in seconds, the caller watches the windows acted on: by default, and at most.
enum { COMMAND_TIMEOUT_DEFAULT = 10, COMMAND_TIMEOUT_MIN = 1, COMMAND_TIMEOUT_MAX = 600 };
// The windows one reply hands back to be watched.
enum { COMMAND_MAX_WINDOWS = ACTED_RECORD_SIZE };

struct CommandRecord {
    DWORD size;  // sizeof(CommandRecord)
    DWORD version;
    DWORD verb;
    DWORD requestId;      // echoed by the reply
    DWORD senderProcess;  // with requestId, names the sender's section for the reply
    LONG keepFront;       // FROM_SETTINGS, 0 or 1
    LONG waitTime;        // FROM_SETTINGS or 0..200 ms
    LONG timeout;         // FROM_SETTINGS or 1..600 s; the caller's own, never the resident's
    DWORD kindCount;
    DWORD kinds[COMMAND_MAX_KINDS];
    DWORD nameCount;
    wchar_t names[COMMAND_MAX_NAMES][OTHER_NAME_SIZE];  // each ends in a zero within its width
};

enum CommandStatus { STATUS_DONE = 1, STATUS_UNKNOWN_NAME = 2 };

// One kind's result: kind is a SWEEP_KIND_ value, or KIND_NAMED + n when the command named the
// target names[n] (the line is then labelled with that name).
struct CommandReplyLine {
    DWORD kind;
    DWORD found;
    DWORD acted;
    DWORD spared;
    DWORD unwatched;  // acted on, but beyond the windows handed back
};

// A window the command acted on, for the caller to watch: its handle (32 bits hold every
// window handle, in either architecture), the line it counts in, and OUTCOME_PENDING, _DONE or
// _WAITING as the resident saw it.
struct CommandReplyWindow {
    DWORD window;
    DWORD line;
    DWORD outcome;
};

struct CommandReply {
    DWORD size;  // sizeof(CommandReply)
    DWORD version;
    DWORD requestId;
    DWORD status;
    DWORD detail;  // STATUS_UNKNOWN_NAME: n of names[n]; a restore: how many came back; a
                   // close or minimise: how many windows Windows refused
    DWORD lineCount;
    CommandReplyLine lines[SWEEP_KIND_COUNT];
    DWORD windowCount;
    CommandReplyWindow windows[COMMAND_MAX_WINDOWS];
};

static_assert(sizeof(CommandRecord) ==
                  36 + 4 * COMMAND_MAX_KINDS + 4 + 2 * COMMAND_MAX_NAMES * OTHER_NAME_SIZE,
              "CommandRecord has no padding");
static_assert(sizeof(CommandReply) == 28 + 20 * SWEEP_KIND_COUNT + 12 * COMMAND_MAX_WINDOWS,
              "CommandReply has no padding");

// An empty record of this version; an empty reply to record.
void initCommandRecord(CommandRecord& record);
void initCommandReply(CommandReply& reply, const CommandRecord& record);
// Whether every field of a record, or of a reply to record, is one that this version writes.
bool commandRecordValid(const CommandRecord& record);
bool commandReplyValid(const CommandReply& reply, const CommandRecord& record);
// A window handle as a reply carries it, and back: sign-extended, as Windows shares handles
// between 32-bit and 64-bit programs.
DWORD windowToReply(HWND window);
HWND windowFromReply(DWORD window);
