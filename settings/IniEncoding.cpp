#include "settings/IniEncoding.h"

namespace {

const unsigned char UTF8_BOM[] = {0xEF, 0xBB, 0xBF};
const unsigned char UTF16LE_BOM[] = {0xFF, 0xFE};

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

int utf8SequenceAt(const unsigned char* p, DWORD remaining, unsigned* codePoint) {
    unsigned char b = p[0];
    if (b < 0x80) {
        *codePoint = b;
        return 1;
    }
    int length;
    unsigned low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (remaining < static_cast<DWORD>(length) || p[1] < low || p[1] > high) return 0;
    unsigned value = b & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i])) return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    *codePoint = value;
    return length;
}

namespace {

// Valid UTF-8 with at least one byte outside ASCII; plain ASCII reads alike either way.
bool isUtf8BeyondAscii(const unsigned char* bytes, DWORD size) {
    bool beyondAscii = false;
    unsigned codePoint;
    for (DWORD i = 0; i < size;) {
        int length = utf8SequenceAt(bytes + i, size - i, &codePoint);
        if (!length) return false;
        if (length > 1) beyondAscii = true;
        i += static_cast<DWORD>(length);
    }
    return beyondAscii;
}

bool startsWith(const unsigned char* bytes, DWORD size, const unsigned char* prefix, DWORD length) {
    if (size < length) return false;
    for (DWORD i = 0; i < length; ++i)
        if (bytes[i] != prefix[i]) return false;
    return true;
}

}  // namespace

IniEncoding detectIniEncoding(const unsigned char* bytes, DWORD size) {
    if (startsWith(bytes, size, UTF16LE_BOM, sizeof UTF16LE_BOM)) return INI_UTF16LE;
    if (startsWith(bytes, size, UTF8_BOM, sizeof UTF8_BOM)) return INI_UTF8_BOM;
    return isUtf8BeyondAscii(bytes, size) ? INI_UTF8 : INI_ANSI;
}

DWORD iniBomSize(IniEncoding encoding) {
    return encoding == INI_UTF16LE    ? sizeof UTF16LE_BOM
           : encoding == INI_UTF8_BOM ? sizeof UTF8_BOM
                                      : 0;
}

const unsigned char* iniBomBytes(IniEncoding encoding) {
    return encoding == INI_UTF16LE ? UTF16LE_BOM : UTF8_BOM;
}

DWORD iniWholeLinesLength(const unsigned char* bytes, DWORD size) {
    bool utf16 = detectIniEncoding(bytes, size) == INI_UTF16LE;
    DWORD unit = utf16 ? 2 : 1;
    DWORD end = size - size % unit;
    while (end >= unit && !(bytes[end - unit] == '\n' && (!utf16 || bytes[end - 1] == 0)))
        end -= unit;
    return end;
}
