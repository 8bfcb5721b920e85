#include "settings/IniFileRewrite.h"

#include <windows.h>

#include <cstring>

#include "framework/FormatText.h"
#include "settings/PathUtil.h"

namespace {

// Room for the longest path that the ANSI file functions take, and for the temporary's.
enum { REWRITE_PATH_SIZE = MAX_PATH + 1 };
// Temporary files are named "~vrn", three hex digits and a check digit of those three: no
// longer than the names of the files rewritten, and a name that nobody types by chance.
const char TEMPORARY_PREFIX[] = "~vrn";
const char TEMPORARY_WILDCARD[] = "~vrn????";
const char HEX_DIGITS[] = "0123456789abcdef";
const ULONGLONG STALE_AFTER = 60ull * 10000000;  // one minute in 100 ns units

struct FileSink final : IniSink {
    HANDLE file;
    bool ok;
    explicit FileSink(HANDLE file) : file(file), ok(true) {}
    void put(const unsigned char* bytes, DWORD size) override {
        DWORD written = 0;
        ok = ok && WriteFile(file, bytes, size, &written, nullptr) && written == size;
    }
};

// Whether the file's access rules are its own (not just those it inherits from its folder,
// which a new file beside it inherits as well).
bool hasOwnAccessRules(PSECURITY_DESCRIPTOR security) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL rules = nullptr;
    if (!GetSecurityDescriptorControl(security, &control, &revision) ||
        !GetSecurityDescriptorDacl(security, &present, &rules, &defaulted) || !present)
        return false;
    if ((control & SE_DACL_PROTECTED) || !rules) return true;
    for (DWORD i = 0; i < rules->AceCount; ++i) {
        ACE_HEADER* rule = nullptr;
        if (GetAce(rules, i, reinterpret_cast<void**>(&rule)) && !(rule->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

// What a rename would lose of the file it replaces: its attributes and its own access rules.
// The system's ReplaceFile keeps them too, but it is not one step everywhere (Wine's moves the
// file aside first): a kill or a reader in between would find no file at all.
void carryOver(const char* file, const char* temporary) {
    const DWORD KEPT = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & KEPT))
        SetFileAttributesA(temporary, attributes & KEPT);
    alignas(SECURITY_DESCRIPTOR) unsigned char security[4096];
    DWORD needed = 0;
    if (GetFileSecurityA(file, DACL_SECURITY_INFORMATION, security, sizeof security, &needed) &&
        hasOwnAccessRules(security))
        SetFileSecurityA(temporary, DACL_SECURITY_INFORMATION, security);
}

// Another program reading the file at that moment (an editor, a virus scanner) keeps it from
// being replaced; it lets go within moments, so the replace is tried again for a while.
bool replaceFile(const char* from, const char* to) {
    const int ATTEMPTS = 20;
    const DWORD PAUSE_MS = 25;
    carryOver(to, from);
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
            error != ERROR_ACCESS_DENIED)
            return false;
        Sleep(PAUSE_MS);
    }
    return false;
}

ULONGLONG ticksOf(const FILETIME& time) {
    return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

char checkDigitOf(const char* digits) {
    unsigned sum = 11;
    for (int i = 0; i < 3; ++i) {
        const char* at = strchr(HEX_DIGITS, digits[i]);
        if (!digits[i] || !at) return 0;
        sum += static_cast<unsigned>(at - HEX_DIGITS) * (2u * i + 3u);
    }
    return HEX_DIGITS[sum % 16];
}

}  // namespace

void iniTemporaryName(unsigned number, char (&name)[INI_TEMPORARY_NAME_SIZE]) {
    formatText(name, sizeof name, "%s%03x", TEMPORARY_PREFIX, number & 0xFFF);
    name[7] = checkDigitOf(name + 4);
    name[8] = 0;
}

namespace {

bool isTemporaryName(const char* name) {
    return lstrlenA(name) == 8 && strncmp(name, TEMPORARY_PREFIX, 4) == 0 &&
           checkDigitOf(name + 4) == name[7];
}

// The first bytes of a file (fewer in a shorter one); 0 when it cannot be read.
DWORD startOf(const char* path, unsigned char (&bytes)[16]) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE) return 0;
    if (!ReadFile(file, bytes, sizeof bytes, &read, nullptr)) read = 0;
    CloseHandle(file);
    return read;
}

// Whether a file left with a temporary's name is what a rewrite of path wrote: empty (cut
// short before its first write), or beginning as the file does, with its BOM and first line.
bool isLeftBy(const char* leftover, const WIN32_FIND_DATAA& found, const char* path) {
    if (found.nFileSizeHigh == 0 && found.nFileSizeLow == 0) return true;
    unsigned char left[16], current[16];
    DWORD leftSize = startOf(leftover, left), currentSize = startOf(path, current);
    DWORD compared = leftSize < currentSize ? leftSize : currentSize;
    return compared > 0 && memcmp(left, current, compared) == 0;
}

