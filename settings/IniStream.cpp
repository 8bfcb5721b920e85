#include "settings/IniStream.h"

#include <cstring>

namespace {

bool isBlank(unsigned unit) { return unit == ' ' || unit == '\t' || unit == '\v' || unit == '\f'; }

// Names are ASCII: any other unit becomes a byte that no name holds.
char foldedName(unsigned unit) {
    if (unit >= 0x80) return 0x7F;
    return unit >= 'A' && unit <= 'Z' ? static_cast<char>(unit - 'A' + 'a')
                                      : static_cast<char>(unit);
}

bool sameName(const char* folded, int length, const char* name) {
    int i = 0;
    for (; i < length && name[i]; ++i)
        if (foldedName(static_cast<unsigned char>(name[i])) != folded[i]) return false;
    return i == length && !name[i];
}

// Decodes UTF-8 into out, whole characters only, as many as fit in size - 1 units. A byte that
// starts no valid sequence becomes U+FFFD.
int decodeUtf8(const unsigned char* p, DWORD count, wchar_t* out, int size) {
    int length = 0;
    unsigned codePoint;
    for (DWORD i = 0; i < count;) {
        int sequence = utf8SequenceAt(p + i, count - i, &codePoint);
        if (!sequence) {
            sequence = 1;
            codePoint = 0xFFFD;
        }
        int units = codePoint > 0xFFFF ? 2 : 1;
        if (length + units > size - 1) break;
        if (units == 2) {
            codePoint -= 0x10000;
            out[length++] = static_cast<wchar_t>(0xD800 + (codePoint >> 10));
            out[length++] = static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
        } else {
            out[length++] = static_cast<wchar_t>(codePoint);
        }
        i += static_cast<DWORD>(sequence);
    }
    return length;
}

// Copies units into out, as many as fit in size - 1, never half a surrogate pair.
int copyWhole(const wchar_t* units, int count, wchar_t* out, int size) {
    int length = count < size - 1 ? count : size - 1;
    if (length < count && length > 0 && units[length - 1] >= 0xD800 && units[length - 1] <= 0xDBFF)
        --length;
    for (int i = 0; i < length; ++i) out[i] = units[i];
    return length;
}

// Decodes code-page text, whole characters only.
int decodeAnsi(const unsigned char* p, DWORD count, wchar_t* out, int size) {
    DWORD whole = 0;
    while (whole < count) {
        DWORD step = IsDBCSLeadByte(p[whole]) ? 2 : 1;
        if (whole + step > count) break;
        whole += step;
    }
    wchar_t units[INI_VALUE_BYTES];
    int length = whole ? MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(p),
                                             static_cast<int>(whole), units, INI_VALUE_BYTES)
                       : 0;
    return copyWhole(units, length, out, size);
}

int decodeUtf16(const unsigned char* p, DWORD count, wchar_t* out, int size) {
    wchar_t units[INI_VALUE_BYTES / 2];
    int length = 0;
    for (DWORD i = 0; i + 1 < count && length < INI_VALUE_BYTES / 2; i += 2)
        units[length++] = static_cast<wchar_t>(p[i] | (p[i + 1] << 8));
    return copyWhole(units, length, out, size);
}

}  // namespace

IniStream::IniStream(IniEntry* entries, int count, IniEncoding encoding, IniSink* sink)
    : entries(entries), count(count < INI_MAX_ENTRIES ? count : INI_MAX_ENTRIES),
      encoding(encoding), unitBytes(encoding == INI_UTF16LE ? 2 : 1), sink(sink) {}

void IniStream::feed(const unsigned char* bytes, DWORD size) {
    for (DWORD i = 0; i < size; ++i) {
        // Most of a large file is the rest of lines that are not ours: passed on in runs.
        if (unitBytes == 1 && phase == REST) {
            DWORD end = i;
            while (end < size && bytes[end] != '\r' && bytes[end] != '\n') ++end;
            emitRun(bytes + i, end - i);
            i = end;
            if (i == size) break;
        }
        pending[pendingSize++] = bytes[i];
        if (static_cast<int>(pendingSize) < unitBytes) continue;
        pendingSize = 0;
        unit(unitBytes == 2 ? pending[0] | pending[1] << 8 : pending[0], pending);
    }
}

int IniStream::entryOf(int inSection) const {
    if (inSection < 0) return -1;
    for (int e = inSection;
         e < count && strcmp(entries[e].section, entries[inSection].section) == 0; ++e)
        if (sameName(name, nameEnd, entries[e].key)) return e;
    return -1;
}

