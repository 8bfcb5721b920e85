#pragma once

// An INI file's program-owned keys rewritten in one streaming pass (IniStream). A rewrite keeps
// every other byte of the file, its encoding and its line endings. The new
// content goes into a temporary file beside it, is flushed, and then takes the file's place in
// one step: a failure or a kill at any moment leaves either the old file or the new one, whole.
//
//   IniEntry entries[] = {...};   // section, key and the value to write; grouped by section
//   switch (rewriteIniFile(path, entries, count, INI_UTF8_BOM)) { ... }

#include "settings/IniFileRead.h"

enum IniRewriteResult {
    INI_REWRITE_WRITTEN,     // the file holds the new values
    INI_REWRITE_READ_ONLY,   // a read-only file, left as it is: the user's wish
    INI_REWRITE_UNREADABLE,  // the current file could not be read (another program holds it)
    INI_REWRITE_UNWRITABLE,  // no temporary file, a failed write or replace, or a folder there
    INI_REWRITE_ENCODING_CHANGED,  // INI_STAYS_ANSI, and the new file would read as UTF-8
};

// Whether an ANSI file must still read as ANSI after the rewrite. Values of plain ASCII (the
// settings file's) read alike either way; others would be garbled.
enum IniAnsiRule { INI_ANY_ENCODING_AFTER, INI_STAYS_ANSI };

// Sets each entry's found from the current file, then writes the file with every entry's value
// (UTF-8 text, written in the file's encoding: the ANSI code page, where a character that it
// lacks becomes "?", UTF-8 or UTF-16LE). A file that does not exist yet is made in newFileEncoding
// (with its BOM, if the encoding has one); an existing file keeps its own. Anything but
// INI_REWRITE_WRITTEN leaves the file exactly as it was.
IniRewriteResult rewriteIniFile(const char* path, IniEntry* entries, int count,
                                IniEncoding newFileEncoding,
                                IniAnsiRule ansiRule = INI_ANY_ENCODING_AFTER);

enum { INI_TEMPORARY_NAME_SIZE = 9 };

// The name of a temporary file of a rewrite (number: any), as a rewrite cut short by a kill
// leaves it beside the file. The next rewrite there removes one that is more than a minute old,
// not dated in the future, and empty or beginning as the file does; no other file.
void iniTemporaryName(unsigned number, char (&name)[INI_TEMPORARY_NAME_SIZE]);
