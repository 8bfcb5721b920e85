#pragma once

#include <windows.h>

#include "shell/CommandRecord.h"

// The command line, read as UTF-16 (GetCommandLineW): the ANSI one would have turned a name in
// another script into "?".

// The longest command line Windows passes, and the longest single argument, in code units
// without the terminating zero. Anything longer is refused, never cut.
enum { COMMAND_LINE_MAX = 32767, COMMAND_ARG_SIZE = 260 };

// The arguments after the program name, as shell32's CommandLineToArgvW splits them: Varnel
// reads its command line exactly as the shell and every other program would quote it, on every
// version of Windows, and it links shell32 for its tray icon anyway.
class ArgumentReader {
public:
    explicit ArgumentReader(const wchar_t* commandLine);
    ~ArgumentReader();
    ArgumentReader(const ArgumentReader&) = delete;
    ArgumentReader& operator=(const ArgumentReader&) = delete;
    // False at the end. An argument of COMMAND_ARG_SIZE units or more leaves *fits false and
    // the buffer empty.
    bool next(wchar_t (&argument)[COMMAND_ARG_SIZE], bool* fits);

private:
    wchar_t** arguments;
    int count;
    int index;
};

enum ParseOutcome { PARSE_NO_ARGUMENTS, PARSE_COMMAND, PARSE_HELP, PARSE_USAGE_ERROR };

// Why a command line is refused: the text (a string resource id, IDS_CMD_...) and the word it
// concerns, shown in its place (%ls); for an argument too long to show, its position.
struct CommandProblem {
    UINT message;
    wchar_t argument[COMMAND_ARG_SIZE];
};

// The word that names a SWEEP_KIND_ value on the command line.
const wchar_t* kindWord(DWORD kind);
// Whether a NAME on the command line names the target of this name: case-insensitive, exact.
bool sameTargetName(const wchar_t* name, const wchar_t* targetName);

// Reads a command line into record. /? anywhere asks for the usage. A usage error fills
// problem; record is then not to be used.
ParseOutcome parseCommandLine(const wchar_t* commandLine, CommandRecord& record,
                              CommandProblem& problem);
