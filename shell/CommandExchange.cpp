#include "shell/CommandExchange.h"

#include <cstring>
#include <cwchar>

#include "framework/FormatText.h"
#include "shell/ReplySectionSecurity.h"

namespace {

const int SECTION_NAME_SIZE = 64;

bool isAnActingVerb(DWORD verb) { return verb == VERB_CLOSE || verb == VERB_MINIMISE; }

bool kindCodeValid(DWORD code, DWORD nameCount) {
    return code < SWEEP_KIND_COUNT || code == KIND_SELECTED ||
           (code >= KIND_NAMED && code < KIND_NAMED + nameCount);
}

bool optionValid(LONG value, LONG maximum, DWORD verb) {
    if (!isAnActingVerb(verb)) return value == FROM_SETTINGS;
    return value >= FROM_SETTINGS && value <= maximum;
}

// Between two tries at a busy resident.
const DWORD BUSY_RETRY_STEP = 50;

void replySectionName(const CommandRecord& record, char (&name)[SECTION_NAME_SIZE]) {
    formatText(name, sizeof name, "Local\\VarnelReply.%08lx.%08lx",
               static_cast<unsigned long>(record.senderProcess),
               static_cast<unsigned long>(record.requestId));
}

// False when the resident did not take the command within the patience; accepted is its answer.
// Not SMTO_ABORTIFHUNG: a resident in a long sweep reads no messages and would count as hung.
bool sendUntilTaken(HWND resident, COPYDATASTRUCT& data, DWORD_PTR& accepted) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent >= COMMAND_PATIENCE) {
            SetLastError(ERROR_TIMEOUT);
            return false;
        }
        if (!SendMessageTimeoutA(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_NORMAL | SMTO_ERRORONEXIT, COMMAND_PATIENCE - spent,
                                 &accepted))
            return false;
        if (accepted != static_cast<DWORD_PTR>(COMMAND_BUSY)) return true;
        Sleep(BUSY_RETRY_STEP);
    }
}

// After SendMessageTimeout failed: unreachable, or withdrawn unless the resident took it first.
HandOutcome unanswered(DWORD error, CommandReplySection* view) {
    if (error == ERROR_ACCESS_DENIED) return HAND_UNREACHABLE;
    LONG before = InterlockedCompareExchange(&view->state, REPLY_WITHDRAWN, REPLY_WAITING);
    return before == REPLY_WAITING ? HAND_NOT_TAKEN : HAND_UNFINISHED;
}

}  // namespace

void initCommandRecord(CommandRecord& record) {
    memset(&record, 0, sizeof record);
    record.size = sizeof record;
    record.version = COMMAND_RECORD_VERSION;
    record.keepFront = FROM_SETTINGS;
    record.waitTime = FROM_SETTINGS;
    record.timeout = FROM_SETTINGS;
}

void initCommandReply(CommandReply& reply, const CommandRecord& record) {
    memset(&reply, 0, sizeof reply);
    reply.size = sizeof reply;
    reply.version = COMMAND_RECORD_VERSION;
    reply.requestId = record.requestId;
    reply.status = STATUS_DONE;
}

bool commandRecordValid(const CommandRecord& record) {
    if (record.size != sizeof record || record.version != COMMAND_RECORD_VERSION) return false;
    if (record.verb < VERB_CLOSE || record.verb > VERB_COUNT) return false;
    if (!optionValid(record.keepFront, 1, record.verb) ||
        !optionValid(record.waitTime, WAIT_TIME_MAX, record.verb) ||
        !optionValid(record.timeout, COMMAND_TIMEOUT_MAX, record.verb) || record.timeout == 0)
        return false;
    if (record.kindCount > COMMAND_MAX_KINDS || record.nameCount > COMMAND_MAX_NAMES) return false;
    if ((record.verb == VERB_RESTORE) != (record.kindCount == 0)) return false;
    for (DWORD i = 0; i < record.kindCount; ++i)
        if (!kindCodeValid(record.kinds[i], record.nameCount)) return false;
    for (DWORD n = 0; n < record.nameCount; ++n)
        if (!record.names[n][0] || !wmemchr(record.names[n], 0, OTHER_NAME_SIZE)) return false;
    return true;
}