// Temporary files that rewrites of path cut short by a kill left beside it: files of Varnel's
// names and content that have not changed for a minute. One that a rewrite is writing is young;
// a file dated in the future is nobody's leftover that Varnel can be sure of.
void removeStaleTemporaries(const char* path, const char* folder) {
    char pattern[REWRITE_PATH_SIZE];
    formatText(pattern, sizeof pattern, "%s%s", folder, TEMPORARY_WILDCARD);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        ULONGLONG written = ticksOf(found.ftLastWriteTime);
        if (!isTemporaryName(found.cFileName) || written > ticksOf(now) ||
            ticksOf(now) - written <= STALE_AFTER)
            continue;
        char stale[REWRITE_PATH_SIZE];
        formatText(stale, sizeof stale, "%s%s", folder, found.cFileName);
        if (isLeftBy(stale, found, path)) DeleteFileA(stale);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A new file of a name of its own beside path, for one rewrite: every process that writes at
// the same moment has its own. Its name is no longer than the file's, so it fits wherever that
// fits.
HANDLE createTemporary(const char* path, char (&temporary)[REWRITE_PATH_SIZE]) {
    const int ATTEMPTS = 64;
    lstrcpynA(temporary, path, sizeof temporary);
    C_PathUtil::truncateAfterLast(temporary, '\\');
    removeStaleTemporaries(path, temporary);
    int folder = lstrlenA(temporary);
    DWORD seed = GetCurrentProcessId() * 40503u + GetTickCount();
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        char name[INI_TEMPORARY_NAME_SIZE];
        iniTemporaryName(seed + attempt * 1597u, name);
        formatText(temporary + folder, sizeof temporary - folder, "%s", name);
        HANDLE file = CreateFileA(temporary, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// The new file in full: every line of the current one (source; none yet when invalid) with
// the entries set to their new values, in the current one's encoding.
IniRewriteResult writeNewFile(HANDLE source, HANDLE target, IniEntry* entries, int count,
                              IniEncoding newFileEncoding, IniAnsiRule ansiRule) {
    if (source != INVALID_HANDLE_VALUE) {
        IniEntry seen[INI_MAX_ENTRIES];
        memcpy(seen, entries, sizeof(IniEntry) * static_cast<size_t>(count));
        IniFileSource reading(source);
        if (!streamIni(reading, seen, count, nullptr, newFileEncoding) ||
            SetFilePointer(source, 0, nullptr, FILE_BEGIN) != 0)
            return INI_REWRITE_UNREADABLE;
        for (int e = 0; e < count; ++e) entries[e].found = seen[e].found;
    }
    IniFileSource writing(source);
    FileSink sink(target);
    IniEncoding before = newFileEncoding, after = newFileEncoding;
    bool streamed = streamIni(writing, entries, count, &sink, newFileEncoding, &before);
    if (!sink.ok || !FlushFileBuffers(target)) return INI_REWRITE_UNWRITABLE;
    if (!streamed) return INI_REWRITE_UNREADABLE;
    if (ansiRule == INI_ANY_ENCODING_AFTER || before != INI_ANSI) return INI_REWRITE_WRITTEN;
    // New bytes in an ANSI file may happen to be valid UTF-8, and the file would then read so.
    IniFileSource written(target);
    if (SetFilePointer(target, 0, nullptr, FILE_BEGIN) != 0 ||
        !iniSourceEncoding(written, newFileEncoding, after))
        return INI_REWRITE_UNWRITABLE;
    return after == INI_ANSI ? INI_REWRITE_WRITTEN : INI_REWRITE_ENCODING_CHANGED;
}

}  // namespace

IniRewriteResult rewriteIniFile(const char* path, IniEntry* entries, int count,
                                IniEncoding newFileEncoding, IniAnsiRule ansiRule) {
    if (count > INI_MAX_ENTRIES) count = INI_MAX_ENTRIES;
    for (int e = 0; e < count; ++e) entries[e].found = 0;
    // A read-only file is the user's wish that it be left alone (and Windows would refuse to
    // replace it); a folder of that name cannot be written.
    if (isReadOnlyFile(path)) return INI_REWRITE_READ_ONLY;
    if (!path[0] || lstrlenA(path) >= REWRITE_PATH_SIZE || fileExists(path, 1))
        return INI_REWRITE_UNWRITABLE;

    HANDLE source = openIniFileToRead(path);
    DWORD error = GetLastError();
    if (source == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND &&
        error != ERROR_PATH_NOT_FOUND)
        return INI_REWRITE_UNREADABLE;
    char temporary[REWRITE_PATH_SIZE];
    HANDLE target = createTemporary(path, temporary);
    IniRewriteResult result =
        target == INVALID_HANDLE_VALUE
            ? INI_REWRITE_UNWRITABLE
            : writeNewFile(source, target, entries, count, newFileEncoding, ansiRule);
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    if (target == INVALID_HANDLE_VALUE) return result;
    CloseHandle(target);
    if (result == INI_REWRITE_WRITTEN && !replaceFile(temporary, path))
        result = INI_REWRITE_UNWRITABLE;
    if (result != INI_REWRITE_WRITTEN) DeleteFileA(temporary);
    return result;
}
