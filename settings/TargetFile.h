#pragma once

struct OtherTarget;

enum { TARGET_FILE_PATH_SIZE = 260 };

// Fills the texts of record, ANSI and UTF-16, from section TARGETnn of target.ini beside the
// program ("-" for a missing key), in whatever encoding the file was saved; enabled is not
// touched. Always 1.
int loadOtherTarget(int index, OtherTarget& record);

// Sets the texts of record from UTF-16: the ANSI copies cut to their fields' widths in the code
// page at a whole character, the UTF-16 ones whole. A condition (spec, className, text, exe)
// longer than its UTF-16 field sets ruleTooLong; a long name is cut at a whole character.
void setOtherTargetTexts(OtherTarget& record, const wchar_t* name, const wchar_t* spec,
                         const wchar_t* className, const wchar_t* text, const wchar_t* exe = L"-");

// A target that target.ini is to gain, in UTF-16; null for a key that sets no condition ("-").
struct NewOtherTarget {
    const wchar_t* name;
    const wchar_t* className;
    const wchar_t* text;
    const wchar_t* exe;
};

enum TargetFileWrite {
    TARGET_ADDED,
    TARGET_FILE_READ_ONLY,  // left as it is: the user's wish
    TARGET_SLOTS_TAKEN,     // all five sections hold a condition
    TARGET_NOT_ENCODABLE,   // an ANSI file, and a value outside its code page
    TARGET_TOO_LONG,        // a condition longer than a value of the file that Varnel writes
    TARGET_NOT_LITERAL,     // a condition that the file would read as another rule
    TARGET_NOT_WRITTEN,     // error tells why, where the system does
};

// The first of the five targets that is free: its section missing, or each of its conditions
// (SPEC, CLASS, TEXT, EXE) "-". -1 when there is none.
int firstFreeTargetSlot();

// Removes every control character (CR, LF, tab and the like): a value is one line of target.ini.
void removeControlCharacters(wchar_t* text);

// Writes target as section TARGETnn of the first free slot (its index in slot) into target.ini
// beside the program, keeping every other byte of the file and its encoding; a missing file is
// made as UTF-8 with a BOM. Every value reads back as itself: the label loses its control
// characters, a value with blanks around it or in a pair of quotes is written in quotes, and a
// condition that would read as another rule ("-", empty, "!" before a title or program, a
// control character) is refused. An ANSI file that would then read as UTF-8 is refused too.
// Anything but TARGET_ADDED leaves the file as it was.
TargetFileWrite addOtherTarget(const NewOtherTarget& target, int& slot, unsigned long& error);

// target.ini beside the program, which every operation here reads and writes; empty when its
// path does not fit (and then no file is read or written). Returns path.
char* targetFilePath(char (&path)[TARGET_FILE_PATH_SIZE]);
