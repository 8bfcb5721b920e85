#pragma once

#include <windows.h>

// In bytes of the ANSI code page: what a balloon notification holds.
const int REFUSAL_TITLE_SIZE = 64;
const int REFUSAL_NOTE_SIZE = 256;

// The note after a sweep in which Windows refused windows (refused of them, at least one):
// how many, why, and what the user can do, in the language of the program's face. Returns its
// length; 0, with text empty, when the resources lack it.
int refusalNote(HINSTANCE instance, unsigned refused, char* text, int size);

// The note at start when other programs hold some of Varnel's keys: which (keyList, as
// "Ctrl+Alt+Shift+E, Alt+F9") and where to choose others. Its length; 0 as above.
int keysNotTakenNote(HINSTANCE instance, const char* keyList, char* text, int size);
