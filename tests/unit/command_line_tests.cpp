#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include "resources/resource.h"
#include "shell/CommandLine.h"
#include "shell/ReplySectionSecurity.h"

namespace {

std::vector<std::wstring> split(const wchar_t* line) {
    std::vector<std::wstring> arguments;
    ArgumentReader reader(line);
    wchar_t argument[COMMAND_ARG_SIZE];
    bool fits = true;
    while (reader.next(argument, &fits)) arguments.push_back(fits ? argument : L"<too long>");
    return arguments;
}

struct Parsed {
    ParseOutcome outcome;
    CommandRecord record;
    CommandProblem problem;
};

Parsed parse(const std::wstring& arguments) {
    Parsed p;
    std::wstring line = L"\"C:\\Program Files\\Varnel\\Varnel.exe\" " + arguments;
    p.outcome = parseCommandLine(line.c_str(), p.record, p.problem);
    return p;
}

// As shell32 splits them, after the program name.
std::vector<std::wstring> shell32Split(const wchar_t* line) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line, &count);
    std::vector<std::wstring> arguments(argv + (count ? 1 : 0), argv + count);
    LocalFree(argv);
    return arguments;
}

TEST(CommandLine, SplitsAsShell32Does) {
    const wchar_t* lines[] = {
        L"\"C:\\a b\\Varnel.exe\"\t/close \"my tools\" a\\\"b \"c:\\x\\\\\" \"q\"\"uote\" \\\\\\\\\\\"x",
        L"v.exe \"a\"\"b c\"",
        L"v.exe \"\"\"\" \"\" a\"\"b \"a\"\"\"b\"",
        L"v.exe a\"b c\"d \\\\server\\x\\ \"tail\\\\\"",
        L"\"C:\\unclosed name a b",
        L"C:\\plain\\v.exe\"quoted\" name:\"My Tools\"",
        L"  v.exe   \t",
    };
    for (const wchar_t* line : lines) EXPECT_EQ(shell32Split(line), split(line)) << line;
    EXPECT_EQ((std::vector<std::wstring>{L"a\"b", L"c"}), split(L"v.exe \"a\"\"b c\""));
    std::wstring longest(COMMAND_ARG_SIZE - 1, L'x'), tooLong(COMMAND_ARG_SIZE, L'x');
    EXPECT_EQ((std::vector<std::wstring>{longest, L"<too long>", L"next"}),
              split((L"v.exe " + longest + L" " + tooLong + L" next").c_str()));
}

