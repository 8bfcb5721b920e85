// The settings file's value forms and loadSettings, with a profile whose values come from the
// fuzzer's input and are cut to the caller's buffer as the system's profile functions cut them.

#include <windows.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/PathUtil.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

namespace {
std::vector<std::string> profileValues;
size_t nextValue;
}  // namespace

DWORD GetPrivateProfileStringA(const char*, const char*, const char* fallback, char* value, DWORD size, const char*) {
    const std::string text = profileValues.empty() ? fallback : profileValues[nextValue++ % profileValues.size()];
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(value, text.data(), length);
    value[length] = 0;
    return static_cast<DWORD>(length);
}
BOOL WritePrivateProfileStringA(const char*, const char*, const char*, const char*) { return TRUE; }
BOOL CreateDirectoryA(const char*, void*) { return TRUE; }
BOOL DeleteFileA(const char*) { return TRUE; }
BOOL MoveFileExA(const char*, const char*, DWORD) { return TRUE; }
HANDLE CreateFileA(const char*, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) { return INVALID_HANDLE_VALUE; }
BOOL ReadFile(HANDLE, void*, DWORD, DWORD*, void*) { return FALSE; }
BOOL WriteFile(HANDLE, const void*, DWORD, DWORD*, void*) { return FALSE; }
BOOL CloseHandle(HANDLE) { return TRUE; }
DWORD GetLastError() { return 0; }
void Sleep(DWORD) {}

char* C_PathUtil::makeModuleFilePath(char* buffer, int, const char*) {
    buffer[0] = 0;
    return buffer;
}
char* C_PathUtil::makeSpecialFolderPath(char* buffer, int, int, const char*) {
    buffer[0] = 0;
    return nullptr;
}
int fileExists(const char*, int) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::string text = input.ConsumeRandomLengthString(400);

    // strtoll skips the same blanks and saturates beyond its range; clamped, it must agree.
    errno = 0;
    long long expected = strtoll(text.c_str(), nullptr, 10);
    expected = expected > INT_MAX ? INT_MAX : expected < INT_MIN ? INT_MIN : expected;
    if (parseInteger(text.c_str()) != expected) abort();
    if (parseSwitch(text.c_str()) != (strcmp(text.c_str(), "true") == 0)) abort();

    profileValues.clear();
    nextValue = 0;
    while (input.remaining_bytes()) profileValues.push_back(input.ConsumeRandomLengthString(300));
    Settings s;
    memset(&s, 0xA5, sizeof s);
    int welcome = loadSettings(s);
    const TargetSelection& t = s.selection;
    for (int flag : {welcome, s.showOnTop, t.targetExplorer, t.targetChromium, t.targetFirefox, s.keepTopmost,
                     s.fullSize, s.nonResident})
        if (flag != 0 && flag != 1) abort();
    if (s.waitTime < WAIT_TIME_MIN || s.waitTime > WAIT_TIME_MAX) abort();
    return 0;
}
