#pragma once

// How an INI file's bytes encode its text, told by the bytes alone, the same on every Windows:
// UTF-16LE with a BOM, UTF-8 with a BOM, UTF-8 without one (valid UTF-8 that is not plain
// ASCII), else the ANSI code page. Plain computation on bytes, calling no system function.

#include <windows.h>

enum IniEncoding { INI_ANSI, INI_UTF8, INI_UTF8_BOM, INI_UTF16LE };

IniEncoding detectIniEncoding(const unsigned char* bytes, DWORD size);
// The length of the BOM that the encoding writes first (0 for ANSI and plain UTF-8).
DWORD iniBomSize(IniEncoding encoding);
// That BOM's bytes (iniBomSize of them).
const unsigned char* iniBomBytes(IniEncoding encoding);

// The length of the whole lines in bytes that end somewhere inside a file, so that no character
// is split and the encoding is told from whole characters.
DWORD iniWholeLinesLength(const unsigned char* bytes, DWORD size);

// The length of the well-formed UTF-8 sequence at p (no overlong forms, no surrogates, nothing
// above U+10FFFF), with its code point; 0 when there is none.
int utf8SequenceAt(const unsigned char* p, DWORD remaining, unsigned* codePoint);
