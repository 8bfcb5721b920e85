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
// keepFront and waitTime: as the settings say.
const LONG FROM_SETTINGS = -1;

struct CommandRecord {
    DWORD size;  // sizeof(CommandRecord)
    DWORD version;
    DWORD verb;
    DWORD requestId;      // echoed by the reply
    DWORD senderProcess;  // with requestId, names the sender's section for the reply
    LONG keepFront;       // FROM_SETTINGS, 0 or 1
    LONG waitTime;        // FROM_SETTINGS or 0..200 ms
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
};

static_assert(sizeof(CommandRecord) ==
                  32 + 4 * COMMAND_MAX_KINDS + 4 + 2 * COMMAND_MAX_NAMES * OTHER_NAME_SIZE,
              "CommandRecord has no padding");
static_assert(sizeof(CommandReply) == 24 + 16 * SWEEP_KIND_COUNT, "CommandReply has no padding");

// An empty record of this version; an empty reply to record.
void initCommandRecord(CommandRecord& record);
void initCommandReply(CommandReply& reply, const CommandRecord& record);
// Whether every field of a record, or of a reply to record, is one that this version writes.
bool commandRecordValid(const CommandRecord& record);
bool commandReplyValid(const CommandReply& reply, const CommandRecord& record);