bool commandReplyValid(const CommandReply& reply, const CommandRecord& record) {
    if (reply.size != sizeof reply || reply.version != COMMAND_RECORD_VERSION ||
        reply.requestId != record.requestId)
        return false;
    if (reply.status == STATUS_UNKNOWN_NAME)
        return reply.detail < record.nameCount && reply.lineCount == 0 && reply.windowCount == 0;
    if (reply.status != STATUS_DONE || reply.lineCount > SWEEP_KIND_COUNT) return false;
    for (DWORD i = 0; i < reply.lineCount; ++i) {
        DWORD kind = reply.lines[i].kind;
        if (kind == KIND_SELECTED || !kindCodeValid(kind, record.nameCount)) return false;
    }
    if (reply.windowCount > COMMAND_MAX_WINDOWS) return false;
    for (DWORD i = 0; i < reply.windowCount; ++i) {
        const CommandReplyWindow& window = reply.windows[i];
        if (window.line >= reply.lineCount || !window.window ||
            (window.outcome != OUTCOME_PENDING && window.outcome != OUTCOME_DONE &&
             window.outcome != OUTCOME_WAITING))
            return false;
    }
    return true;
}

DWORD windowToReply(HWND window) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window)); }

HWND windowFromReply(DWORD window) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(window)));
}

HandOutcome handCommand(HWND resident, CommandRecord& record, CommandReply& reply) {
    record.senderProcess = GetCurrentProcessId();
    record.requestId = GetTickCount() ^ static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(&record));
    char name[SECTION_NAME_SIZE];
    replySectionName(record, name);
    ReplySectionSecurity security(resident);
    HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, security.attributes(), PAGE_READWRITE,
                                        0, sizeof(CommandReplySection), name);
    // A section of that name made before ours is another program's, which could write the answer.
    if (section && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(section);
        return HAND_NOT_TAKEN;
    }
    if (!section) return HAND_NOT_TAKEN;
    auto* view = static_cast<CommandReplySection*>(
        MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(CommandReplySection)));
    HandOutcome outcome = HAND_NOT_TAKEN;
    COPYDATASTRUCT data = {COMMAND_DATA_ID, sizeof record, &record};
    DWORD_PTR accepted = 0;
    if (view && sendUntilTaken(resident, data, accepted)) {
        memcpy(&reply, &view->reply, sizeof reply);
        outcome = !accepted                          ? HAND_REFUSED
                  : commandReplyValid(reply, record) ? HAND_ANSWERED
                                                     : HAND_UNREADABLE;
    } else if (view) {
        outcome = unanswered(GetLastError(), view);
    }
    if (view) UnmapViewOfFile(view);
    CloseHandle(section);
    return outcome;
}

CommandReceipt::~CommandReceipt() {
    if (view) UnmapViewOfFile(view);
}

// The block is copied out first: the sender could change it while it is being checked.
bool CommandReceipt::receive(const COPYDATASTRUCT* data) {
    if (!data || data->dwData != COMMAND_DATA_ID || data->cbData != sizeof record || !data->lpData)
        return false;
    memcpy(&record, data->lpData, sizeof record);
    if (!commandRecordValid(record)) return false;
    char name[SECTION_NAME_SIZE];
    replySectionName(record, name);
    HANDLE section = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!section) return false;
    // A section smaller than the reply's gives no view of that size.
    view = static_cast<CommandReplySection*>(
        MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(CommandReplySection)));
    CloseHandle(section);
    if (view &&
        InterlockedCompareExchange(&view->state, REPLY_TAKEN, REPLY_WAITING) != REPLY_WAITING) {
        UnmapViewOfFile(view);
        view = nullptr;
    }
    return view != nullptr;
}

void CommandReceipt::answer(const CommandReply& reply) {
    if (view) memcpy(&view->reply, &reply, sizeof reply);
}