TEST(CommandLine, ReadsCommandsCaseInsensitivelyInEitherSpelling) {
    Parsed close = parse(L"/CLOSE Explorer chrome -Keep-Front /wait 0 explorer /Timeout 600");
    ASSERT_EQ(PARSE_COMMAND, close.outcome);
    EXPECT_EQ(VERB_CLOSE, close.record.verb);
    ASSERT_EQ(2u, close.record.kindCount);
    EXPECT_EQ(SWEEP_KIND_EXPLORER, close.record.kinds[0]);
    EXPECT_EQ(SWEEP_KIND_CHROMIUM, close.record.kinds[1]);
    EXPECT_EQ(1, close.record.keepFront);
    EXPECT_EQ(0, close.record.waitTime);
    EXPECT_EQ(600, close.record.timeout);

    Parsed minimise = parse(L"-minimize \"My Tools\" TARGET5 selected \"my tools\" 日本語 /no-keep-front /wait 200");
    ASSERT_EQ(PARSE_COMMAND, minimise.outcome);
    EXPECT_EQ(VERB_MINIMISE, minimise.record.verb);
    ASSERT_EQ(4u, minimise.record.kindCount);
    EXPECT_EQ(KIND_NAMED + 0u, minimise.record.kinds[0]);
    EXPECT_EQ(SWEEP_KIND_OTHER + 4u, minimise.record.kinds[1]);
    EXPECT_EQ(KIND_SELECTED, minimise.record.kinds[2]);
    EXPECT_EQ(KIND_NAMED + 1u, minimise.record.kinds[3]);
    EXPECT_EQ(std::wstring(L"My Tools"), minimise.record.names[0]);
    EXPECT_EQ(std::wstring(L"日本語"), minimise.record.names[1]);
    EXPECT_EQ(0, minimise.record.keepFront);
    EXPECT_EQ(200, minimise.record.waitTime);
    EXPECT_EQ(FROM_SETTINGS, minimise.record.timeout);

    // Any target by its NAME, also one spelled like a kind word or an option.
    Parsed named = parse(L"/count name:target2 NAME:-x Name:Firefox firefox name:Target2");
    ASSERT_EQ(PARSE_COMMAND, named.outcome);
    ASSERT_EQ(4u, named.record.kindCount);
    EXPECT_EQ(3u, named.record.nameCount);
    EXPECT_EQ(std::wstring(L"target2"), named.record.names[0]);
    EXPECT_EQ(std::wstring(L"-x"), named.record.names[1]);
    EXPECT_EQ(std::wstring(L"Firefox"), named.record.names[2]);
    EXPECT_EQ(SWEEP_KIND_FIREFOX, named.record.kinds[3]);

    Parsed count = parse(L"/count firefox");
    EXPECT_EQ(FROM_SETTINGS, count.record.keepFront);
    EXPECT_EQ(FROM_SETTINGS, count.record.waitTime);
    EXPECT_EQ(PARSE_COMMAND, parse(L"/restore").outcome);
    EXPECT_TRUE(commandRecordValid(close.record) && commandRecordValid(minimise.record) &&
                commandRecordValid(count.record));

    EXPECT_EQ(PARSE_NO_ARGUMENTS, parse(L"  ").outcome);
    EXPECT_EQ(PARSE_HELP, parse(L"/?").outcome);
    EXPECT_EQ(PARSE_HELP, parse(L"/close /frobnicate -?").outcome);
}

TEST(CommandLine, RefusesBadInputSayingWhy) {
    const struct {
        std::wstring arguments;
        UINT message;
        std::wstring argument;
    } cases[] = {
        {L"explorer", IDS_CMD_NO_COMMAND, L""},
        {L"/close", IDS_CMD_NO_KIND, L""},
        {L"/close explorer /count chrome", IDS_CMD_TWO_COMMANDS, L"/count"},
        {L"/close \"\"", IDS_CMD_EMPTY_NAME, L""},
        {L"/close name:", IDS_CMD_EMPTY_NAME, L""},
        {L"/close name:" + std::wstring(OTHER_NAME_SIZE, L'n'), IDS_CMD_TOO_LONG, L"2"},
        {L"/close explorer /wait -1", IDS_CMD_WAIT_RANGE, L"-1"},
        {L"/close explorer /wait 201", IDS_CMD_WAIT_RANGE, L"201"},
        {L"/close explorer /wait 99999999999", IDS_CMD_WAIT_RANGE, L"99999999999"},
        {L"/close explorer /wait 5x", IDS_CMD_WAIT_RANGE, L"5x"},
        {L"/close explorer /wait", IDS_CMD_WAIT_RANGE, L""},
        {L"/close explorer /wait 5 /wait 6", IDS_CMD_OPTION_TWICE, L"/wait"},
        {L"/close explorer /timeout 0", IDS_CMD_TIMEOUT_RANGE, L"0"},
        {L"/minimize explorer /timeout 601", IDS_CMD_TIMEOUT_RANGE, L"601"},
        {L"/close explorer /timeout ten", IDS_CMD_TIMEOUT_RANGE, L"ten"},
        {L"/close explorer /timeout", IDS_CMD_TIMEOUT_RANGE, L""},
        {L"/close explorer /timeout 5 /wait 5 /timeout 6", IDS_CMD_OPTION_TWICE, L"/timeout"},
        {L"/count explorer /timeout 5", IDS_CMD_NOT_FOR_VERB, L"/timeout"},
        {L"/close explorer /keep-front /no-keep-front", IDS_CMD_OPTION_TWICE, L"/no-keep-front"},
        {L"/count explorer /keep-front", IDS_CMD_NOT_FOR_VERB, L"/keep-front"},
        {L"/count explorer /wait 5", IDS_CMD_NOT_FOR_VERB, L"/wait"},
        {L"/restore explorer", IDS_CMD_NOT_FOR_VERB, L"KIND"},
        {L"/close explorer /frobnicate", IDS_CMD_UNKNOWN_OPTION, L"/frobnicate"},
        {L"/close -", IDS_CMD_UNKNOWN_OPTION, L"-"},
        {L"/close " + std::wstring(OTHER_NAME_SIZE, L'n'), IDS_CMD_TOO_LONG, L"2"},
        {L"/close explorer " + std::wstring(30000, L'x'), IDS_CMD_TOO_LONG, L"3"},
        {L"/close " + std::wstring(40000, L'x'), IDS_CMD_LINE_TOO_LONG, L""},
        {L"/close a b c d e f", IDS_CMD_TOO_MANY_KINDS, L"f"},
    };
    for (const auto& c : cases) {
        Parsed p = parse(c.arguments);
        std::string shown(c.arguments.begin(),
                          c.arguments.begin() + (c.arguments.size() < 60 ? c.arguments.size() : 60));
        EXPECT_EQ(PARSE_USAGE_ERROR, p.outcome) << shown;
        EXPECT_EQ(c.message, p.problem.message) << shown;
        EXPECT_EQ(c.argument, std::wstring(p.problem.argument)) << shown;
    }
}

