#include "shell/CommandLine.h"

#include <cwchar>

#include "resources/resource.h"
#include "sweep/TargetKinds.h"

namespace {

enum Option { OPTION_VERB, OPTION_HELP, OPTION_KEEP_FRONT, OPTION_NO_KEEP_FRONT, OPTION_WAIT };

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
};

// The kinds ticked in the main window; each kind's own word is in TARGET_KINDS.
const wchar_t SELECTED_WORD[] = L"selected";

bool blank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

// Options and kind words are ASCII: other letters are never folded.
bool sameWord(const wchar_t* text, const wchar_t* word) {
    for (; *word; ++text, ++word)
        if (asciiLower(*text) != *word) return false;
    return *text == 0;
}

template <int COUNT>
const Word* lookUp(const Word (&words)[COUNT], const wchar_t* text) {
    for (const Word& word : words)
        if (sameWord(text, word.text)) return &word;
    return nullptr;
}

// 0 to 200 in decimal digits, else -1.
LONG waitValue(const wchar_t* text) {
    if (!*text) return -1;
    LONG value = 0;
    for (; *text; ++text) {
        if (*text < L'0' || *text > L'9') return -1;
        value = value * 10 + (*text - L'0');
        if (value > WAIT_TIME_MAX) return -1;
    }
    return value;
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
    void addKind(DWORD code);
    ParseOutcome mismatch(const wchar_t* what);

    CommandRecord& record;
    CommandProblem& problem;
    bool failed = false;
    bool help = false;
    bool waitPending = false;
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
    if (waitPending) {
        waitPending = false;
        record.waitTime = waitValue(argument);
        if (record.waitTime < 0) fail(IDS_CMD_WAIT_RANGE, argument);
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
        if (record.waitTime != FROM_SETTINGS) return fail(IDS_CMD_OPTION_TWICE, argument);
        waitPending = true;
        return;
    }
}

void CommandParser::takeKind(const wchar_t* argument, int position) {
    if (!argument[0]) return fail(IDS_CMD_EMPTY_NAME, argument);
    for (const TargetKind& kind : TARGET_KINDS)
        if (sameWord(argument, kind.commandWord))
            return addKind(static_cast<DWORD>(kindIndex(kind)));
    if (sameWord(argument, SELECTED_WORD)) return addKind(KIND_SELECTED);
    if (wcslen(argument) >= OTHER_NAME_SIZE) return failAt(IDS_CMD_TOO_LONG, position);
    for (DWORD n = 0; n < record.nameCount; ++n)
        if (sameTargetName(argument, record.names[n])) return addKind(KIND_NAMED + n);
    if (record.nameCount >= COMMAND_MAX_NAMES) return fail(IDS_CMD_TOO_MANY_KINDS, argument);
    lstrcpynW(record.names[record.nameCount], argument, OTHER_NAME_SIZE);
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
    if (waitPending) fail(IDS_CMD_WAIT_RANGE, L"");
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

ArgumentReader::ArgumentReader(const wchar_t* commandLine) : cursor(commandLine) {
    // The program name: quoted up to the next quote, else up to a blank; no escapes.
    if (*cursor == L'"') {
        ++cursor;
        while (*cursor && *cursor != L'"') ++cursor;
        if (*cursor) ++cursor;
    } else {
        while (*cursor && !blank(*cursor)) ++cursor;
    }
}

void ArgumentReader::skipBlanks() {
    while (blank(*cursor)) ++cursor;
}

// 2n backslashes before a quote give n and the quote delimits; 2n+1 give n and a literal quote;
// elsewhere backslashes are literal. "" within quotes is a literal quote.
bool ArgumentReader::next(wchar_t (&argument)[COMMAND_ARG_SIZE], bool* fits) {
    skipBlanks();
    if (!*cursor) return false;
    int length = 0;
    *fits = true;
    auto emit = [&](wchar_t c) {
        if (length < COMMAND_ARG_SIZE - 1)
            argument[length++] = c;
        else
            *fits = false;
    };
    bool quoted = false;
    while (*cursor && (quoted || !blank(*cursor))) {
        if (*cursor == L'\\') {
            int slashes = 0;
            while (cursor[slashes] == L'\\') ++slashes;
            bool beforeQuote = cursor[slashes] == L'"';
            for (int i = beforeQuote ? slashes / 2 : slashes; i > 0; --i) emit(L'\\');
            cursor += slashes;
            if (beforeQuote && slashes % 2) emit(*cursor++);
            continue;
        }
        if (*cursor == L'"') {
            if (quoted && cursor[1] == L'"') {
                emit(L'"');
                cursor += 2;
            } else {
                quoted = !quoted;
                ++cursor;
            }
            continue;
        }
        emit(*cursor++);
    }
    argument[*fits ? length : 0] = 0;
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
