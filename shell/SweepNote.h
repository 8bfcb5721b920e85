#pragma once

#include <windows.h>

// In bytes of the ANSI code page: what a balloon notification holds.
const int REFUSAL_TITLE_SIZE = 64;
const int REFUSAL_NOTE_SIZE = 256;

// The note after a sweep in which Windows refused windows (refused of them, at least one):
// how many, why, and what the user can do, in the language of the program's face. Returns its
// length; 0, with text empty, when the resources lack it.
int refusalNote(HINSTANCE instance, unsigned refused, char* text, int size);

// The windows a sweep left open, by why.
struct SweepLeftovers {
    unsigned waiting;
    unsigned notResponding;
    unsigned stillOpen;
    unsigned refused;
};

// The one note after a sweep: how many windows did not close (or minimise) and why, or, when
// Windows refused them all, the refusal note. Returns its length; 0, with text empty, when
// every window went.
int sweepNote(HINSTANCE instance, int minimise, const SweepLeftovers& left, char* text, int size);

// The note at start when other programs hold some of Varnel's keys: which (keyList, as
// "Ctrl+Alt+Shift+E, Alt+F9") and where to choose others. Its length; 0 as above.
int keysNotTakenNote(HINSTANCE instance, const char* keyList, char* text, int size);
