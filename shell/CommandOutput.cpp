#include "shell/CommandOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "framework/UiLanguage.h"
#include "resources/resource.h"

namespace {

// The longest text written at once (the usage text), in UTF-16 code units.
const int OUTPUT_SIZE = 4096;
// A UTF-16 unit takes at most three bytes in any ANSI code page (UTF-8 included).
const int BYTES_PER_UNIT = 3;
const int LINE_SIZE = OTHER_NAME_SIZE + 192;

void endLine(wchar_t* line, int size) {
    int used = lstrlenW(line);
    if (used > size - 3) used = size - 3;
    lstrcpynW(line + used, L"\r\n", 3);
}

bool usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A console handle takes UTF-16; a pipe or file the ANSI code page.
bool writeTo(HANDLE handle, const wchar_t* text) {
    int length = lstrlenW(text);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode))
        return WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr) != 0;
    char bytes[OUTPUT_SIZE * BYTES_PER_UNIT];
    // A letter that the code page lacks is "?", never a look-alike ("A" for "\u0100"); UTF-8 holds
    // every letter and takes no flags.
    DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int size =
        WideCharToMultiByte(CP_ACP, flags, text, length, bytes, sizeof bytes, nullptr, nullptr);
    return size > 0 && WriteFile(handle, bytes, static_cast<DWORD>(size), &written, nullptr);
}

}  // namespace

CommandOutput::CommandOutput(HINSTANCE instance)
    : instance(instance), console(INVALID_HANDLE_VALUE), consoleTried(false) {}

CommandOutput::~CommandOutput() {
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
}

// The console of the process that started Varnel, joined once.
HANDLE CommandOutput::parentConsole() {
    if (!consoleTried) {
        consoleTried = true;
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            console =
                CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    return console;
}

// The caller's handle; a handle that takes nothing (a console handle passed down without the
// console) falls back to the console.
void CommandOutput::write(DWORD standardHandle, const wchar_t* text) {
    HANDLE given = GetStdHandle(standardHandle);
    if (usable(given) && writeTo(given, text)) return;
    HANDLE joined = parentConsole();
    if (joined != INVALID_HANDLE_VALUE) writeTo(joined, text);
}

void CommandOutput::append(wchar_t* line, int size, UINT id, ...) {
    wchar_t format[LINE_SIZE];
    loadUiStringW(instance, id, format, LINE_SIZE);
    int used = lstrlenW(line);
    va_list arguments;
    va_start(arguments, id);
    _vsnwprintf(line + used, static_cast<size_t>(size - used - 1), format, arguments);
    va_end(arguments);
    line[size - 1] = 0;
}

void CommandOutput::writeResult(const CommandRecord& record, const CommandReply& reply,
                                const CommandOutcome* outcome) {
    wchar_t line[LINE_SIZE] = {};
    if (record.verb == VERB_RESTORE) {
        append(line, LINE_SIZE, IDS_CMD_RESTORED, reply.detail);
        endLine(line, LINE_SIZE);
        write(STD_OUTPUT_HANDLE, line);
        return;
    }
    for (DWORD i = 0; i < reply.lineCount; ++i) {
        const CommandReplyLine& result = reply.lines[i];
        const wchar_t* label = result.kind >= KIND_NAMED ? record.names[result.kind - KIND_NAMED]
                                                         : kindWord(result.kind);
        line[0] = 0;
        if (!outcome) {
            append(line, LINE_SIZE, IDS_CMD_COUNTED, label, result.found);
        } else {
            const DWORD* counts = outcome->counts[i];
            append(line, LINE_SIZE, record.verb == VERB_CLOSE ? IDS_CMD_CLOSED : IDS_CMD_MINIMISED,
                   label, counts[OUTCOME_DONE]);
            if (result.spared) append(line, LINE_SIZE, IDS_CMD_SPARED, result.spared);
            appendOutcomes(line, counts);
        }
        endLine(line, LINE_SIZE);
        write(STD_OUTPUT_HANDLE, line);
    }
    if (reply.detail) {
        line[0] = 0;
        append(line, LINE_SIZE, IDS_CMD_REFUSED_WINDOWS, reply.detail);
        endLine(line, LINE_SIZE);
        write(STD_OUTPUT_HANDLE, line);
    }
}

// The windows that did not go, by why, those that are none in their place.
void CommandOutput::appendOutcomes(wchar_t* line, const DWORD* counts) {
    const struct {
        int outcome;
        UINT id;
    } parts[] = {{OUTCOME_WAITING, IDS_CMD_WAITING},
                 {OUTCOME_NOT_RESPONDING, IDS_CMD_NOT_RESPONDING},
                 {OUTCOME_STILL_OPEN, IDS_CMD_STILL_OPEN}};
    for (const auto& part : parts)
        if (counts[part.outcome]) append(line, LINE_SIZE, part.id, counts[part.outcome]);
}

void CommandOutput::writeUsage() {
    wchar_t text[OUTPUT_SIZE];
    loadUiStringW(instance, IDS_CMD_USAGE, text, OUTPUT_SIZE);
    write(STD_OUTPUT_HANDLE, text);
}

void CommandOutput::writeUsageError(const CommandProblem& problem) {
    wchar_t text[OUTPUT_SIZE] = {};
    append(text, OUTPUT_SIZE, IDS_CMD_ERROR_PREFIX);
    append(text, OUTPUT_SIZE, problem.message, problem.argument);
    endLine(text, OUTPUT_SIZE);
    write(STD_ERROR_HANDLE, text);
    loadUiStringW(instance, IDS_CMD_USAGE, text, OUTPUT_SIZE);
    write(STD_ERROR_HANDLE, text);
}

void CommandOutput::writeFailure(UINT message) {
    wchar_t text[LINE_SIZE] = {};
    append(text, LINE_SIZE, IDS_CMD_ERROR_PREFIX);
    append(text, LINE_SIZE, message);
    endLine(text, LINE_SIZE);
    write(STD_ERROR_HANDLE, text);
}
