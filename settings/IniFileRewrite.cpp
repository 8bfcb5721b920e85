#include "settings/IniFileRewrite.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "settings/PathUtil.h"

namespace {

const DWORD STREAM_BLOCK_SIZE = 32768;
// Room for the longest path that the ANSI file functions take, and for the temporary's.
enum { REWRITE_PATH_SIZE = MAX_PATH + 1 };
const char TEMPORARY_PATTERN[] = "~vrn%04x";  // no longer than the names of the files rewritten
const char TEMPORARY_WILDCARD[] = "~vrn????";
const ULONGLONG STALE_AFTER = 60ull * 10000000;  // one minute in 100 ns units

struct FileSource final : IniSource {
    HANDLE file;
    explicit FileSource(HANDLE file) : file(file) {}
    bool get(unsigned char* block, DWORD size, DWORD& got) override {
        got = 0;
        return file == INVALID_HANDLE_VALUE || ReadFile(file, block, size, &got, nullptr);
    }
};

struct FileSink final : IniSink {
    HANDLE file;
    bool ok;
    explicit FileSink(HANDLE file) : file(file), ok(true) {}
    void put(const unsigned char* bytes, DWORD size) override {
        DWORD written = 0;
        ok = ok && WriteFile(file, bytes, size, &written, nullptr) && written == size;
    }
};

HANDLE openToRead(const char* path) {
    // Others may replace the file meanwhile (the handle keeps what it opened); nobody may
    // write into it while it is read.
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Another program reading the file at that moment (an editor, a virus scanner) keeps it from
// being replaced; it lets go within moments, so the replace is tried again for a while.
bool replaceFile(const char* from, const char* to) {
    const int ATTEMPTS = 20;
    const DWORD PAUSE_MS = 25;
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

// Temporary files that saves cut short by a kill left in folder (which ends in a backslash). One
// that a save is writing is open without sharing and young, so it stays.
void removeStaleTemporaries(const char* folder) {
    char pattern[REWRITE_PATH_SIZE];
    snprintf(pattern, sizeof pattern, "%s%s", folder, TEMPORARY_WILDCARD);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        char stale[REWRITE_PATH_SIZE];
        snprintf(stale, sizeof stale, "%s%s", folder, found.cFileName);
        if (ticksOf(now) - ticksOf(found.ftLastWriteTime) > STALE_AFTER) DeleteFileA(stale);
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
    removeStaleTemporaries(temporary);
    int folder = lstrlenA(temporary);
    DWORD seed = GetCurrentProcessId() * 40503u + GetTickCount();
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        snprintf(temporary + folder, sizeof temporary - folder, TEMPORARY_PATTERN,
                 static_cast<unsigned>((seed + attempt * 7919u) & 0xFFFF));
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// The new file in full: every line of the current one (source; none yet when invalid) with
// the entries set to their new values, in the current one's encoding.
IniRewriteResult writeNewFile(HANDLE source, HANDLE target, IniEntry* entries, int count,
                              IniEncoding newFileEncoding, const wchar_t* const* wideValues) {
    if (source != INVALID_HANDLE_VALUE) {
        IniEntry seen[INI_MAX_ENTRIES];
        memcpy(seen, entries, sizeof(IniEntry) * static_cast<size_t>(count));
        FileSource reading(source);
        if (!streamIni(reading, seen, count, nullptr, newFileEncoding) ||
            SetFilePointer(source, 0, nullptr, FILE_BEGIN) != 0)
            return INI_REWRITE_UNREADABLE;
        for (int e = 0; e < count; ++e) entries[e].found = seen[e].found;
    }
    FileSource writing(source);
    FileSink sink(target);
    bool streamed = streamIni(writing, entries, count, &sink, newFileEncoding, wideValues);
    if (!sink.ok || !FlushFileBuffers(target)) return INI_REWRITE_UNWRITABLE;
    return streamed ? INI_REWRITE_WRITTEN : INI_REWRITE_UNREADABLE;
}

}  // namespace

bool streamIni(IniSource& source, IniEntry* entries, int count, IniSink* sink,
               IniEncoding newFileEncoding, const wchar_t* const* wideValues) {
    unsigned char block[STREAM_BLOCK_SIZE];
    DWORD read = 0;
    if (!source.get(block, sizeof block, read)) return false;
    IniEncoding encoding = read ? detectIniEncoding(block, read) : newFileEncoding;
    DWORD bom = read < iniBomSize(encoding) ? read : iniBomSize(encoding);
    if (sink) sink->put(read ? block : iniBomBytes(encoding), read ? bom : iniBomSize(encoding));
    IniStream stream(entries, count, encoding == INI_UTF16LE ? 2 : 1, sink);
    stream.setWideValues(wideValues, iniTextCodePage(block, read));
    stream.feed(block + bom, read - bom);
    while (read == sizeof block) {
        if (!source.get(block, sizeof block, read)) return false;
        stream.feed(block, read);
    }
    return stream.finish() != 0;
}

int readIniFile(const char* path, IniEntry* entries, int count) {
    HANDLE file = openToRead(path);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FileSource source(file);
    bool read = streamIni(source, entries, count, nullptr, INI_ANSI);
    CloseHandle(file);
    return read ? 1 : 0;
}

IniRewriteResult rewriteIniFile(const char* path, IniEntry* entries, int count,
                                IniEncoding newFileEncoding, const wchar_t* const* wideValues) {
    if (count > INI_MAX_ENTRIES) count = INI_MAX_ENTRIES;
    // A read-only file is the user's wish that it be left alone (and Windows would refuse to
    // replace it); a folder of that name cannot be written.
    if (isReadOnlyFile(path)) return INI_REWRITE_READ_ONLY;
    if (!path[0] || lstrlenA(path) >= REWRITE_PATH_SIZE || fileExists(path, 1))
        return INI_REWRITE_UNWRITABLE;

    HANDLE source = openToRead(path);
    DWORD error = GetLastError();
    if (source == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND &&
        error != ERROR_PATH_NOT_FOUND)
        return INI_REWRITE_UNREADABLE;
    char temporary[REWRITE_PATH_SIZE];
    HANDLE target = createTemporary(path, temporary);
    IniRewriteResult result =
        target == INVALID_HANDLE_VALUE
            ? INI_REWRITE_UNWRITABLE
            : writeNewFile(source, target, entries, count, newFileEncoding, wideValues);
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    if (target == INVALID_HANDLE_VALUE) return result;
    CloseHandle(target);
    if (result == INI_REWRITE_WRITTEN && !replaceFile(temporary, path))
        result = INI_REWRITE_UNWRITABLE;
    if (result != INI_REWRITE_WRITTEN) DeleteFileA(temporary);
    return result;
}
