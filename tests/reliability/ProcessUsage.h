#pragma once

// What a process holds, for the soak tests: committed private memory, kernel handles, and GDI
// and USER objects (the last two read 0 where the system does not count them).

#include <windows.h>

struct ProcessUsage {
    SIZE_T privateBytes;
    DWORD handles, gdi, user;
};

// All zero when the process cannot be opened.
ProcessUsage usageOf(DWORD processId);

// Prints before and after and checks the growth against the soak tests' bounds
// (64 KB of memory, five handles and five objects of each kind).
void expectFlat(const char* what, const ProcessUsage& before, const ProcessUsage& after);
