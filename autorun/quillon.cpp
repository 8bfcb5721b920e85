// Quillon asks, in one message box, whether the program named in Quillon.ini is to start with
// Windows, and adds or removes its value under the machine-wide Run key. All text is UTF-16.

#include <windows.h>

#include <wchar.h>

#include "ErrorText.h"
#include "settings/IniText.h"

namespace {

const wchar_t RUN_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const LCID LOCALE_JAPANESE = 1041;
const LCID LOCALE_ENGLISH = 1033;

const int FIELD_CHARS = 128;
const int PATH_CHARS = 2048;
// Enough for the longest name and current value; wsprintfW would stop at 1024 characters.
const int QUESTION_CHARS = 4096;

wchar_t valueName[FIELD_CHARS];
wchar_t displayName[FIELD_CHARS];
wchar_t targetFile[FIELD_CHARS];
bool useJapanese;

wchar_t iniPath[PATH_CHARS];
IniFile iniFile;
wchar_t currentValue[PATH_CHARS];
wchar_t runValueData[PATH_CHARS];
wchar_t question[QUESTION_CHARS];

struct Texts {
    const wchar_t* noSetting;
    const wchar_t* question;
    const wchar_t* caption;
    const wchar_t* setDone;
    const wchar_t* removedDone;
};

const Texts JAPANESE_TEXTS = {
    L" 自動起動設定なし",
    L"Windows起動時に、%sを自動起動しますか？\r\n\r\n現在の設定:%s\r\n\r\n"
    L"[はい]\t→自動起動を設定\r\n[いいえ]\t→自動起動設定を解除",
    L"自動起動を設定",
    L"自動起動を設定しました",
    L"自動起動を解除しました",
};

const Texts ENGLISH_TEXTS = {
    L" No autorun setting",
    L"Do you want %s to run automatically?\r\n\r\ncurrent setting:%s\r\n\r\n"
    L"[YES]\t->Set autorun\r\n[NO]\t->Unset autorun",
    L"Auto run setting",
    L"Successfully set up automatic startup",
    L"Deleted settings successfully.",
};

const Texts& texts() { return useJapanese ? JAPANESE_TEXTS : ENGLISH_TEXTS; }

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
    if (!currentValue[0]) lstrcpynW(currentValue, texts().noSetting, PATH_CHARS);
}

void setAutorun() {
    runValueData[0] = L'"';
    makeModuleFilePathW(runValueData + 1, PATH_CHARS - 1, targetFile);
    appendText(runValueData, PATH_CHARS - 1, L"\"");

    HKEY key;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_WRITE | KEY_WOW64_64KEY, &key);
    if (result != ERROR_SUCCESS) {
        showError(result);
        return;
    }
    DWORD bytes = (lstrlenW(runValueData) + 1) * sizeof(wchar_t);
    result = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(runValueData),
                            bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        showError(result);
    } else {
        showMessage(texts().setDone, texts().caption);
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
    result = RegDeleteValueW(key, valueName);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        showError(result);
    } else {
        showMessage(texts().removedDone, texts().caption);
    }
}

void run() {
    makeModuleFilePathW(iniPath, PATH_CHARS, L"Quillon.ini");
    // Read as its bytes say: the profile functions take a UTF-8 file for code-page text.
    loadIniFile(iniFile, iniPath);
    readIniValue(iniFile, L"AUTORUN", L"KEY", L"1", valueName, FIELD_CHARS);
    readIniValue(iniFile, L"AUTORUN", L"NAME", L"2", displayName, FIELD_CHARS);
    readIniValue(iniFile, L"AUTORUN", L"FILE", L"3", targetFile, FIELD_CHARS);
    // A key left empty on purpose switches Quillon off.
    if (!valueName[0] || !displayName[0] || !targetFile[0]) return;

    useJapanese = GetThreadLocale() == LOCALE_JAPANESE;
    SetThreadLocale(useJapanese ? LOCALE_JAPANESE : LOCALE_ENGLISH);

    readCurrentValue();
    _snwprintf(question, QUESTION_CHARS - 1, texts().question, displayName, currentValue);
    question[QUESTION_CHARS - 1] = 0;

    switch (MessageBoxW(nullptr, question, texts().caption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
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
