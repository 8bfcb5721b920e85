#include "settings/IniText.h"

namespace {

const UINT GB18030 = 54936;

// Decodes UTF-8 into line, whole characters only, as many as fit in size - 1 units. A byte that
// starts no valid sequence (only in a file cut short) becomes U+FFFD.
int decodeUtf8(const unsigned char* p, DWORD count, wchar_t* line, int size) {
    int out = 0;
    unsigned codePoint;
    for (DWORD i = 0; i < count;) {
        int length = utf8SequenceAt(p + i, count - i, &codePoint);
        if (!length) {
            length = 1;
            codePoint = 0xFFFD;
        }
        int units = codePoint > 0xFFFF ? 2 : 1;
        if (out + units > size - 1) break;
        if (units == 2) {
            codePoint -= 0x10000;
            line[out++] = static_cast<wchar_t>(0xD800 + (codePoint >> 10));
            line[out++] = static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            line[out++] = static_cast<wchar_t>(codePoint);
        }
        i += static_cast<DWORD>(length);
    }
    return out;
}

// Decodes code-page text; no character takes more code units than bytes, so a prefix of whole
// characters of size - 1 bytes fits.
int decodeAnsi(const unsigned char* p, DWORD count, wchar_t* line, int size) {
    DWORD fits = 0;
    while (fits < count) {
        DWORD step = IsDBCSLeadByte(p[fits]) ? 2 : 1;
        if (fits + step > count || fits + step > static_cast<DWORD>(size - 1)) break;
        fits += step;
    }
    if (!fits) return 0;
    return MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(p), static_cast<int>(fits),
                               line, size - 1);
}

int decodeUtf16(const unsigned char* p, DWORD count, wchar_t* line, int size) {
    int out = 0;
    for (DWORD i = 0; i + 1 < count && out < size - 1; i += 2)
        line[out++] = static_cast<wchar_t>(p[i] | (p[i + 1] << 8));
    // A high surrogate whose partner was cut off is no character.
    if (out > 0 && line[out - 1] >= 0xD800 && line[out - 1] <= 0xDBFF) --out;
    return out;
}

DWORD unitSize(IniEncoding encoding) { return encoding == INI_UTF16LE ? 2 : 1; }

