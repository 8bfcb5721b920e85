#pragma once

#include <windows.h>

// Registers the common controls' classes (ICC_* flags) when a dialog first needs them, not at
// start: a command from a script uses none, and their loading was half of its run under some
// loaders. Named bare, the library comes through the manifest's version 6, as an import would.
void loadCommonControls(DWORD classes);
