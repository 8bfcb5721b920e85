#pragma once

#include <windows.h>

#include "shell/CommandRecord.h"

// Handing a command to the resident Varnel and its answer back. The command goes to the
// resident window in a WM_COPYDATA; before returning from it, the resident sends the reply in a
// WM_COPYDATA of its own to a message-only window of the sender's, named in the command. Each
// side checks every field of what it receives and ignores anything else.

// How long the sender waits for the resident to carry out a command and answer.
const DWORD COMMAND_PATIENCE = 10000;

enum HandOutcome { HAND_ANSWERED, HAND_NO_ANSWER, HAND_REFUSED };

// Sends record to the resident window and waits for the reply; sets record's request id and
// reply window.
HandOutcome handCommand(HINSTANCE instance, HWND resident, CommandRecord& record,
                        CommandReply& reply);

// The resident's side: the command a WM_COPYDATA carries, when it is a valid one whose reply
// window is a Varnel's reply window.
bool receiveCommand(const COPYDATASTRUCT* data, CommandRecord& record);
// Sends reply to the record's reply window; false when it does not take it.
bool sendReply(HWND resident, const CommandRecord& record, const CommandReply& reply);
