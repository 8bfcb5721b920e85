#include "RunValue.h"

#include <wchar.h>

namespace {

bool sameFile(const wchar_t* text, int length, const wchar_t* path) {
    return length > 0 && CompareStringOrdinal(text, length, path, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool plainValueName(const wchar_t* name) {
    int length = 0;
    for (; name[length]; ++length) {
        wchar_t c = name[length];
        bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                     (c >= L'0' && c <= L'9') || c == L' ' || c == L'.' || c == L'_' || c == L'-';
        if (!plain || length >= VALUE_NAME_MAX) return false;
    }
    return length > 0;
}

bool startsProgram(const wchar_t* data, const wchar_t* path) {
    if (data[0] == L'"') {
        const wchar_t* end = wcschr(data + 1, L'"');
        return end && sameFile(data + 1, static_cast<int>(end - data - 1), path);
    }
    const wchar_t* blank = wcschr(data, L' ');
    return sameFile(data, lstrlenW(data), path) ||
           (blank && sameFile(data, static_cast<int>(blank - data), path));
}
