#pragma once

struct OtherTarget;

enum { TARGET_FILE_PATH_SIZE = 260 };

// Fills the four texts of record from section TARGETnn of target.ini beside the program
// ("-" for a missing key); enabled is not touched. Always 1.
int loadOtherTarget(int index, OtherTarget& record);

// Asks the shell to open target.ini beside the program in its associated editor; does not
// wait. 1 when asked; 0, opening nothing, when the file's path does not fit (the same file
// that loadOtherTarget then does not read).
int editTargetFile();
