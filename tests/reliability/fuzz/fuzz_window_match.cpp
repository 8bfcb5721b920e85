// The exact text tests and the rules for a window, with a window whose class name, title,
// process path and state come from the fuzzer's input.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

#include "settings/Settings.h"
#include "sweep/WindowMatch.h"

namespace {
struct FakeWindow {
    std::wstring className, title, imagePath;
    bool visible, enabled, userWindow, cloakedAway;
    LONG style;
    RECT rect;
} fake;

int copyCut(const std::wstring& from, wchar_t* to, int size) {
    if (size <= 0) return 0;
    int length = static_cast<int>(from.size()) < size - 1 ? static_cast<int>(from.size()) : size - 1;
    wmemcpy(to, from.data(), static_cast<size_t>(length));
    to[length] = 0;
    return length;
}

// UTF-16 code units, two bytes each, as the system hands them over.
std::wstring wideText(FuzzedDataProvider& input, size_t maxUnits) {
    std::string bytes = input.ConsumeRandomLengthString(maxUnits * 2);
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text +=
            static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

void fill(FuzzedDataProvider& input, wchar_t* field, size_t width) {
    std::wstring text = wideText(input, width - 1).c_str();
    wmemcpy(field, text.c_str(), text.size() + 1);
}
}  // namespace

int GetClassNameW(HWND, wchar_t* name, int size) { return copyCut(fake.className, name, size); }
int GetWindowTextW(HWND, wchar_t* text, int size) { return copyCut(fake.title, text, size); }
DWORD GetWindowThreadProcessId(HWND, DWORD* processId) {
    if (processId) *processId = 42;
    return 1;
}
HANDLE OpenProcess(DWORD, BOOL, DWORD) { return &fake; }
BOOL QueryFullProcessImageNameW(HANDLE, DWORD, wchar_t* path, DWORD* size) {
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
int isUserWindow(HWND) { return fake.userWindow; }
int isCloakedAway(HWND) { return fake.cloakedAway; }
// Case folded code unit by code unit, as the ordinal comparison does.
int CompareStringOrdinal(const wchar_t* a, int, const wchar_t* b, int, BOOL ignoreCase) {
    for (;; ++a, ++b) {
        wint_t x = ignoreCase ? towupper(*a) : *a, y = ignoreCase ? towupper(*b) : *b;
        if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
        if (!x) return CSTR_EQUAL;
    }
}
// What a picked program is called is no part of matching.
DWORD GetFileVersionInfoSizeW(const wchar_t*, DWORD*) { abort(); }
BOOL GetFileVersionInfoW(const wchar_t*, DWORD, DWORD, void*) { abort(); }
BOOL VerQueryValueW(const void*, const wchar_t*, void**, UINT*) { abort(); }
int lstrlenW(const wchar_t*) { abort(); }
int lstrcmpiW(const wchar_t*, const wchar_t*) { abort(); }
int _snwprintf(wchar_t*, size_t, const wchar_t*, ...) { abort(); }
wchar_t* lstrcpynW(wchar_t* to, const wchar_t* from, int size) {
    copyCut(from, to, size);
    return to;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // The product sees C strings: everything after a zero is not there.
    std::wstring a = wideText(input, 300).c_str();
    std::wstring b = wideText(input, 300).c_str();
    bool ends = b.size() >= a.size() && b.compare(b.size() - a.size(), a.size(), a) == 0;
    if (endsWith(a.c_str(), b.c_str()) != ends) abort();
    if (contains(a.c_str(), b.c_str()) != (a.find(b) != std::wstring::npos)) abort();
    bool holds = !b.empty() && b[0] == L'!' ? a.find(b.substr(1)) == std::wstring::npos
                                            : b == L"-" || a.find(b) != std::wstring::npos;
    if (textConditionHolds(b.c_str(), a.c_str()) != holds) abort();

    fake.className = wideText(input, 400);
    fake.title = wideText(input, 400);
    fake.imagePath = wideText(input, 5000);
    fake.visible = input.ConsumeBool();
    fake.enabled = input.ConsumeBool();
    fake.userWindow = input.ConsumeBool();
    fake.cloakedAway = input.ConsumeBool();
    fake.style = input.ConsumeIntegral<LONG>();
    fake.rect = {input.ConsumeIntegral<LONG>(), input.ConsumeIntegral<LONG>(), input.ConsumeIntegral<LONG>(),
                 input.ConsumeIntegral<LONG>()};
    OtherTarget target = {};
    fill(input, target.wideSpec, OTHER_SPEC_SIZE);
    fill(input, target.wideClassName, OTHER_CLASS_SIZE);
    fill(input, target.wideText, OTHER_TEXT_SIZE);
    fill(input, target.wideExe, OTHER_EXE_SIZE);

    HWND window = reinterpret_cast<HWND>(&fake);
    ProgramImageCache programs;
    VisitedWindow visited(window, programs);
    if (!wmemchr(visited.className(), 0, CLASS_NAME_SIZE) || !wmemchr(visited.title(), 0, TITLE_SIZE)) abort();
    matchExplorer(visited);
    matchChromium(visited);
    matchFirefox(visited);
    matchOtherTarget(visited, target, nullptr);
    return 0;
}
