#pragma once

#include <windows.h>

// Whether a program may be started for every user who logs on: only if nobody but
// administrators, SYSTEM and TrustedInstaller can change it or put another in its place.
// Everyone else counts as untrusted, the user who started Quillon included: his own programs,
// running without elevation, could change whatever his account may change.

// Whether an untrusted account could change the object that `descriptor` protects: write to
// it or add to it, delete it or its children, or change its rights or owner.
bool othersCanChange(PSECURITY_DESCRIPTOR descriptor);

// Whether an untrusted account could take a folder further up the program's path away, and put
// one of its own in its place: delete or rename it or a folder in it, or change its rights or
// owner. Adding to it is harmless: what is on the path stays.
bool othersCanRemoveFrom(PSECURITY_DESCRIPTOR descriptor);

// Whether an untrusted account could change the program at `path` or its folder, or take a
// folder further up away. A part of the path that does not exist yet is judged by the nearest
// folder that does, where it would be made; a descriptor that cannot be read counts against it.
bool othersCanReplace(const wchar_t* path);
