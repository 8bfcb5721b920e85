// The settings file's value forms, and loadSettings and saveSettings over a settings file whose
// bytes come from the fuzzer's input, held in memory and read in pieces of a size the input
// chooses. The encoding is told by the product's own detection.

#include <windows.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/FormatText.h"
#include "settings/IniEncoding.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

namespace {
// The settings file and the temporary file of a save, in memory.
struct MemoryFile {
    std::string bytes;
    size_t position = 0;
} settingsFile, temporaryFile;
bool settingsExists;
DWORD mostPerRead;  // a network folder may give less than asked
}  // namespace

HANDLE CreateFileA(const char*, DWORD, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
    if (disposition == CREATE_NEW) {
        temporaryFile = MemoryFile();
        return &temporaryFile;
    }
    if (!settingsExists) return INVALID_HANDLE_VALUE;
    settingsFile.position = 0;
    return &settingsFile;
}
BOOL ReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read, void*) {
    auto* file = static_cast<MemoryFile*>(handle);
    *read = static_cast<DWORD>(std::min<size_t>({size, mostPerRead, file->bytes.size() - file->position}));
    memcpy(buffer, file->bytes.data() + file->position, *read);
    file->position += *read;
    return TRUE;
}
BOOL WriteFile(HANDLE handle, const void* bytes, DWORD size, DWORD* written, void*) {
    static_cast<MemoryFile*>(handle)->bytes.append(static_cast<const char*>(bytes), size);
    *written = size;
    return TRUE;
}
DWORD SetFilePointer(HANDLE handle, LONG, LONG*, DWORD) { return static_cast<MemoryFile*>(handle)->position = 0; }
BOOL MoveFileExA(const char*, const char*, DWORD) {
    settingsFile = temporaryFile;
    settingsExists = true;
    return TRUE;
}
// The settings' values are ASCII, and none is read in UTF-16: nothing is converted.
int MultiByteToWideChar(unsigned, DWORD, const char*, int, wchar_t*, int) { abort(); }
int WideCharToMultiByte(unsigned, DWORD, const wchar_t*, int, char*, int, const char*, BOOL*) { abort(); }
UINT GetACP() { abort(); }
BOOL IsDBCSLeadByte(BYTE) { abort(); }
HANDLE CreateFileW(const wchar_t*, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) { abort(); }
BOOL SetFileAttributesA(const char*, DWORD) { return TRUE; }
BOOL GetFileSecurityA(const char*, DWORD, PSECURITY_DESCRIPTOR, DWORD, DWORD*) { return FALSE; }
BOOL SetFileSecurityA(const char*, DWORD, PSECURITY_DESCRIPTOR) { return FALSE; }
BOOL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL*, DWORD*) { return FALSE; }
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR, BOOL*, PACL*, BOOL*) { return FALSE; }
BOOL GetAce(PACL, DWORD, void**) { return FALSE; }
BOOL FlushFileBuffers(HANDLE) { return TRUE; }
DWORD GetFileAttributesA(const char*) { return settingsExists ? FILE_ATTRIBUTE_NORMAL : INVALID_FILE_ATTRIBUTES; }
BOOL CreateDirectoryA(const char*, void*) { return TRUE; }
BOOL DeleteFileA(const char*) { return TRUE; }
BOOL CloseHandle(HANDLE) { return TRUE; }
DWORD GetLastError() { return ERROR_FILE_NOT_FOUND; }
DWORD GetCurrentProcessId() { return 1; }
DWORD GetTickCount() { return 0; }
void Sleep(DWORD) {}
HANDLE FindFirstFileA(const char*, WIN32_FIND_DATAA*) { return INVALID_HANDLE_VALUE; }
BOOL FindNextFileA(HANDLE, WIN32_FIND_DATAA*) { return FALSE; }
BOOL FindClose(HANDLE) { return TRUE; }
void GetSystemTimeAsFileTime(FILETIME* time) { *time = FILETIME(); }
int lstrlenA(const char* text) { return static_cast<int>(strlen(text)); }
char* lstrcpynA(char* to, const char* from, int size) {
    snprintf(to, static_cast<size_t>(size), "%s", from);
    return to;
}

