#include "framework/UiLanguage.h"

#include "framework/StringTable.h"

namespace {

const UINT JAPANESE_CODE_PAGE = 932;
const LANGID JAPANESE = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
// The resource types by number: the A and W spellings of RT_ differ only in pointer type.
const char* const MENU_TYPE = MAKEINTRESOURCEA(4);
const char* const DIALOG_TYPE = MAKEINTRESOURCEA(5);

LANGID chooseLanguage() { return GetACP() == JAPANESE_CODE_PAGE ? JAPANESE : ENGLISH; }

const LANGID CHOSEN_LANGUAGE = chooseLanguage();

const void* loadUiResource(HINSTANCE instance, const char* name, const char* type) {
    HRSRC found = FindResourceExA(instance, type, name, CHOSEN_LANGUAGE);
    if (!found) found = FindResourceA(instance, name, type);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

bool japaneseFace() { return CHOSEN_LANGUAGE == JAPANESE; }

LPCDLGTEMPLATEA loadUiDialog(HINSTANCE instance, const char* name) {
    return static_cast<LPCDLGTEMPLATEA>(loadUiResource(instance, name, DIALOG_TYPE));
}

HMENU loadUiMenu(HINSTANCE instance, const char* name) {
    const void* menu = loadUiResource(instance, name, MENU_TYPE);
    return menu ? LoadMenuIndirectA(menu) : nullptr;
}

int loadUiString(HINSTANCE instance, UINT id, char* out, int size) {
    if (size <= 0) return 0;
    out[0] = '\0';
    const WCHAR* entry = findStringEntry(instance, id, CHOSEN_LANGUAGE);
    if (!entry) return 0;
    // A string too long for the buffer loses characters at its end, never half a character.
    int length = 0;
    for (int units = *entry; units > 0 && !length; --units)
        length = WideCharToMultiByte(CP_ACP, 0, entry + 1, units, out, size - 1, nullptr, nullptr);
    out[length] = '\0';
    return length;
}

int loadUiStringW(HINSTANCE instance, UINT id, wchar_t* out, int size) {
    return loadStringIn(instance, id, CHOSEN_LANGUAGE, out, size);
}
