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

// Asks the shell to open target.ini beside the program in its associated editor; does not
// wait. 1 when asked; 0, opening nothing, when the file's path does not fit (the same file
// that loadOtherTarget then does not read).
int editTargetFile();