bool isLineFeedAt(const IniFile& file, DWORD i) {
    if (file.encoding == INI_UTF16LE) return file.bytes[i] == '\n' && file.bytes[i + 1] == 0;
    return file.bytes[i] == '\n';
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t* trimBlanks(wchar_t* text) {
    while (isBlank(*text)) ++text;
    wchar_t* end = text + lstrlenW(text);
    while (end > text && isBlank(end[-1])) --end;
    *end = 0;
    return text;
}

wchar_t asciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool namesEqual(const wchar_t* a, const wchar_t* b) {
    for (; *a && asciiUpper(*a) == asciiUpper(*b); ++a, ++b) {
    }
    return asciiUpper(*a) == asciiUpper(*b);
}

wchar_t* withoutQuotes(wchar_t* value) {
    int length = lstrlenW(value);
    if (length >= 2 && (value[0] == L'"' || value[0] == L'\'') && value[length - 1] == value[0]) {
        value[length - 1] = 0;
        return value + 1;
    }
    return value;
}

int copyCut(const wchar_t* text, wchar_t* value, int size) {
    int length = 0;
    while (text[length] && length < size - 1) ++length;
    if (text[length] && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    for (int i = 0; i < length; ++i) value[i] = text[i];
    value[length] = 0;
    return length;
}

// The name of a section line "[name]" (up to the first ']', without the blanks around it, as
// IniStream reads it), or null for a line without a ']'.
wchar_t* sectionName(wchar_t* line) {
    wchar_t* end = line + 1;
    while (*end && *end != L']') ++end;
    if (!*end) return nullptr;
    *end = 0;
    return trimBlanks(line + 1);
}

int loadFromHandle(IniFile& file, HANDLE handle) {
    setIniBytes(file, nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    DWORD total = 0, got = 0;
    BOOL ok = TRUE;
    while (total < INI_FILE_MAX_BYTES &&
           (ok = ReadFile(handle, file.bytes + total, INI_FILE_MAX_BYTES - total, &got, nullptr)) &&
           got > 0)
        total += got;
    char extra;
    bool cut = total == INI_FILE_MAX_BYTES && ReadFile(handle, &extra, 1, &got, nullptr) && got;
    CloseHandle(handle);
    if (!ok) return 0;
    setIniBytes(file, file.bytes, cut ? iniWholeLinesLength(file.bytes, total) : total);
    return 1;
}

}  // namespace

void setIniBytes(IniFile& file, const void* bytes, DWORD size) {
    if (size > INI_FILE_MAX_BYTES) size = INI_FILE_MAX_BYTES;
    if (bytes && bytes != file.bytes) CopyMemory(file.bytes, bytes, size);
    file.size = size;
    file.encoding = detectIniEncoding(file.bytes, size);
    file.textStart = iniBomSize(file.encoding);
}

int loadIniFile(IniFile& file, const char* path) {
    return loadFromHandle(
        file,
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int loadIniFile(IniFile& file, const wchar_t* path) {
    return loadFromHandle(
        file,
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

IniLineReader::IniLineReader(const IniFile& file) : source(file), position(file.textStart) {}

int IniLineReader::next(wchar_t* line, int size) {
    line[0] = 0;
    if (position >= source.size) return 0;
    DWORD unit = unitSize(source.encoding);
    DWORD end = position;
    while (end + unit <= source.size && !isLineFeedAt(source, end)) end += unit;
    DWORD count = end - position;
    // The carriage return of a CR LF pair belongs to the line break.
    if (count >= unit && source.bytes[end - unit] == '\r' &&
        (unit == 1 || source.bytes[end - 1] == 0))
        count -= unit;
    const unsigned char* start = source.bytes + position;
    int length = source.encoding == INI_UTF16LE ? decodeUtf16(start, count, line, size)
                 : source.encoding == INI_ANSI  ? decodeAnsi(start, count, line, size)
                                                : decodeUtf8(start, count, line, size);
    line[length] = 0;
    position = end + unit;
    return 1;
}

int readIniValue(const IniFile& file, const wchar_t* section, const wchar_t* key,
                 const wchar_t* fallback, wchar_t* value, int size) {
    IniLineReader lines(file);
    wchar_t line[INI_LINE_CHARS];
    bool inSection = false;
    while (lines.next(line, INI_LINE_CHARS)) {
        wchar_t* text = trimBlanks(line);
        if (*text == L'[') {
            wchar_t* name = sectionName(text);
            if (name) inSection = namesEqual(name, section);
            continue;
        }
        if (!inSection || *text == L';') continue;
        wchar_t* equals = text;
        while (*equals && *equals != L'=') ++equals;
        if (!*equals) continue;
        *equals = 0;
        if (namesEqual(trimBlanks(text), key))
            return copyCut(withoutQuotes(trimBlanks(equals + 1)), value, size);
    }
    return copyCut(fallback, value, size);
}

int cutToAnsi(const wchar_t* text, char* field, int fieldSize, int maxUnits) {
    // Look-alike replacements could turn a rule into another; UTF-8 and GB18030 take no flags.
    const UINT codePage = GetACP();
    const DWORD flags = codePage == CP_UTF8 || codePage == GB18030 ? 0 : WC_NO_BEST_FIT_CHARS;
    int bytes = 0, units = 0;
    while (text[units]) {
        bool pair = text[units] >= 0xD800 && text[units] <= 0xDBFF && text[units + 1] >= 0xDC00 &&
                    text[units + 1] <= 0xDFFF;
        int width = pair ? 2 : 1;
        char encoded[8];
        int length = WideCharToMultiByte(CP_ACP, flags, text + units, width, encoded,
                                         sizeof encoded, nullptr, nullptr);
        if (length <= 0) {
            encoded[0] = '?';
            length = 1;
        }
        if (bytes + length > fieldSize - 1 || units + width > maxUnits) break;
        CopyMemory(field + bytes, encoded, length);
        bytes += length;
        units += width;
    }
    field[bytes] = 0;
    return units;
}
