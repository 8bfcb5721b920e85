#include "dialogs/PickedWindow.h"

#include <cwchar>

#include "framework/UiLanguage.h"
#include "settings/TargetFile.h"
#include "sweep/ProgramImage.h"

namespace {

// Version resources are a few kilobytes; a larger one is not read.
const DWORD VERSION_INFO_SIZE = 32768;
const WORD JAPANESE = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const WORD ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The translation to read: the face's language where the program has it, else its first.
bool chooseTranslation(const void* info, WORD (&chosen)[2]) {
    WORD* pairs = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(info, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs),
                        &bytes) ||
        bytes < sizeof chosen)
        return false;
    const WORD wanted = japaneseFace() ? JAPANESE : ENGLISH;
    chosen[0] = pairs[0];
    chosen[1] = pairs[1];
    for (UINT i = 0; i + 1 < bytes / sizeof(WORD); i += 2)
        if (pairs[i] == wanted) {
            chosen[0] = pairs[i];
            chosen[1] = pairs[i + 1];
            break;
        }
    return true;
}

// The file description from the program's version resource; false when it has none.
bool fileDescriptionOf(const wchar_t* path, wchar_t* out, int size) {
    static unsigned char info[VERSION_INFO_SIZE];
    DWORD ignored = 0;
    DWORD needed = GetFileVersionInfoSizeW(path, &ignored);
    if (!needed || needed > sizeof info || !GetFileVersionInfoW(path, 0, sizeof info, info))
        return false;
    WORD translation[2];
    if (!chooseTranslation(info, translation)) return false;
    wchar_t query[64];
    _snwprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", translation[0],
               translation[1]);
    query[63] = 0;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info, query, reinterpret_cast<void**>(&text), &length) || !text || !text[0])
        return false;
    lstrcpynW(out, text, size);
    return true;
}

// The file name without a final ".exe", in any case.
void nameWithoutExe(const wchar_t* fileName, wchar_t* out, int size) {
    lstrcpynW(out, fileName, size);
    int length = lstrlenW(out);
    if (length > 4 && !lstrcmpiW(out + length - 4, L".exe")) out[length - 4] = 0;
}

}  // namespace

void describePickedWindow(HWND window, PickedWindow& out) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    ProgramImage image;
    readProgramImage(processId, image);
    const wchar_t* path = image.known && image.whole ? image.path : L"";
    lstrcpynW(out.exeName, image.known ? fileNameOf(image.path) : L"", PICKED_PATH_SIZE);
    out.name[0] = 0;
    if (path[0] && !fileDescriptionOf(path, out.name, OTHER_NAME_SIZE))
        nameWithoutExe(out.exeName, out.name, OTHER_NAME_SIZE);
    // Another program's description may hold line breaks: a value is one line of target.ini.
    removeControlCharacters(out.name);
    if (!GetClassNameW(window, out.className, PICKED_CLASS_SIZE)) out.className[0] = 0;
    // The system's copy of the title: asks nothing of a program that may not answer.
    if (!GetWindowTextW(window, out.title, OTHER_TEXT_SIZE)) out.title[0] = 0;
    // A value is one line of target.ini.
    for (wchar_t* c = out.title; *c; ++c)
        if (*c == L'\r' || *c == L'\n') *c = 0;
}
