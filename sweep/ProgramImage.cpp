#include "sweep/ProgramImage.h"

#include <cwchar>

namespace {

// Code units; a longer path is not read, and its program is not known.
const DWORD PROCESS_PATH_SIZE = 4096;
// Version resources are a few kilobytes; a larger one is not read.
const DWORD VERSION_INFO_SIZE = 32768;

// The translation to read: the wanted language where the program has it, else its first.
bool chooseTranslation(const void* info, WORD wanted, WORD (&chosen)[2]) {
    WORD* pairs = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(info, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs),
                        &bytes) ||
        bytes < sizeof chosen)
        return false;
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
bool fileDescriptionOf(const wchar_t* path, WORD language, wchar_t* out, int size) {
    static unsigned char info[VERSION_INFO_SIZE];
    DWORD ignored = 0;
    DWORD needed = GetFileVersionInfoSizeW(path, &ignored);
    if (!needed || needed > sizeof info || !GetFileVersionInfoW(path, 0, sizeof info, info))
        return false;
    WORD translation[2];
    if (!chooseTranslation(info, language, translation)) return false;
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

int sameIgnoringCase(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

int namesProgram(const wchar_t* wanted, const ProgramImage& image) {
    if (!image.known || !wanted[0]) return 0;
    if (wcschr(wanted, L'\\')) return image.whole && sameIgnoringCase(wanted, image.path);
    return sameIgnoringCase(wanted, fileNameOf(image.path));
}

}  // namespace

const wchar_t* fileNameOf(const wchar_t* path) {
    const wchar_t* separator = wcsrchr(path, L'\\');
    return separator ? separator + 1 : path;
}

void readProgramImage(DWORD processId, ProgramImage& image) {
    image.known = image.whole = 0;
    image.path[0] = 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return;
    wchar_t path[PROCESS_PATH_SIZE];
    DWORD length = PROCESS_PATH_SIZE;
    if (QueryFullProcessImageNameW(process, 0, path, &length) && length < PROCESS_PATH_SIZE) {
        path[length] = 0;
        image.known = 1;
        image.whole = length < OTHER_EXE_SIZE;
        lstrcpynW(image.path, image.whole ? path : fileNameOf(path), OTHER_EXE_SIZE);
    }
    CloseHandle(process);
}

void programLabelOf(const ProgramImage& image, WORD language, wchar_t* out, int size) {
    out[0] = 0;
    if (image.known && image.whole && !fileDescriptionOf(image.path, language, out, size))
        nameWithoutExe(fileNameOf(image.path), out, size);
}

int exeConditionHolds(const wchar_t* exe, const ProgramImage& image) {
    if (wcscmp(exe, L"-") == 0) return 1;
    if (exe[0] == L'!') return exe[1] && !namesProgram(exe + 1, image);
    return namesProgram(exe, image);
}

const ProgramImage& ProgramImageCache::imageOf(DWORD processId) {
    for (int i = 0; i < count; ++i)
        if (entries[i].processId == processId) return entries[i].image;
    Entry* entry = entries + next;
    if (count < ENTRIES)
        entry = entries + count++;
    else
        next = (next + 1) % ENTRIES;
    entry->processId = processId;
    readProgramImage(processId, entry->image);
    return entry->image;
}
