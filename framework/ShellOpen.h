#pragma once

// Asks the shell to open the file at path (a full path) in the program associated with it, with
// the file's folder as the working folder; does not wait. 0, opening nothing, for an empty path
// or one the system cannot take apart: an empty folder would have the shell look in the current
// folder and on the PATH.
int openWithShell(const char* path);
