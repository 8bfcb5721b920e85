#include "shell/CommandLine.h"

#include <shellapi.h>

#include <cwchar>

#include "resources/resource.h"
#include "sweep/TargetKinds.h"

namespace {

enum Option {
    OPTION_VERB,
    OPTION_HELP,
    OPTION_KEEP_FRONT,
    OPTION_NO_KEEP_FRONT,
    OPTION_WAIT,
    OPTION_TIMEOUT
};

struct Word {
    const wchar_t* text;
    int kind;  // Option, or a kind code
    int verb;  // OPTION_VERB: the CommandVerb
};

const Word OPTIONS[] = {
    {L"close", OPTION_VERB, VERB_CLOSE},
    {L"minimize", OPTION_VERB, VERB_MINIMISE},
    {L"restore", OPTION_VERB, VERB_RESTORE},
    {L"count", OPTION_VERB, VERB_COUNT},
    {L"?", OPTION_HELP, 0},
    {L"keep-front", OPTION_KEEP_FRONT, 0},
    {L"no-keep-front", OPTION_NO_KEEP_FRONT, 0},
    {L"wait", OPTION_WAIT, 0},
    {L"timeout", OPTION_TIMEOUT, 0},
};

// An option that takes a number, the range of the number, and why another is refused.
struct NumberOption {
    LONG CommandRecord::*field;
    LONG minimum;
    LONG maximum;
    UINT outOfRange;
};

const NumberOption WAIT_OPTION = {&CommandRecord::waitTime, WAIT_TIME_MIN, WAIT_TIME_MAX,
                                  IDS_CMD_WAIT_RANGE};
const NumberOption TIMEOUT_OPTION = {&CommandRecord::timeout, COMMAND_TIMEOUT_MIN,
                                     COMMAND_TIMEOUT_MAX, IDS_CMD_TIMEOUT_RANGE};

// The kinds ticked in the main window; each kind's own word is in TARGET_KINDS.
const wchar_t SELECTED_WORD[] = L"selected";
const wchar_t NAME_PREFIX[] = L"name:";

wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

// Options and kind words are ASCII: other letters are never folded.
bool sameWord(const wchar_t* text, const wchar_t* word) {
    for (; *word; ++text, ++word)
        if (asciiLower(*text) != *word) return false;
    return *text == 0;
}

// The NAME after "name:" (in any case), which names a target even where the name is spelled
// like a kind word or an option; null when the argument does not start so.
const wchar_t* afterNamePrefix(const wchar_t* argument) {
    for (int i = 0; NAME_PREFIX[i]; ++i)
        if (asciiLower(argument[i]) != NAME_PREFIX[i]) return nullptr;
    return argument + wcslen(NAME_PREFIX);
}

template <int COUNT>
const Word* lookUp(const Word (&words)[COUNT], const wchar_t* text) {
    for (const Word& word : words)
        if (sameWord(text, word.text)) return &word;
    return nullptr;
}

// minimum to maximum in decimal digits, else -1.
LONG numberValue(const wchar_t* text, const NumberOption& option) {
    if (!*text) return -1;
    LONG value = 0;
    for (; *text; ++text) {
        if (*text < L'0' || *text > L'9') return -1;
        value = value * 10 + (*text - L'0');
        if (value > option.maximum) return -1;
    }
    return value < option.minimum ? -1 : value;
}

class CommandParser {
public:
    CommandParser(CommandRecord& r, CommandProblem& p) : record(r), problem(p) {}

    void take(const wchar_t* argument, bool fits, int position);
    ParseOutcome finish(int argumentCount);
    void fail(UINT message, const wchar_t* argument);
    void failAt(UINT message, int position);

private:
    void takeOption(const wchar_t* argument);
    void takeKind(const wchar_t* argument, int position);
    void takeName(const wchar_t* name, int position);
    void addKind(DWORD code);
    ParseOutcome mismatch(const wchar_t* what);

