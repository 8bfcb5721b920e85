// Quillon asks, in one message box, whether the program named in Quillon.ini is to start with
// Windows, and adds or removes its value under the machine-wide Run key. All text is UTF-16.

#include <windows.h>

#include <wchar.h>

#include "AutorunSafety.h"
#include "ErrorText.h"
#include "QuillonIds.h"
#include "RunValue.h"
#include "framework/StringTable.h"
#include "settings/IniFileRead.h"

namespace {

const wchar_t RUN_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const LCID LOCALE_JAPANESE = 1041;
const LCID LOCALE_ENGLISH = 1033;

const int FIELD_CHARS = 128;
const int PATH_CHARS = 2048;
// Enough for the longest name and current value; wsprintfW would stop at 1024 characters.
const int QUESTION_CHARS = 4096;

// One unit more than a name may have, so that a longer KEY is seen, never cut to another name.
wchar_t valueName[VALUE_NAME_MAX + 2];
wchar_t displayName[FIELD_CHARS];
wchar_t targetFile[FIELD_CHARS];
bool useJapanese;

wchar_t iniPath[PATH_CHARS];
wchar_t currentValue[PATH_CHARS];
wchar_t programPath[PATH_CHARS];
wchar_t runValueData[PATH_CHARS];
wchar_t question[QUESTION_CHARS];

// Quillon's texts in the chosen language, indexed by their string ids.
const int TEXT_CHARS = 1024;
wchar_t texts[QUILLON_TEXT_COUNT][TEXT_CHARS];

const wchar_t* text(int id) { return texts[id]; }

// The string table in the chosen language, whatever the thread's UI language says.
void loadTexts() {
    LANGID language = useJapanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                  : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    for (int id = 1; id < QUILLON_TEXT_COUNT; ++id)
        loadStringIn(nullptr, id, language, texts[id], TEXT_CHARS);
}

// Quillon runs elevated, often from a folder the user can write to, so DLLs come from System32
// only. Looked up at run time: Windows 7 without its loader update lacks the function.
void restrictDllSearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (proc) {
        // Through the generic function pointer type, which the compiler accepts as any other.
        reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void (*)()>(proc))(
            LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// Appends text to the terminated text in buffer, cut to fit size code units in all.
void appendText(wchar_t* buffer, int size, const wchar_t* text) {
    int length = lstrlenW(buffer);
    if (length < size - 1) lstrcpynW(buffer + length, text, size - length);
}

// The path of fileName in Quillon's own folder.
void makeModuleFilePathW(wchar_t* buffer, int size, const wchar_t* fileName) {
    int limit = size - lstrlenW(fileName) - 10;
    DWORD length = GetModuleFileNameW(nullptr, buffer, limit);
    // Before Vista a cut path comes back without its terminating zero.
    buffer[length < static_cast<DWORD>(limit) ? length : limit - 1] = 0;

    wchar_t* folderEnd = buffer;
    for (wchar_t* p = buffer; *p; p = CharNextW(p)) {
        if (*p == L'\\') folderEnd = p + 1;
    }
    *folderEnd = 0;
    // Without any folder (the module path failed) the file is taken from the drive's root.
    if (folderEnd == buffer) appendText(buffer, size, L"\\");
    appendText(buffer, size, fileName);
}

void showMessage(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(nullptr, text, caption, MB_ICONINFORMATION);
}

void showError(LONG code) {
    ErrorText error(code);
    showMessage(error.text(), L"Error");
}

void readCurrentValue() {
    HKEY key;
    LONG result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key);
    if (result != ERROR_SUCCESS) {
        showError(result);
    } else {
        DWORD size = sizeof currentValue;
        RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(currentValue),
                         &size);
        RegCloseKey(key);
        // Stored data need not end with a zero, and a failed query may leave anything behind.
        currentValue[PATH_CHARS - 1] = 0;
    }
    if (!currentValue[0]) lstrcpynW(currentValue, text(IDS_NO_SETTING), PATH_CHARS);
}

// Why Quillon changes nothing: text formatted with one or two texts.
void warn(int id, const wchar_t* first, const wchar_t* second = L"") {
    _snwprintf(question, QUESTION_CHARS - 1, text(id), first, second);
    question[QUESTION_CHARS - 1] = 0;
    MessageBoxW(nullptr, question, text(IDS_CAPTION), MB_ICONWARNING);
}

