#pragma once

#include <windows.h>

// What Quillon lets itself touch under the Run key, which starts programs for every user.

// The longest value name taken from Quillon.ini, in code units.
const int VALUE_NAME_MAX = 127;

// Whether name is a plain name of at most VALUE_NAME_MAX units: ASCII letters, digits, blanks
// and "._-" only. Anything else (a path, a control character, a look-alike) could name a value
// that the user never meant.
bool plainValueName(const wchar_t* name);

// Whether the data of a Run value starts the program at path: its program part, quoted or up
// to the first blank, or all of it, names that file (in any case, as Windows compares file
// names). Arguments after it do not matter.
bool startsProgram(const wchar_t* data, const wchar_t* path);
