#pragma once

// Reading a string table in a language of the caller's choice, whatever the thread's UI
// language says. Header only, with nothing but kernel32: Quillon, which links nothing of
// Varnel's, compiles it in too.

#include <windows.h>

#include <wchar.h>

// The string's entry: a length, then that many UTF-16 units without a terminating zero; null
// when the module has no such string. A block of the table holds strings id / 16 * 16 to
// id / 16 * 16 + 15 and is resource id / 16 + 1; one that exists in another language only is
// taken from there.
inline const WCHAR* findStringEntry(HMODULE module, UINT id, LANGID language) {
    const UINT stringsPerBlock = 16;
    const WCHAR* block = MAKEINTRESOURCEW(id / stringsPerBlock + 1);
    const WCHAR* const stringType = MAKEINTRESOURCEW(6);
    HRSRC found = FindResourceExW(module, stringType, block, language);
    if (!found) found = FindResourceW(module, block, stringType);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const WCHAR* entry = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!entry) return nullptr;
    for (UINT skip = id % stringsPerBlock; skip; --skip) entry += 1 + *entry;
    return entry;
}

// The string in UTF-16, cut to fit size units with its terminating zero; its length.
inline int loadStringIn(HMODULE module, UINT id, LANGID language, wchar_t* out, int size) {
    if (size <= 0) return 0;
    const WCHAR* entry = findStringEntry(module, id, language);
    int length = entry ? (*entry < size ? *entry : size - 1) : 0;
    if (length) wmemcpy(out, entry + 1, length);
    out[length] = L'\0';
    return length;
}