    CommandRecord& record;
    CommandProblem& problem;
    bool failed = false;
    bool help = false;
    // The option whose number comes next, if any.
    const NumberOption* pending = nullptr;
};

void CommandParser::fail(UINT message, const wchar_t* argument) {
    if (failed) return;
    failed = true;
    problem.message = message;
    lstrcpynW(problem.argument, argument, COMMAND_ARG_SIZE);
}

// Too long to show: its position stands in for it.
void CommandParser::failAt(UINT message, int position) {
    wchar_t number[16];
    _snwprintf(number, 16, L"%d", position);
    number[15] = 0;
    fail(message, number);
}

void CommandParser::take(const wchar_t* argument, bool fits, int position) {
    if (!fits) return failAt(IDS_CMD_TOO_LONG, position);
    if (pending) {
        const NumberOption& option = *pending;
        pending = nullptr;
        record.*option.field = numberValue(argument, option);
        if (record.*option.field < 0) fail(option.outOfRange, argument);
        return;
    }
    if (argument[0] == L'/' || argument[0] == L'-')
        takeOption(argument);
    else
        takeKind(argument, position);
}

void CommandParser::takeOption(const wchar_t* argument) {
    const Word* option = lookUp(OPTIONS, argument + 1);
    if (!option) return fail(IDS_CMD_UNKNOWN_OPTION, argument);
    switch (option->kind) {
    case OPTION_VERB:
        if (record.verb) return fail(IDS_CMD_TWO_COMMANDS, argument);
        record.verb = static_cast<DWORD>(option->verb);
        return;
    case OPTION_HELP:
        help = true;
        return;
    case OPTION_KEEP_FRONT:
    case OPTION_NO_KEEP_FRONT:
        if (record.keepFront != FROM_SETTINGS) return fail(IDS_CMD_OPTION_TWICE, argument);
        record.keepFront = option->kind == OPTION_KEEP_FRONT ? 1 : 0;
        return;
    default:
        pending = option->kind == OPTION_WAIT ? &WAIT_OPTION : &TIMEOUT_OPTION;
        if (record.*pending->field != FROM_SETTINGS) {
            pending = nullptr;
            return fail(IDS_CMD_OPTION_TWICE, argument);
        }
        return;
    }
}

void CommandParser::takeKind(const wchar_t* argument, int position) {
    if (const wchar_t* name = afterNamePrefix(argument)) return takeName(name, position);
    for (const TargetKind& kind : TARGET_KINDS)
        if (sameWord(argument, kind.commandWord))
            return addKind(static_cast<DWORD>(kindIndex(kind)));
    if (sameWord(argument, SELECTED_WORD)) return addKind(KIND_SELECTED);
    takeName(argument, position);
}

void CommandParser::takeName(const wchar_t* name, int position) {
    if (!name[0]) return fail(IDS_CMD_EMPTY_NAME, name);
    if (wcslen(name) >= OTHER_NAME_SIZE) return failAt(IDS_CMD_TOO_LONG, position);
    for (DWORD n = 0; n < record.nameCount; ++n)
        if (sameTargetName(name, record.names[n])) return addKind(KIND_NAMED + n);
    if (record.nameCount >= COMMAND_MAX_NAMES) return fail(IDS_CMD_TOO_MANY_KINDS, name);
    lstrcpynW(record.names[record.nameCount], name, OTHER_NAME_SIZE);
    addKind(KIND_NAMED + record.nameCount++);
}

// A kind given twice is one kind.
void CommandParser::addKind(DWORD code) {
    for (DWORD i = 0; i < record.kindCount; ++i)
        if (record.kinds[i] == code) return;
    if (record.kindCount >= COMMAND_MAX_KINDS) return fail(IDS_CMD_TOO_MANY_KINDS, L"");
    record.kinds[record.kindCount++] = code;
}

ParseOutcome CommandParser::mismatch(const wchar_t* what) {
    fail(IDS_CMD_NOT_FOR_VERB, what);
    return PARSE_USAGE_ERROR;
}

ParseOutcome CommandParser::finish(int argumentCount) {
    if (help) return PARSE_HELP;
    if (pending) fail(pending->outOfRange, L"");
    if (failed) return PARSE_USAGE_ERROR;
    if (!argumentCount) return PARSE_NO_ARGUMENTS;
    if (!record.verb) {
        fail(IDS_CMD_NO_COMMAND, L"");
        return PARSE_USAGE_ERROR;
    }
    if (record.verb == VERB_RESTORE && record.kindCount) return mismatch(L"KIND");
    if (record.verb == VERB_RESTORE || record.verb == VERB_COUNT) {
        if (record.keepFront != FROM_SETTINGS)
            return mismatch(record.keepFront ? L"/keep-front" : L"/no-keep-front");
        if (record.waitTime != FROM_SETTINGS) return mismatch(L"/wait");
        if (record.timeout != FROM_SETTINGS) return mismatch(L"/timeout");
    }
    if (record.verb != VERB_RESTORE && !record.kindCount) {
        fail(IDS_CMD_NO_KIND, L"");
        return PARSE_USAGE_ERROR;
    }
    return PARSE_COMMAND;
}

}  // namespace

const wchar_t* kindWord(DWORD kind) {
    return kind < SWEEP_KIND_COUNT ? TARGET_KINDS[kind].commandWord : L"";
}

bool sameTargetName(const wchar_t* name, const wchar_t* targetName) {
    return CompareStringOrdinal(name, -1, targetName, -1, TRUE) == CSTR_EQUAL;
}

// Index 0 is the program name.
ArgumentReader::ArgumentReader(const wchar_t* commandLine)
    : arguments(CommandLineToArgvW(commandLine, &count)), index(1) {
    if (!arguments) count = 0;
}

ArgumentReader::~ArgumentReader() {
    if (arguments) LocalFree(arguments);
}

bool ArgumentReader::next(wchar_t (&argument)[COMMAND_ARG_SIZE], bool* fits) {
    if (index >= count) return false;
    const wchar_t* given = arguments[index++];
    *fits = wcsnlen(given, COMMAND_ARG_SIZE) < COMMAND_ARG_SIZE;
    lstrcpynW(argument, *fits ? given : L"", COMMAND_ARG_SIZE);
    return true;
}

ParseOutcome parseCommandLine(const wchar_t* commandLine, CommandRecord& record,
                              CommandProblem& problem) {
    initCommandRecord(record);
    problem.message = 0;
    problem.argument[0] = 0;
    CommandParser parser(record, problem);
    if (wcsnlen(commandLine, COMMAND_LINE_MAX + 1) > COMMAND_LINE_MAX) {
        parser.fail(IDS_CMD_LINE_TOO_LONG, L"");
        return PARSE_USAGE_ERROR;
    }
    ArgumentReader reader(commandLine);
    wchar_t argument[COMMAND_ARG_SIZE] = {};
    bool fits = true;
    int count = 0;
    while (reader.next(argument, &fits)) parser.take(argument, fits, ++count);
    return parser.finish(count);
}