// Whether the value is missing or starts the program beside Quillon; when it is another
// program's, says whose and leaves it. Its data is read again now: it may have changed while
// the question was open.
bool valueIsOurs(HKEY key) {
    DWORD type = 0, size = sizeof currentValue;
    ZeroMemory(currentValue, sizeof currentValue);
    LONG result = RegQueryValueExW(key, valueName, nullptr, &type,
                                   reinterpret_cast<BYTE*>(currentValue), &size);
    if (result == ERROR_FILE_NOT_FOUND) return true;
    // As the question showed it: stored data need not end with a zero.
    currentValue[result == ERROR_SUCCESS ? PATH_CHARS - 1 : 0] = 0;
    bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    if (result == ERROR_SUCCESS && text && startsProgram(currentValue, programPath)) return true;
    warn(IDS_OTHERS_VALUE, valueName, currentValue);
    return false;
}

void setAutorun() {
    // The Run value starts the program for every user who logs on: one that someone else can
    // replace would open a door into every account, an administrator's included.
    if (othersCanReplace(programPath)) {
        warn(IDS_OTHERS_CAN_CHANGE, programPath);
        return;
    }
    runValueData[0] = L'"';
    lstrcpynW(runValueData + 1, programPath, PATH_CHARS - 1);
    appendText(runValueData, PATH_CHARS - 1, L"\"");

    HKEY key;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUN_KEY, 0,
                                KEY_WRITE | KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (result != ERROR_SUCCESS) {
        showError(result);
        return;
    }
    if (!valueIsOurs(key)) {
        RegCloseKey(key);
        return;
    }
    DWORD bytes = (lstrlenW(runValueData) + 1) * sizeof(wchar_t);
    result = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(runValueData),
                            bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        showError(result);
    } else {
        showMessage(text(IDS_SET_DONE), text(IDS_CAPTION));
    }
}

void removeAutorun() {
    HKEY key;
    LONG result =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key);
    if (result != ERROR_SUCCESS) {
        showError(result);
        return;
    }
    if (!valueIsOurs(key)) {
        RegCloseKey(key);
        return;
    }
    result = RegDeleteValueW(key, valueName);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        showError(result);
    } else {
        showMessage(text(IDS_REMOVED_DONE), text(IDS_CAPTION));
    }
}

void run() {
    makeModuleFilePathW(iniPath, PATH_CHARS, L"Quillon.ini");
    // Read as its bytes say: the profile functions take a UTF-8 file for code-page text.
    IniEntry entries[] = {{"AUTORUN", "KEY", "", 0, valueName, VALUE_NAME_MAX + 2},
                          {"AUTORUN", "NAME", "", 0, displayName, FIELD_CHARS},
                          {"AUTORUN", "FILE", "", 0, targetFile, FIELD_CHARS}};
    const wchar_t* const fallbacks[] = {L"1", L"2", L"3"};
    readIniFile(iniPath, entries, 3);
    for (IniEntry& entry : entries)
        if (!entry.found) lstrcpynW(entry.wide, fallbacks[&entry - entries], entry.wideSize);
    // A key left empty on purpose switches Quillon off.
    if (!valueName[0] || !displayName[0] || !targetFile[0]) return;

    useJapanese = GetThreadLocale() == LOCALE_JAPANESE;
    SetThreadLocale(useJapanese ? LOCALE_JAPANESE : LOCALE_ENGLISH);
    loadTexts();
    if (!plainValueName(valueName)) {
        warn(IDS_NOT_A_PLAIN_NAME, valueName);
        return;
    }
    makeModuleFilePathW(programPath, PATH_CHARS - 1, targetFile);

    readCurrentValue();
    _snwprintf(question, QUESTION_CHARS - 1, text(IDS_QUESTION), displayName, currentValue);
    question[QUESTION_CHARS - 1] = 0;

    switch (MessageBoxW(nullptr, question, text(IDS_CAPTION), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        setAutorun();
        break;
    case IDNO:
        removeAutorun();
        break;
    default:
        break;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    restrictDllSearch();
    run();
    return 0;
}
