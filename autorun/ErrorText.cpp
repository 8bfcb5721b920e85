#include "ErrorText.h"

#include <wchar.h>

ErrorText::ErrorText(DWORD code) {
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, 0x400, reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    const int last = sizeof numbered / sizeof numbered[0] - 1;
    _snwprintf(numbered, last, L"Error %lu", static_cast<unsigned long>(code));
    numbered[last] = 0;
}

ErrorText::~ErrorText() { LocalFree(systemText); }

const wchar_t* ErrorText::text() const {
    return systemText && systemText[0] ? systemText : numbered;
}
