#include "settings/PathUtil.h"

#include <windows.h>
#include <shlobj.h>

namespace {

// Appends a backslash unless the text is empty or already ends in one (a trail byte of 0x5C
// does not count as one).
bool endsInSeparator(const char* text) {
    const char* last = nullptr;
    for (const char* p = text; *p; p = CharNextA(p)) last = p;
    return last && *last == '\\' && !IsDBCSLeadByte(static_cast<BYTE>(*last));
}

// Appends part to the text in buffer; false (buffer unchanged) when it does not fit.
bool append(char* buffer, int size, const char* part) {
    int used = lstrlenA(buffer);
    int needed = lstrlenA(part);
    if (used + needed + 1 > size) return false;
    lstrcpynA(buffer + used, part, size - used);
    return true;
}

// Appends a separator when needed, then the name; false when it does not fit.
bool appendPathPart(char* buffer, int size, const char* name) {
    if (!endsInSeparator(buffer) && !append(buffer, size, "\\")) return false;
    return append(buffer, size, name);
}

}  // namespace

void C_PathUtil::truncateAfterLast(char* text, char separator) {
    if (!*text) return;
    char* cut = text;
    for (char* p = text; *p; p = CharNextA(p)) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(*p)) && *p == separator) cut = p + 1;
    }
    *cut = 0;
}

char* C_PathUtil::getModuleFolder(char* buffer, int size) {
    if (size <= 0) return buffer;
    DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    // A path that did not fit is cut by the system; its folder would be some other folder.
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        buffer[0] = 0;
        return buffer;
    }
    truncateAfterLast(buffer, '\\');
    return buffer;
}

char* C_PathUtil::makeModuleFilePath(char* buffer, int size, const char* fileName) {
    int room = size - lstrlenA(fileName) - 10;
    if (room <= 0) {
        if (size > 0) buffer[0] = 0;
        return buffer;
    }
    getModuleFolder(buffer, room);
    if (buffer[0] && !appendPathPart(buffer, size, fileName)) buffer[0] = 0;
    return buffer;
}

char* C_PathUtil::makeSpecialFolderPath(char* buffer, int size, int csidl,
                                        const char* relativePath) {
    char folder[MAX_PATH] = {};
    if (size <= 0 || !SHGetSpecialFolderPathA(nullptr, folder, csidl, TRUE) || !folder[0])
        return nullptr;
    lstrcpynA(buffer, folder, size);
    if (lstrlenA(buffer) != lstrlenA(folder) || !appendPathPart(buffer, size, relativePath)) {
        buffer[0] = 0;
        return nullptr;
    }
    return buffer;
}

int fileExists(const char* path, int wantFolder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    int isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return wantFolder ? isFolder : !isFolder;
}

int isReadOnlyFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
}
