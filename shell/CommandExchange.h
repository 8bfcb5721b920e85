#pragma once

#include <windows.h>

#include "shell/CommandRecord.h"

// Handing a command to the resident Varnel and its answer back. The command goes to the
// resident window in a WM_COPYDATA; before returning from it, the resident writes the reply into
// a section that the sender made, named "Local\VarnelReply.<sender's
// process id>.<request id>" (hexadecimal), which needs no window on the sender's side. Each side
// checks every field of what it receives and ignores anything else.

// How long the sender waits for the resident to take a command, carry it out and answer. A
// resident busy with a sweep takes it when the sweep ends.
const DWORD COMMAND_PATIENCE = 10000;
// The resident's answer to a command that comes in the middle of a sweep of its own: it carries
// out none there, and the sender sends it again, within its patience.
const LRESULT COMMAND_BUSY = 2;

// The reply's section. The resident marks it taken before it carries the command out, and a
// sender that stops waiting marks it withdrawn; the first mark holds, so a sender that gave up
// knows whether the command was begun, and a withdrawn command is never carried out.
enum ReplyState { REPLY_WAITING = 0, REPLY_TAKEN = 1, REPLY_WITHDRAWN = 2 };
struct CommandReplySection {
    LONG state;
    CommandReply reply;
};
static_assert(sizeof(CommandReplySection) == 4 + sizeof(CommandReply), "no padding");

enum HandOutcome {
    HAND_ANSWERED,
    HAND_REFUSED,      // the resident refused the record
    HAND_NOT_TAKEN,    // not taken within the patience: nothing was done
    HAND_UNFINISHED,   // taken, but not answered within the patience: it may still be done
    HAND_UNREADABLE,   // accepted, with no valid reply
    HAND_UNREACHABLE,  // Windows keeps this process's messages from the resident (elevation)
};

// Sends record to the resident window and waits for the reply; sets record's request id and
// sender.
HandOutcome handCommand(HWND resident, CommandRecord& record, CommandReply& reply);

// The resident's side: the command a WM_COPYDATA carries, when it is a valid one, and the
// sender's section for the reply, open to be written.
class CommandReceipt {
public:
    CommandReceipt() : view(nullptr) {}
    ~CommandReceipt();
    CommandReceipt(const CommandReceipt&) = delete;
    CommandReceipt& operator=(const CommandReceipt&) = delete;

    // False, holding nothing, unless data carries a valid record whose sender's section exists
    // and still waits; the section is then marked taken.
    bool receive(const COPYDATASTRUCT* data);
    void answer(const CommandReply& reply);
    const CommandRecord& command() const { return record; }

private:
    CommandRecord record;
    CommandReplySection* view;
};