void IniStream::unit(unsigned value, const unsigned char* bytes) {
    if (afterCarriageReturn && value == '\n') {
        afterCarriageReturn = false;
        lineBreakKnown = true;
        emit(bytes);
        return;
    }
    if (afterCarriageReturn && !lineBreakKnown) {  // a lone CR ends the file's lines
        lineBreak = "\r";
        lineBreakKnown = true;
    }
    afterCarriageReturn = false;
    if (pendingInsert >= 0) {
        insertMissing(pendingInsert);
        pendingInsert = -1;
    }
    if (value == '\r' || value == '\n') {
        // Lines that a rewrite adds end as the file's first line does.
        if (value == '\n' && !lineBreakKnown) lineBreak = "\n";
        lineBreakKnown = lineBreakKnown || value == '\n';
        endLine();
        emit(bytes);
        afterCarriageReturn = value == '\r';
        lineOpen = false;
        return;
    }
    lineOpen = true;
    if (phase == LINE_START) {
        if (isBlank(value)) {
            emit(bytes);
            return;
        }
        phase = value == '[' ? SECTION : KEY;
        nameLength = 0;
        nameEnd = phase == SECTION ? -1 : 0;
        sectionNameEnd = 0;
        if (phase == SECTION) {
            emit(bytes);
            return;
        }
    }
    switch (phase) {
    case SECTION:  // the name runs to the first ']', without the blanks around it
        emit(bytes);
        if (nameEnd >= 0 || (nameLength == 0 && isBlank(value))) break;
        if (value == ']') {
            nameEnd = sectionNameEnd;
            break;
        }
        appendToName(value);
        if (!isBlank(value)) sectionNameEnd = nameLength;
        break;
    case KEY:
        emit(bytes);
        if (value == '=') {
            int e = nameEnd <= INI_NAME_CAP ? entryOf(section) : -1;
            if (e >= 0 && !written[e])
                startValue(e);
            else
                phase = REST;
            break;
        }
        appendToName(value);
        if (!isBlank(value)) nameEnd = nameLength;
        break;
    case VALUE:  // the old value is never copied: a rewriting pass has written its own
        if (!valueStarted && isBlank(value)) break;
        valueStarted = true;
        if (valueUnits == 0) firstUnit = value;
        // Units past what is kept are counted up to one more, which tells that the value is cut.
        if (valueUnits < INI_VALUE_BYTES / unitBytes) {
            memcpy(text + static_cast<size_t>(valueUnits) * unitBytes, bytes,
                   static_cast<size_t>(unitBytes));
            ++valueUnits;
        } else {
            valueUnits = INI_VALUE_BYTES / unitBytes + 1;
        }
        if (!isBlank(value)) {
            valueEnd = valueUnits;
            lastNonBlank = value;
        }
        break;
    default:
        emit(bytes);
        break;
    }
}

// A name longer than any of ours is counted one past the cap, which no entry matches.
void IniStream::appendToName(unsigned value) {
    if (nameLength < INI_NAME_CAP) name[nameLength] = foldedName(value);
    if (nameLength <= INI_NAME_CAP) ++nameLength;
}

void IniStream::startValue(int entry) {
    written[entry] = true;
    valueEntry = entry;
    valueUnits = valueEnd = 0;
    valueStarted = false;
    phase = VALUE;
    if (sink) putText(entries[entry].value);
}

void IniStream::endLine() {
    if (phase == SECTION && nameEnd >= 0) {
        section = -1;
        for (int e = 0; nameEnd <= INI_NAME_CAP && e < count; ++e) {
            if (!sameName(name, nameEnd, entries[e].section)) continue;
            // Only the first section of a name counts, as it does for the profile functions.
            if (!sectionSeen[e]) {
                sectionSeen[e] = true;
                section = e;
                if (sink) pendingInsert = e;
            }
            break;
        }
    } else if (phase == VALUE && !sink) {
        takeValue();
    }
    phase = LINE_START;
}

