#include "settings/IniStream.h"

#include <cstring>

#include "settings/IniEncoding.h"

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

}  // namespace

IniStream::IniStream(IniEntry* entries, int count, int unitBytes, IniSink* sink)
    : entries(entries), count(count < INI_MAX_ENTRIES ? count : INI_MAX_ENTRIES),
      unitBytes(unitBytes == 2 ? 2 : 1), sink(sink) {}

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
        if (valueLength < INI_ENTRY_VALUE_SIZE)
            text[valueLength] = value < 0x80 || unitBytes == 1 ? static_cast<char>(value) : '?';
        if (valueLength <= INI_ENTRY_VALUE_SIZE) ++valueLength;
        if (!isBlank(value)) {
            valueEnd = valueLength;
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
    valueLength = valueEnd = 0;
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
        int start = 0, end = valueEnd;
        // One pair of quotes around the value is taken off.
        if (end >= 2 && (text[0] == '"' || text[0] == '\'') &&
            lastNonBlank == static_cast<unsigned char>(text[0])) {
            start = 1;
            --end;
        }
        if (end > INI_ENTRY_VALUE_SIZE) end = INI_ENTRY_VALUE_SIZE;
        if (end - start > INI_ENTRY_VALUE_SIZE - 1) end = start + INI_ENTRY_VALUE_SIZE - 1;
        IniEntry& entry = entries[valueEntry];
        memcpy(entry.value, text + start, static_cast<size_t>(end - start));
        entry.value[end - start] = 0;
        entry.found = 1;
    }
    phase = LINE_START;
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
