#pragma once

#include <windows.h>

// The owner and DACL of a file or folder, as the system keeps them. On success *descriptor is
// a self-relative descriptor that the caller frees with LocalFree; otherwise the error code.
DWORD readFileSecurity(const wchar_t* path, PSECURITY_DESCRIPTOR* descriptor);