char* C_PathUtil::makeModuleFilePath(char* buffer, int, const char*) {
    buffer[0] = 0;
    return buffer;
}
char* C_PathUtil::makeSpecialFolderPath(char* buffer, int size, int, const char* relativePath) {
    snprintf(buffer, static_cast<size_t>(size), "C:\\%s", relativePath);
    return buffer;
}
void C_PathUtil::truncateAfterLast(char* text, char separator) {
    char* last = strrchr(text, separator);
    if (last) last[1] = 0;
}
// The settings folders exist; the settings file exists as a file or not at all.
int fileExists(const char* path, int wantFolder) {
    bool folder = strstr(path, ".ini") == nullptr;
    return wantFolder ? folder : !folder && settingsExists;
}
int isReadOnlyFile(const char*) { return 0; }
int formatText(char* out, size_t size, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(out, size, format, arguments);
    va_end(arguments);
    return length < static_cast<int>(size) ? length : static_cast<int>(size) - 1;
}

// The lines of a text in code units of unitBytes, split at every CR and LF, without the BOM and
// without an odd last byte.
std::vector<std::string> linesOf(const std::string& file, size_t unitBytes) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    size_t start = iniBomSize(detectIniEncoding(bytes, static_cast<DWORD>(file.size())));
    size_t end = file.size() - (file.size() - start) % unitBytes;
    std::vector<std::string> lines(1);
    for (size_t i = start; i < end; i += unitBytes) {
        bool lineBreak = (bytes[i] == '\r' || bytes[i] == '\n') && (unitBytes == 1 || bytes[i + 1] == 0);
        if (lineBreak)
            lines.emplace_back();
        else
            lines.back().append(file, i, unitBytes);
    }
    return lines;
}

// Whether a line may be one of Varnel's own keys, which a save rewrites: its name before the first
// '=', without blanks around it, is one of them in any ASCII case.
bool mayBeVarnelsKey(const std::string& line, size_t unitBytes) {
    static const char* const KEYS[] = {"EX",   "IE",   "NN",      "AP00",     "AP01",     "AP02",
                                       "AP03", "AP04", "TOPMOST", "KEEP1ST",  "FULLSIZE", "LEFT",
                                       "TOP",  "MODE", "NOBACK",  "WAITTIME", "RUNNEXT"};
    std::string name;
    size_t i = 0;
    for (; i < line.size(); i += unitBytes) {
        unsigned unit =
            static_cast<unsigned char>(line[i]) | (unitBytes == 2 ? static_cast<unsigned char>(line[i + 1]) << 8 : 0);
        if (unit == '=') break;
        name += unit < 0x80 ? static_cast<char>(toupper(static_cast<int>(unit))) : '\x7F';
    }
    if (i >= line.size()) return false;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!name.empty() && blank(name.back())) name.pop_back();
    size_t first = 0;
    while (first < name.size() && blank(name[first])) ++first;
    name.erase(0, first);
    for (const char* key : KEYS)
        if (name == key) return true;
    return false;
}

// Every line of the original that cannot be one of Varnel's keys is in the saved file, in order.
bool userLinesSurvive(const std::string& original, const std::string& saved) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(original.data());
    size_t unitBytes = detectIniEncoding(bytes, static_cast<DWORD>(original.size())) == INI_UTF16LE ? 2 : 1;
    std::vector<std::string> before = linesOf(original, unitBytes), after = linesOf(saved, unitBytes);
    size_t next = 0;
    for (const std::string& line : before) {
        if (mayBeVarnelsKey(line, unitBytes)) continue;
        while (next < after.size() && after[next] != line) ++next;
        if (next == after.size()) return false;
        ++next;
    }
    return true;
}

