#pragma once

#include <windows.h>

#include "shell/CommandRecord.h"

// Handing a command to the resident Varnel and its answer back. The command goes to the
// resident window in a WM_COPYDATA; before returning from it, the resident writes the reply into
// a section of the reply's size that the sender made, named "Local\VarnelReply.<sender's
// process id>.<request id>" (hexadecimal), which needs no window on the sender's side. Each side
// checks every field of what it receives and ignores anything else.

// How long the sender waits for the resident to carry out a command and answer.
const DWORD COMMAND_PATIENCE = 10000;
// The resident's answer to a command that comes in the middle of a sweep of its own: it carries
// out none there, and the sender sends it again, within its patience.
const LRESULT COMMAND_BUSY = 2;

enum HandOutcome { HAND_ANSWERED, HAND_NO_ANSWER, HAND_REFUSED };

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

    // False, holding nothing, unless data carries a valid record whose sender's section exists.
    bool receive(const COPYDATASTRUCT* data);
    void answer(const CommandReply& reply);
    const CommandRecord& command() const { return record; }

private:
    CommandRecord record;
    void* view;
};
