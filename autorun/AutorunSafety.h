#pragma once

#include <windows.h>

// Whether a program may be started for every user who logs on: only if nobody but
// administrators, SYSTEM and TrustedInstaller can change it or put another in its place.
// Everyone else counts as untrusted, the user who started Quillon included: his own programs,
// running without elevation, could change whatever his account may change.

// Whether an untrusted account could change the object that `descriptor` protects: write to
// it or add to it, delete it or its children, or change its rights or owner.
bool othersCanChange(PSECURITY_DESCRIPTOR descriptor);

// Whether an untrusted account could change the program at `path` or its folder. A part of
// the path that does not exist yet is judged by the nearest folder that does, where it would be
// made; a descriptor that cannot be read counts as changeable.
bool othersCanReplace(const wchar_t* path);
