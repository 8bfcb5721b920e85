#pragma once

#include <windows.h>

// The language of the program's face. An ANSI program can show Japanese only where the ANSI
// code page is Japanese (932): there the face is Japanese, everywhere else English. The choice
// is made once, when the program starts.
bool japaneseFace();

// The resources of the chosen language, whatever the thread's UI language says; a resource
// that exists in another language only is taken from there. Null when there is none.
LPCDLGTEMPLATEA loadUiDialog(HINSTANCE instance, const char* name);
HMENU loadUiMenu(HINSTANCE instance, const char* name);
// Like LoadStringA: the string converted to the ANSI code page, cut to fit; its length.
int loadUiString(HINSTANCE instance, UINT id, char* out, int size);
// The same in UTF-16, as the resource holds it.
int loadUiStringW(HINSTANCE instance, UINT id, wchar_t* out, int size);
