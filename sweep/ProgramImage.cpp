#include "sweep/ProgramImage.h"

#include <cwchar>

namespace {

// Code units; a longer path is not read, and its program is not known.
const DWORD PROCESS_PATH_SIZE = 4096;

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
