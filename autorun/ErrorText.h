#pragma once

#include <windows.h>

// The text shown for a system error code: the system's own in the user's language, or
// "Error <code>" where the system has none, so that an error box is never empty.
class ErrorText {
public:
    explicit ErrorText(DWORD code);
    ~ErrorText();
    ErrorText(const ErrorText&) = delete;
    ErrorText& operator=(const ErrorText&) = delete;

    const wchar_t* text() const;

private:
    wchar_t* systemText = nullptr;
    wchar_t numbered[32];
};
