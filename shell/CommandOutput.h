#pragma once

#include <windows.h>

#include "shell/CommandLine.h"
#include "shell/CommandOutcome.h"
#include "shell/CommandRecord.h"

// What a command says, in the language of the program's face, from the string resources. Text
// goes to the standard handle that the caller gave (a pipe or a file, in the ANSI code page),
// else to the console of the process that started Varnel (in UTF-16), else nowhere.
class CommandOutput {
public:
    explicit CommandOutput(HINSTANCE instance);
    ~CommandOutput();
    CommandOutput(const CommandOutput&) = delete;
    CommandOutput& operator=(const CommandOutput&) = delete;

    // One line per kind of the reply, or the restore's line (standard output); a close or
    // minimise tells what became of its windows (outcome).
    void writeResult(const CommandRecord& record, const CommandReply& reply,
                     const CommandOutcome* outcome);
    // The usage text (standard output), as /? asks for it.
    void writeUsage();
    // Why the command line was refused, then the usage text (standard error).
    void writeUsageError(const CommandProblem& problem);
    // Why a valid command was not carried out (standard error).
    void writeFailure(UINT message);

private:
    HANDLE parentConsole();
    void write(DWORD standardHandle, const wchar_t* text);
    // The string resource id formatted with the arguments that follow, appended to line.
    void append(wchar_t* line, int size, UINT id, ...);
    void appendOutcomes(wchar_t* line, const DWORD* counts);

    HINSTANCE instance;
    HANDLE console;
    bool consoleTried;
};