// What the resident checks in a record from another process, and the sender in the reply.
TEST(CommandRecord, EveryFieldOutsideWhatTheSenderWritesIsRefused) {
    Parsed good = parse(L"/close explorer \"my tools\" /wait 20");
    ASSERT_TRUE(commandRecordValid(good.record));
    const std::function<void(CommandRecord&)> spoil[] = {
        [](CommandRecord& r) { r.size -= 4; },
        [](CommandRecord& r) { r.version = COMMAND_RECORD_VERSION + 1; },
        [](CommandRecord& r) { r.verb = 0; },
        [](CommandRecord& r) { r.verb = VERB_COUNT + 1; },
        [](CommandRecord& r) { r.verb = VERB_RESTORE; },
        [](CommandRecord& r) { r.verb = VERB_COUNT; },
        [](CommandRecord& r) { r.keepFront = 2; },
        [](CommandRecord& r) { r.waitTime = 201; },
        [](CommandRecord& r) { r.waitTime = -2; },
        [](CommandRecord& r) { r.timeout = 0; },
        [](CommandRecord& r) { r.timeout = COMMAND_TIMEOUT_MAX + 1; },
        [](CommandRecord& r) { r.kindCount = 0; },
        [](CommandRecord& r) { r.kindCount = COMMAND_MAX_KINDS + 1; },
        [](CommandRecord& r) { r.kinds[0] = KIND_SELECTED + 1; },
        [](CommandRecord& r) { r.kinds[1] = KIND_NAMED + 1; },
        [](CommandRecord& r) { r.nameCount = COMMAND_MAX_NAMES + 1; },
        [](CommandRecord& r) { r.names[0][0] = 0; },
        [](CommandRecord& r) { std::fill(r.names[0], r.names[0] + OTHER_NAME_SIZE, L'x'); },
    };
    for (size_t i = 0; i < sizeof spoil / sizeof spoil[0]; ++i) {
        CommandRecord record = good.record;
        spoil[i](record);
        EXPECT_FALSE(commandRecordValid(record)) << "change " << i;
    }

    CommandReply reply;
    initCommandReply(reply, good.record);
    reply.lineCount = 1;
    reply.lines[0].kind = KIND_NAMED;
    reply.windowCount = 2;
    reply.windows[0] = {0x10010, 0, OUTCOME_PENDING};
    reply.windows[1] = {0xfffe0010, 0, OUTCOME_WAITING};
    EXPECT_TRUE(commandReplyValid(reply, good.record));
    CommandReply other = reply;
    other.requestId ^= 1;
    EXPECT_FALSE(commandReplyValid(other, good.record));
    other = reply;
    other.lineCount = SWEEP_KIND_COUNT + 1;
    EXPECT_FALSE(commandReplyValid(other, good.record));
    other = reply;
    other.lines[0].kind = KIND_NAMED + 1;
    EXPECT_FALSE(commandReplyValid(other, good.record));
    const std::function<void(CommandReply&)> spoilWindows[] = {
        [](CommandReply& r) { r.windowCount = COMMAND_MAX_WINDOWS + 1; },
        [](CommandReply& r) { r.windows[1].line = 1; },
        [](CommandReply& r) { r.windows[1].outcome = OUTCOME_STILL_OPEN; },
        [](CommandReply& r) { r.windows[0].window = 0; },
    };
    for (const auto& spoilWindow : spoilWindows) {
        other = reply;
        spoilWindow(other);
        EXPECT_FALSE(commandReplyValid(other, good.record));
    }
    // A handle from a 64-bit program reaches a 32-bit one and back as Windows shares it.
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(-131056)), windowFromReply(0xfffe0010));
    EXPECT_EQ(0xfffe0010u, windowToReply(windowFromReply(0xfffe0010)));
    other = reply;
    other.status = STATUS_UNKNOWN_NAME;
    other.lineCount = other.windowCount = 0;
    other.detail = 1;
    EXPECT_FALSE(commandReplyValid(other, good.record));
}

}  // namespace

