#pragma once

// The one reader of every INI file of ours, and its writer: the program's own keys of a file,
// read or rewritten in one streaming pass with fixed memory, however large the file and however
// long its lines. Every line that is not one of those keys is kept byte for byte, in the file's
// own encoding (ANSI and UTF-8: one byte a code unit; UTF-16LE: two). Lines end at LF, CR LF or
// a lone CR. Names compare ignoring ASCII case, blanks around names and values do not count, a
// section's name ends at the first ']' (a line without one is no section header), one pair of
// quotes around a value is taken off, and only the first section of a name and its first key
// count. Lines that a rewrite adds end as the file's first line does (CR LF in a file that has
// none yet).
//
//   IniStream reader(entries, count, encoding, nullptr);  // fills value, wide and found
//   reader.feed(bytes, size); ... reader.finish();
//   IniStream writer(entries, count, encoding, &sink);    // found from the reading pass
//   writer.feed(bytes, size); ... ok = writer.finish();

#include <windows.h>

#include "settings/IniEncoding.h"

// INI_VALUE_BYTES: the bytes of a value that a reading pass keeps, enough for the longest
// UTF-16 field of ours in UTF-8 with room to tell that a value is longer.
enum {
    INI_ENTRY_VALUE_SIZE = 128,
    INI_NAME_CAP = 16,
    INI_MAX_ENTRIES = 32,
    INI_VALUE_BYTES = 1024
};

struct IniEntry {
    const char* section;
    char key[INI_NAME_CAP + 1];
    // read: the value found, in the file's bytes (in a UTF-16 file, "?" for a unit beyond ASCII);
    // write: the value to write, in the file's bytes; a UTF-16 file takes UTF-8
    char value[INI_ENTRY_VALUE_SIZE];
    int found;  // read: the key is in the file; write: set from reading
    // read, where set: the value in UTF-16, cut to wideSize - 1 units at a whole character
    wchar_t* wide;
    int wideSize;
};

// Where a rewriting pass puts its bytes.
class IniSink {
public:
    virtual void put(const unsigned char* bytes, DWORD size) = 0;

protected:
    ~IniSink() = default;
};

class IniStream {
public:
    // The encoding of the bytes fed, after any BOM. sink null: a reading pass.
    IniStream(IniEntry* entries, int count, IniEncoding encoding, IniSink* sink);
    void feed(const unsigned char* bytes, DWORD size);
    // Reading: 1. Rewriting: writes what is missing; 1 when every entry has been written once
    // (0 when the text was not the one that the reading pass saw).
    int finish();

private:
    enum Phase { LINE_START, SECTION, KEY, VALUE, REST };
    void unit(unsigned value, const unsigned char* bytes);
    void endLine();
    void appendToName(unsigned value);
    void startValue(int entry);
    void takeValue();
    void insertMissing(int first);
    void putText(const char* chars);
    void putUnit(unsigned value);
    void putLine(const IniEntry& entry);
    void emit(const unsigned char* bytes);
    void emitRun(const unsigned char* bytes, DWORD size);
    void flush();
    int entryOf(int inSection) const;

    IniEntry* entries;
    int count;
    IniEncoding encoding;
    int unitBytes;
    IniSink* sink;
    Phase phase = LINE_START;
    int section = -1;        // entry whose section the current lines belong to, or -1
    int pendingInsert = -1;  // a section header of ours just ended: its missing keys follow
    bool afterCarriageReturn = false;
    const char* lineBreak = "\r\n";  // what ends the lines that a rewrite adds
    bool lineBreakKnown = false;
    bool lineOpen = false;  // something written since the last line end
    char name[INI_NAME_CAP + 1];
    int nameLength = 0;  // units of the name so far (may pass INI_NAME_CAP)
    int nameEnd = -1;    // SECTION: the name's length once its ']' came; KEY: to the last non-blank
    int sectionNameEnd = 0;  // SECTION: length up to the last non-blank so far
    int valueEntry = -1;
    unsigned char text[INI_VALUE_BYTES];  // the value's first bytes, as they stand in the file
    int valueUnits = 0;                   // units of the value so far, from its first non-blank
    int valueEnd = 0;                     // units up to the last non-blank
    unsigned firstUnit = 0;
    unsigned lastNonBlank = 0;
    bool valueStarted = false;
    unsigned char pending[2];
    DWORD pendingSize = 0;
    bool sectionSeen[INI_MAX_ENTRIES] = {};
    bool written[INI_MAX_ENTRIES] = {};
    unsigned char out[4096];
    DWORD outSize = 0;
};
