#include "settings/IniFileRead.h"

namespace {

// The encoding is told from the first block's whole lines.
const DWORD STREAM_BLOCK_SIZE = 65536;
const UINT GB18030 = 54936;

bool isAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

// The entries with their values, UTF-8, in the ANSI code page (a character that it lacks: "?").
IniEntry* inAnsi(IniEntry* entries, int count, IniEntry (&copies)[INI_MAX_ENTRIES]) {
    for (int e = 0; e < count && e < INI_MAX_ENTRIES; ++e) {
        copies[e] = entries[e];
        wchar_t wide[INI_ENTRY_VALUE_SIZE];
        if (!isAscii(entries[e].value) &&
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, entries[e].value, -1, wide,
                                INI_ENTRY_VALUE_SIZE) > 0)
            cutToAnsi(wide, copies[e].value, INI_ENTRY_VALUE_SIZE, INI_ENTRY_VALUE_SIZE);
    }
    return copies;
}

// As much of the source as fits in block, so that the encoding is told from a whole block
// however the reads come. read below size: the source has ended.
bool fillBlock(IniSource& source, unsigned char* block, DWORD size, DWORD& read) {
    read = 0;
    DWORD got = 0;
    do {
        if (!source.get(block + read, size - read, got)) return false;
        read += got;
    } while (got > 0 && read < size);
    return true;
}

IniEncoding encodingOfBlock(const unsigned char* block, DWORD read, IniEncoding newFileEncoding) {
    if (!read) return newFileEncoding;
    return detectIniEncoding(block,
                             read == STREAM_BLOCK_SIZE ? iniWholeLinesLength(block, read) : read);
}

// Nothing found yet: the entries may come from an earlier pass.
void clearFound(IniEntry* entries, int count) {
    for (int e = 0; e < count; ++e) entries[e].found = 0;
}

int readFrom(HANDLE file, IniEntry* entries, int count, IniEncoding* encoding) {
    clearFound(entries, count);
    if (encoding) *encoding = INI_ANSI;
    if (file == INVALID_HANDLE_VALUE) return 0;
    IniFileSource source(file);
    bool read = streamIni(source, entries, count, nullptr, INI_ANSI, encoding);
    CloseHandle(file);
    return read ? 1 : 0;
}

}  // namespace

bool IniFileSource::get(unsigned char* block, DWORD size, DWORD& got) {
    got = 0;
    return file == INVALID_HANDLE_VALUE || ReadFile(file, block, size, &got, nullptr);
}

HANDLE openIniFileToRead(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool iniSourceEncoding(IniSource& source, IniEncoding newFileEncoding, IniEncoding& encoding) {
    unsigned char block[STREAM_BLOCK_SIZE];
    DWORD read = 0;
    if (!fillBlock(source, block, sizeof block, read)) return false;
    encoding = encodingOfBlock(block, read, newFileEncoding);
    return true;
}

bool streamIni(IniSource& source, IniEntry* entries, int count, IniSink* sink,
               IniEncoding newFileEncoding, IniEncoding* encodingFound) {
    unsigned char block[STREAM_BLOCK_SIZE];
    DWORD read = 0;
    if (!fillBlock(source, block, sizeof block, read)) return false;
    IniEncoding encoding = encodingOfBlock(block, read, newFileEncoding);
    if (encodingFound) *encodingFound = encoding;
    DWORD bom = read < iniBomSize(encoding) ? read : iniBomSize(encoding);
    if (sink) sink->put(read ? block : iniBomBytes(encoding), read ? bom : iniBomSize(encoding));
    IniEntry inFileBytes[INI_MAX_ENTRIES];
    if (sink && encoding == INI_ANSI) entries = inAnsi(entries, count, inFileBytes);
    IniStream stream(entries, count, encoding, sink);
    stream.feed(block + bom, read - bom);
    // A read may give less than asked long before the end (network and redirected folders):
    // only nothing at all is the end.
    for (bool more = read == sizeof block; more; more = read > 0) {
        if (!source.get(block, sizeof block, read)) return false;
        stream.feed(block, read);
    }
    return stream.finish() != 0;
}

int readIniFile(const char* path, IniEntry* entries, int count, IniEncoding* encoding) {
    return readFrom(openIniFileToRead(path), entries, count, encoding);
}

int readIniFile(const wchar_t* path, IniEntry* entries, int count) {
    return readFrom(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                    entries, count, nullptr);
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
