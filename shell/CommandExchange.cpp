#include "shell/CommandExchange.h"

#include <cstring>
#include <cwchar>

namespace {

const char REPLY_WINDOW_CLASS[] = "VarnelReply";
// The sender is waiting for the reply; one that does not take it at once has gone.
const DWORD REPLY_PATIENCE = 2000;

// What the sender's reply window is waiting for.
struct ReplyBox {
    const CommandRecord* record;
    HWND resident;
    CommandReply* reply;
    bool received;
};

bool isAnActingVerb(DWORD verb) { return verb == VERB_CLOSE || verb == VERB_MINIMISE; }

bool kindCodeValid(DWORD code, DWORD nameCount) {
    return code < SWEEP_KIND_COUNT || code == KIND_SELECTED ||
           (code >= KIND_NAMED && code < KIND_NAMED + nameCount);
}

bool optionValid(LONG value, LONG maximum, DWORD verb) {
    if (!isAnActingVerb(verb)) return value == FROM_SETTINGS;
    return value >= FROM_SETTINGS && value <= maximum;
}

// The block of a WM_COPYDATA, copied out when it has exactly the expected id and size.
template <class Record>
bool copyOut(const COPYDATASTRUCT* data, ULONG_PTR id, Record& record) {
    if (!data || data->dwData != id || data->cbData != sizeof record || !data->lpData) return false;
    memcpy(&record, data->lpData, sizeof record);
    return true;
}

HWND windowOf(DWORD value) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(value))); }

LRESULT CALLBACK replyWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return DefWindowProcA(window, msg, wParam, lParam);
    auto* box = reinterpret_cast<ReplyBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    CommandReply reply;
    if (!box || reinterpret_cast<HWND>(wParam) != box->resident ||
        !copyOut(reinterpret_cast<const COPYDATASTRUCT*>(lParam), REPLY_DATA_ID, reply) ||
        !commandReplyValid(reply, *box->record))
        return FALSE;
    *box->reply = reply;
    box->received = true;
    return TRUE;
}

HWND createReplyWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = replyWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = REPLY_WINDOW_CLASS;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, REPLY_WINDOW_CLASS, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           instance, nullptr);
}

bool isReplyWindow(HWND window) {
    char name[sizeof REPLY_WINDOW_CLASS + 1] = {};
    return IsWindow(window) && GetClassNameA(window, name, sizeof name) &&
           lstrcmpA(name, REPLY_WINDOW_CLASS) == 0;
}

}  // namespace

void initCommandRecord(CommandRecord& record) {
    memset(&record, 0, sizeof record);
    record.size = sizeof record;
    record.version = COMMAND_RECORD_VERSION;
    record.keepFront = FROM_SETTINGS;
    record.waitTime = FROM_SETTINGS;
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
        !optionValid(record.waitTime, WAIT_TIME_MAX, record.verb))
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
        return reply.detail < record.nameCount && reply.lineCount == 0;
    if (reply.status != STATUS_DONE || reply.lineCount > SWEEP_KIND_COUNT) return false;
    for (DWORD i = 0; i < reply.lineCount; ++i) {
        DWORD kind = reply.lines[i].kind;
        if (kind == KIND_SELECTED || !kindCodeValid(kind, record.nameCount)) return false;
    }
    return true;
}

HandOutcome handCommand(HINSTANCE instance, HWND resident, CommandRecord& record,
                        CommandReply& reply) {
    HWND replyWindow = createReplyWindow(instance);
    if (!replyWindow) return HAND_NO_ANSWER;
    record.replyWindow = HandleToULong(replyWindow);
    record.requestId = GetCurrentProcessId() ^ (GetTickCount() << 16);
    ReplyBox box = {&record, resident, &reply, false};
    SetWindowLongPtrA(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
    COPYDATASTRUCT data = {COMMAND_DATA_ID, sizeof record, &record};
    DWORD_PTR accepted = 0;
    // Waiting here, this thread still takes the reply that the resident sends meanwhile.
    LRESULT delivered = SendMessageTimeoutA(
        resident, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, COMMAND_PATIENCE, &accepted);
    DestroyWindow(replyWindow);
    if (!delivered) return HAND_NO_ANSWER;
    if (!accepted) return HAND_REFUSED;
    return box.received ? HAND_ANSWERED : HAND_NO_ANSWER;
}

bool receiveCommand(const COPYDATASTRUCT* data, CommandRecord& record) {
    return copyOut(data, COMMAND_DATA_ID, record) && commandRecordValid(record) &&
           isReplyWindow(windowOf(record.replyWindow));
}

bool sendReply(HWND resident, const CommandRecord& record, const CommandReply& reply) {
    HWND target = windowOf(record.replyWindow);
    COPYDATASTRUCT data = {REPLY_DATA_ID, sizeof reply, const_cast<CommandReply*>(&reply)};
    DWORD_PTR taken = 0;
    return SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(resident),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, REPLY_PATIENCE,
                               &taken) &&
           taken;
}
