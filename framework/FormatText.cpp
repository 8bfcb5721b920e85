#include "framework/FormatText.h"

#include <cstdarg>
#include <cstdio>

int formatText(char* out, size_t size, const char* format, ...) {
    if (size == 0) return 0;
    va_list arguments;
    va_start(arguments, format);
    int length = _vsnprintf(out, size - 1, format, arguments);
    va_end(arguments);
    out[size - 1] = 0;
    return length < 0 || static_cast<size_t>(length) > size - 1 ? static_cast<int>(size - 1)
                                                                : length;
}
