#pragma once

// INI files read as their bytes say, the same on every Windows: UTF-16LE with a BOM, UTF-8 with
// a BOM, UTF-8 without one (valid UTF-8 that is not plain ASCII), else the ANSI code page. The
// system's profile functions treat a BOM differently from one Windows to another, so none of
// them is used. Needs kernel32 only and nothing else of ours, so Quillon compiles it in too.
//
//   IniFile file;                        // the file's bytes, in a fixed buffer
//   loadIniFile(file, path);             // missing or unreadable: an empty file
//   readIniValue(file, L"SECTION", L"KEY", L"default", value, VALUE_SIZE);
//   cutToAnsi(value, field, sizeof field, maxUnits);  // for a fixed ANSI field
//
// A writer that keeps the file's encoding starts from file.encoding and IniLineReader.

#include <windows.h>

#include "settings/IniEncoding.h"

// Bytes read of one file; a longer file is read up to its last line break within them.
// Code units of one line; the rest of a longer line is not read.
enum { INI_FILE_MAX_BYTES = 65536, INI_LINE_CHARS = 1024 };

struct IniFile {
    unsigned char bytes[INI_FILE_MAX_BYTES];
    DWORD size;       // bytes held, the BOM included
    DWORD textStart;  // where the text begins, after the BOM
    IniEncoding encoding;
};

// Reads the file at path. 1 when read; 0, leaving an empty ANSI file, when it is missing or
// unreadable.
int loadIniFile(IniFile& file, const char* path);
int loadIniFile(IniFile& file, const wchar_t* path);
// Takes bytes (at most INI_FILE_MAX_BYTES are kept) as the content of a file.
void setIniBytes(IniFile& file, const void* bytes, DWORD size);

// The lines of a file in order, each decoded to UTF-16 without its line break.
class IniLineReader {
public:
    explicit IniLineReader(const IniFile& file);
    // The next line, cut to size - 1 code units, never inside a character. 0 after the last.
    int next(wchar_t* line, int size);
    // The byte offset of the line that next() decodes next.
    DWORD offset() const { return position; }

private:
    const IniFile& source;
    DWORD position;
};

// The value of key in section (names compare ignoring ASCII case; the first key found counts),
// without the blanks around it and without one pair of enclosing quotes, as the profile
// functions give it. fallback when the key is missing. Cut to size - 1 code units, never inside a
// surrogate pair. Returns the length written.
int readIniValue(const IniFile& file, const wchar_t* section, const wchar_t* key,
                 const wchar_t* fallback, wchar_t* value, int size);

// Copies text into a fixed-width field of the ANSI code page, as many whole characters as fit in
// fieldSize bytes with the terminator and in maxUnits code units of text. A character the code
// page lacks becomes "?", never a look-alike. Returns the code units of text taken, so that a
// UTF-16 copy can be cut at the same character.
int cutToAnsi(const wchar_t* text, char* field, int fieldSize, int maxUnits);