bool validFlags(const Settings& s, int welcome) {
    const TargetSelection& t = s.selection;
    for (int flag : {welcome, s.showOnTop, t.targetExplorer, t.targetChromium, t.targetFirefox, s.keepTopmost,
                     s.fullSize, s.nonResident})
        if (flag != 0 && flag != 1) return false;
    for (const OtherTarget& o : t.otherTargets)
        if (o.enabled != 0 && o.enabled != 1) return false;
    return s.waitTime >= WAIT_TIME_MIN && s.waitTime <= WAIT_TIME_MAX;
}

bool sameFields(const Settings& a, const Settings& b) {
    for (int i = 0; i < OTHER_TARGET_COUNT; ++i)
        if (a.selection.otherTargets[i].enabled != b.selection.otherTargets[i].enabled) return false;
    return a.showOnTop == b.showOnTop && a.selection.targetExplorer == b.selection.targetExplorer &&
           a.selection.targetChromium == b.selection.targetChromium &&
           a.selection.targetFirefox == b.selection.targetFirefox && a.keepTopmost == b.keepTopmost &&
           a.fullSize == b.fullSize && a.waitTime == b.waitTime && a.dialogLeft == b.dialogLeft &&
           a.dialogTop == b.dialogTop && a.hotkeyMode == b.hotkeyMode && a.nonResident == b.nonResident;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::string text = input.ConsumeRandomLengthString(400);

    // strtoll skips the same blanks and saturates beyond its range; clamped, it must agree.
    errno = 0;
    long long expected = strtoll(text.c_str(), nullptr, 10);
    expected = expected > INT_MAX ? INT_MAX : expected < INT_MIN ? INT_MIN : expected;
    if (parseInteger(text.c_str()) != expected) abort();
    if (parseSwitch(text.c_str()) != (strcmp(text.c_str(), "true") == 0)) abort();

    // Any file loads into valid fields; a save over it reads back as saved, keeps the BOM and
    // every line the user wrote (and a stray last byte last), and a second save of the same
    // settings changes nothing.
    mostPerRead = input.ConsumeBool() ? 0xFFFFFFFFu : input.ConsumeIntegralInRange<DWORD>(1, 64);
    static const char* const BOMS[] = {"", "\xEF\xBB\xBF", "\xFF\xFE"};
    settingsFile = MemoryFile();
    settingsFile.bytes = BOMS[input.ConsumeIntegralInRange(0, 2)] + input.ConsumeRemainingBytesAsString();
    settingsExists = true;
    const std::string original = settingsFile.bytes;
    Settings s;
    memset(&s, 0xA5, sizeof s);
    int welcome = loadSettings(s);
    if (!validFlags(s, welcome)) abort();
    s.waitTime = static_cast<int>(original.size() % 201);
    s.dialogLeft = -static_cast<int>(original.size());
    s.hotkeyMode ^= 1;
    saveSettings(s);
    const std::string saved = settingsFile.bytes;
    for (size_t bom : {size_t(2), size_t(3)})
        if (iniBomSize(detectIniEncoding(reinterpret_cast<const unsigned char*>(original.data()),
                                         static_cast<DWORD>(original.size()))) == bom &&
            saved.compare(0, bom, original, 0, bom) != 0)
            abort();
    if (!userLinesSurvive(original, saved)) abort();
    bool utf16 = detectIniEncoding(reinterpret_cast<const unsigned char*>(original.data()),
                                   static_cast<DWORD>(original.size())) == INI_UTF16LE;
    if (utf16 && original.size() % 2 && saved.back() != original.back()) abort();
    Settings back;
    memset(&back, 0x5A, sizeof back);
    if (loadSettings(back) != 0 || !sameFields(s, back)) abort();
    saveSettings(s);
    if (settingsFile.bytes != saved) abort();
    return 0;
}
