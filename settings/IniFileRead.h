#pragma once

// An INI file read, or passed through a rewrite, in one streaming pass (IniStream) with a fixed
// buffer, in the encoding that its first bytes tell. Needs kernel32 only and nothing else of
// ours, so Quillon compiles it in too.
//
//   IniEntry entries[] = {{"SECTION", "KEY"}, ...};  // grouped by section; wide: optional
//   readIniFile(path, entries, count);                // value, wide and found from the file

#include "settings/IniStream.h"

// Where a pass takes its bytes from: up to size bytes into block, got 0 at the end; false when
// reading fails. Files give it through ReadFile; the tests give other blocks.
class IniSource {
public:
    virtual bool get(unsigned char* block, DWORD size, DWORD& got) = 0;

protected:
    ~IniSource() = default;
};

// One pass over the whole of source: a reading pass (sink null) or a rewriting one (values in
// UTF-8, written in the file's encoding: the ANSI code page, where a character that it lacks
// becomes "?", UTF-8 or UTF-16LE), in the encoding that the source's first bytes tell
// (newFileEncoding for an empty source), which it stores in encoding when given. False when a
// read fails or the text was not the one that the reading pass saw.
bool streamIni(IniSource& source, IniEntry* entries, int count, IniSink* sink,
               IniEncoding newFileEncoding, IniEncoding* encoding = nullptr);

// A file's bytes, for a pass; an invalid handle gives none.
struct IniFileSource final : IniSource {
    HANDLE file;
    explicit IniFileSource(HANDLE file) : file(file) {}
    bool get(unsigned char* block, DWORD size, DWORD& got) override;
};

// Opens a file for a pass: others may replace it meanwhile (the handle keeps what it opened);
// nobody may write into it while it is read.
HANDLE openIniFileToRead(const char* path);

// The encoding that a pass over source would take, from its first block.
bool iniSourceEncoding(IniSource& source, IniEncoding newFileEncoding, IniEncoding& encoding);

// Fills value, wide and found of each entry from the file (a missing or unreadable file: none
// found, and ANSI). 1 when the file was read to its end.
int readIniFile(const char* path, IniEntry* entries, int count, IniEncoding* encoding = nullptr);
int readIniFile(const wchar_t* path, IniEntry* entries, int count);

// Copies text into a fixed-width field of the ANSI code page, as many whole characters as fit in
// fieldSize bytes with the terminator and in maxUnits code units of text. A character the code
// page lacks becomes "?", never a look-alike. Returns the code units of text taken, so that a
// UTF-16 copy can be cut at the same character.
int cutToAnsi(const wchar_t* text, char* field, int fieldSize, int maxUnits);