namespace {

struct Sid {
    explicit Sid(const wchar_t* text) { ConvertStringSidToSidW(text, &sid); }
    ~Sid() { LocalFree(sid); }
    PSID sid = nullptr;
};

// What a descriptor's DACL allows the holder of sid through entries for that SID itself.
DWORD allowedTo(PSECURITY_DESCRIPTOR descriptor, const wchar_t* sidText) {
    Sid wanted(sidText);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    DWORD rights = 0;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(dacl, i, reinterpret_cast<void**>(&ace));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        if (EqualSid(&ace->SidStart, wanted.sid)) rights |= ace->Mask;
    }
    return rights;
}

}  // namespace

// The reply's section: the sender's user may do anything, the resident's user and the
// Administrators map it, nobody else may open it; an elevated sender labels it medium.
TEST(CommandExchange, ReplySectionOpensToTheResidentAndAdministratorsOnly) {
    const wchar_t SENDER[] = L"S-1-5-21-1004336348-1177238915-682003330-1001";
    const wchar_t RESIDENT[] = L"S-1-5-21-1004336348-1177238915-682003330-1002";
    const DWORD MAP = SECTION_MAP_READ | SECTION_MAP_WRITE;
    Sid sender(SENDER), resident(RESIDENT);
    for (bool elevated : {false, true}) {
        for (PSID other : {resident.sid, PSID(nullptr)}) {
            wchar_t sddl[REPLY_SDDL_SIZE];
            ASSERT_TRUE(replySectionSddl(sender.sid, other, elevated, sddl));
            PSECURITY_DESCRIPTOR descriptor = nullptr;
            ASSERT_TRUE(
                ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
                << sddl;
            EXPECT_EQ(static_cast<DWORD>(GENERIC_ALL), allowedTo(descriptor, SENDER));
            EXPECT_EQ(other ? MAP : 0, allowedTo(descriptor, RESIDENT));
            EXPECT_EQ(MAP, allowedTo(descriptor, L"BA"));
            for (const wchar_t* nobody : {L"WD", L"AU", L"BU", L"IU", L"AN", L"SY", L"AC"})
                EXPECT_EQ(0u, allowedTo(descriptor, nobody)) << nobody;

            BOOL present = FALSE, defaulted = FALSE;
            PACL sacl = nullptr;
            GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted);
            ASSERT_EQ(elevated, present && sacl && sacl->AceCount == 1) << sddl;
            if (elevated) {
                SYSTEM_MANDATORY_LABEL_ACE* label = nullptr;
                GetAce(sacl, 0, reinterpret_cast<void**>(&label));
                EXPECT_EQ(SYSTEM_MANDATORY_LABEL_ACE_TYPE, label->Header.AceType);
                EXPECT_EQ(static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP), label->Mask);
                Sid medium(L"S-1-16-8192");
                EXPECT_TRUE(EqualSid(&label->SidStart, medium.sid));
            }
            LocalFree(descriptor);
        }
    }
}
