#pragma once

#include <windows.h>

#include "settings/Settings.h"

// The program behind a window, as far as the rules need it: its image path, read in UTF-16 so
// that a folder in any script compares as it is. A path longer than any EXE value can be keeps
// only its file name, which is all that a rule can then tell it by.
struct ProgramImage {
    int known;  // 0: the process could not be opened (another user's, a protected one) or read
    int whole;  // 1: path is the whole image path; 0: only its file name
    wchar_t path[OTHER_EXE_SIZE];
};

// The last part of an image path: the program's file name.
const wchar_t* fileNameOf(const wchar_t* path);

// Reads the image path of process processId (QueryFullProcessImageNameW on a handle with limited
// query rights, which any program of the user grants).
void readProgramImage(DWORD processId, ProgramImage& image);

// What to call the program: the file description of its version resource in language where it
// has one (else its first), or its file name without ".exe"; empty when its whole path is not
// known.
void programLabelOf(const ProgramImage& image, WORD language, wchar_t* out, int size);

// The EXE condition of a user-defined target: "-" holds for any program; "name.exe" when the
// image's file name equals it, "x\name.exe" when the whole path equals it, both ignoring case as
// Windows file names do; "!" and either for any program but that one. A program whose image is
// not known never equals a name: a positive condition fails, a "!" condition holds. "!" alone
// names no program and never holds.
int exeConditionHolds(const wchar_t* exe, const ProgramImage& image);

// The images that one sweep has read, each process's at most once: several windows of one
// program are common. Emptied at the start of every sweep, since a process id may be reused.
class ProgramImageCache {
public:
    ProgramImageCache() : count(0), next(0) {}
    void clear() { count = next = 0; }
    const ProgramImage& imageOf(DWORD processId);

private:
    enum { ENTRIES = 32 };
    struct Entry {
        DWORD processId;
        ProgramImage image;
    };
    Entry entries[ENTRIES];
    int count;
    int next;  // the entry that a new process takes once all are in use
};
