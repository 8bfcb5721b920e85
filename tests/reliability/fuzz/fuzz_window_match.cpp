// The byte-exact text tests and the rules for a window, with a window whose class name, title,
// process path and state come from the fuzzer's input.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/Settings.h"
#include "sweep/WindowMatch.h"

namespace {
struct FakeWindow {
    std::string className, title, imagePath;
    bool visible, enabled;
    LONG style;
    RECT rect;
} fake;

int copyCut(const std::string& from, char* to, int size) {
    if (size <= 0) return 0;
    int length = static_cast<int>(from.size()) < size - 1 ? static_cast<int>(from.size()) : size - 1;
    memcpy(to, from.data(), static_cast<size_t>(length));
    to[length] = 0;
    return length;
}

void fill(FuzzedDataProvider& input, char* field, size_t width) {
    std::string text = input.ConsumeRandomLengthString(width - 1);
    memcpy(field, text.c_str(), text.size() + 1);
}
}  // namespace

int GetClassNameA(HWND, char* name, int size) { return copyCut(fake.className, name, size); }
int GetWindowTextA(HWND, char* text, int size) { return copyCut(fake.title, text, size); }
DWORD GetWindowThreadProcessId(HWND, DWORD* processId) {
    if (processId) *processId = 42;
    return 1;
}
HANDLE OpenProcess(DWORD, BOOL, DWORD) { return &fake; }
BOOL QueryFullProcessImageNameA(HANDLE, DWORD, char* path, DWORD* size) {
    if (fake.imagePath.size() >= *size) return FALSE;
    *size = static_cast<DWORD>(copyCut(fake.imagePath, path, static_cast<int>(*size)));
    return TRUE;
}
BOOL CloseHandle(HANDLE) { return TRUE; }
BOOL IsWindowVisible(HWND) { return fake.visible; }
BOOL IsWindowEnabled(HWND) { return fake.enabled; }
BOOL GetWindowRect(HWND, RECT* rect) {
    *rect = fake.rect;
    return TRUE;
}
LONG GetWindowLongA(HWND, int) { return fake.style; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // The product sees C strings: everything after a zero byte is not there.
    std::string a = input.ConsumeRandomLengthString(300).c_str();
    std::string b = input.ConsumeRandomLengthString(300).c_str();
    bool ends = b.size() >= a.size() && b.compare(b.size() - a.size(), a.size(), a) == 0;
    if (endsWith(a.c_str(), b.c_str()) != ends) abort();
    if (contains(a.c_str(), b.c_str()) != (a.find(b) != std::string::npos)) abort();
    bool holds = !b.empty() && b[0] == '!' ? a.find(b.substr(1)) == std::string::npos
                                           : b == "-" || a.find(b) != std::string::npos;
    if (textConditionHolds(b.c_str(), a.c_str()) != holds) abort();

    fake.className = input.ConsumeRandomLengthString(400);
    fake.title = input.ConsumeRandomLengthString(400);
    fake.imagePath = input.ConsumeRandomLengthString(5000);
    fake.visible = input.ConsumeBool();
    fake.enabled = input.ConsumeBool();
    fake.style = input.ConsumeIntegral<LONG>();
    fake.rect = {input.ConsumeIntegral<LONG>(), input.ConsumeIntegral<LONG>(), input.ConsumeIntegral<LONG>(),
                 input.ConsumeIntegral<LONG>()};
    OtherTarget target = {};
    fill(input, target.spec, sizeof target.spec);
    fill(input, target.className, sizeof target.className);
    fill(input, target.text, sizeof target.text);

    HWND window = reinterpret_cast<HWND>(&fake);
    VisitedWindow visited(window);
    if (!memchr(visited.className(), 0, CLASS_NAME_SIZE) || !memchr(visited.title(), 0, TITLE_SIZE)) abort();
    matchExplorer(visited);
    matchChromium(visited);
    matchFirefox(visited);
    matchOtherTarget(visited, target, nullptr);
    return 0;
}