// The value without the blanks around it and without one pair of enclosing quotes.
void IniStream::takeValue() {
    int start = 0, end = valueEnd;
    if (end >= 2 && (firstUnit == '"' || firstUnit == '\'') && lastNonBlank == firstUnit) {
        start = 1;
        --end;
    }
    const int kept = INI_VALUE_BYTES / unitBytes;
    if (end > kept) end = kept;
    IniEntry& entry = entries[valueEntry];
    int length = 0;
    for (size_t i = static_cast<size_t>(start);
         i < static_cast<size_t>(end) && length < INI_ENTRY_VALUE_SIZE - 1; ++i) {
        unsigned unit = unitBytes == 2 ? text[2 * i] | text[2 * i + 1] << 8 : text[i];
        entry.value[length++] = unit < 0x80 || unitBytes == 1 ? static_cast<char>(unit) : '?';
    }
    entry.value[length] = 0;
    if (entry.wide && entry.wideSize > 0) {
        const unsigned char* bytes = text + static_cast<size_t>(start) * unitBytes;
        DWORD size = static_cast<DWORD>(end - start) * static_cast<DWORD>(unitBytes);
        int units = encoding == INI_UTF16LE ? decodeUtf16(bytes, size, entry.wide, entry.wideSize)
                    : encoding == INI_ANSI  ? decodeAnsi(bytes, size, entry.wide, entry.wideSize)
                                            : decodeUtf8(bytes, size, entry.wide, entry.wideSize);
        entry.wide[units] = 0;
    }
    entry.found = 1;
}

void IniStream::insertMissing(int first) {
    for (int e = first; e < count && strcmp(entries[e].section, entries[first].section) == 0; ++e) {
        if (entries[e].found || written[e]) continue;
        putLine(entries[e]);
        written[e] = true;
    }
}

// Bytes as they stand in a one-byte encoding; UTF-8 made UTF-16 in a UTF-16 file (a byte that
// starts no UTF-8 sequence stands for itself).
void IniStream::putText(const char* chars) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(chars);
    DWORD remaining = static_cast<DWORD>(strlen(chars));
    while (remaining > 0) {
        unsigned codePoint = *bytes;
        int length = unitBytes == 2 ? utf8SequenceAt(bytes, remaining, &codePoint) : 1;
        if (length == 0) length = 1;
        if (codePoint > 0xFFFF) {
            codePoint -= 0x10000;
            putUnit(0xD800 + (codePoint >> 10));
            codePoint = 0xDC00 + (codePoint & 0x3FF);
        }
        putUnit(codePoint);
        bytes += length;
        remaining -= static_cast<DWORD>(length);
    }
}

void IniStream::putUnit(unsigned value) {
    unsigned char bytes[2] = {static_cast<unsigned char>(value),
                              static_cast<unsigned char>(value >> 8)};
    emit(bytes);
}

void IniStream::putLine(const IniEntry& entry) {
    putText(entry.key);
    putText("=");
    putText(entry.value);
    putText(lineBreak);
    lineOpen = false;
}

void IniStream::emit(const unsigned char* bytes) {
    if (!sink) return;
    if (outSize + 2 > sizeof out) flush();
    memcpy(out + outSize, bytes, static_cast<size_t>(unitBytes));
    outSize += static_cast<DWORD>(unitBytes);
}

void IniStream::emitRun(const unsigned char* bytes, DWORD size) {
    if (!sink) return;
    while (size > 0) {
        if (outSize == sizeof out) flush();
        DWORD part = size < sizeof out - outSize ? size : sizeof out - outSize;
        memcpy(out + outSize, bytes, part);
        outSize += part;
        bytes += part;
        size -= part;
    }
}

void IniStream::flush() {
    if (sink && outSize) sink->put(out, outSize);
    outSize = 0;
}

int IniStream::finish() {
    // An odd last byte of a UTF-16 file is no character of any line: it stays last.
    DWORD stray = pendingSize;
    pendingSize = 0;
    if (afterCarriageReturn && !lineBreakKnown) lineBreak = "\r";
    endLine();
    if (!sink) return 1;
    if (lineOpen) putText(lineBreak);
    lineOpen = false;
    if (pendingInsert >= 0) insertMissing(pendingInsert);
    pendingInsert = -1;
    for (int e = 0; e < count; ++e) {
        bool firstOfSection = e == 0 || strcmp(entries[e].section, entries[e - 1].section) != 0;
        if (!firstOfSection || sectionSeen[e]) continue;
        putText("[");
        putText(entries[e].section);
        putText("]");
        putText(lineBreak);
        insertMissing(e);
    }
    emitRun(pending, stray);
    flush();
    for (int e = 0; e < count; ++e)
        if (!written[e]) return 0;
    return 1;
}
