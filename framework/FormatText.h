#pragma once

#include <cstddef>

// snprintf's promise, bounded and always terminated, from the system's own formatter (no floating
// point): MinGW's would bring about 24 KB of formatting that no text of ours uses. The length
// written; a text that does not fit is cut.
int formatText(char* out, size_t size, const char* format, ...);
