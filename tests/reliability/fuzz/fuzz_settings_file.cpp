// The settings file's value forms, and loadSettings and saveSettings over a settings file whose
// bytes come from the fuzzer's input, held in memory.

#include <windows.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/IniText.h"
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
    *read = static_cast<DWORD>(std::min<size_t>(size, file->bytes.size() - file->position));
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
BOOL ReplaceFileA(const char*, const char* from, const char*, DWORD, void*, void*) {
    return MoveFileExA(from, nullptr, 0);
}
BOOL SetFileAttributesA(const char*, DWORD) { return TRUE; }
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

// The encoding as far as a rewrite needs it: which BOM the file starts with.
IniEncoding detectIniEncoding(const unsigned char* bytes, DWORD size) {
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return INI_UTF16LE;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return INI_UTF8_BOM;
    return INI_ANSI;
}
DWORD iniBomSize(IniEncoding encoding) { return encoding == INI_UTF16LE ? 2 : encoding == INI_UTF8_BOM ? 3 : 0; }
const unsigned char* iniBomBytes(IniEncoding encoding) {
    static const unsigned char utf16[] = {0xFF, 0xFE}, utf8[] = {0xEF, 0xBB, 0xBF};
    return encoding == INI_UTF16LE ? utf16 : utf8;
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
int fileExists(const char*, int wantFolder) { return settingsExists && !wantFolder; }
int isReadOnlyFile(const char*) { return 0; }

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

    // Any file loads into valid fields; a save over it reads back as saved, keeps the BOM, and
    // a second save of the same settings changes nothing.
    settingsFile = MemoryFile();
    settingsFile.bytes = input.ConsumeRemainingBytesAsString();
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
    Settings back;
    memset(&back, 0x5A, sizeof back);
    if (loadSettings(back) != 0 || !sameFields(s, back)) abort();
    saveSettings(s);
    if (settingsFile.bytes != saved) abort();
    return 0;
}
