#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <shlobj.h>

#include <thread>

#include "settings/IniFileRewrite.h"
#include "settings/PathUtil.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/TargetFile.h"
#include "tests/support/TestSupport.h"

namespace {

std::string ansiOf(const std::wstring& text) { return test::encodedText(text, INI_ANSI); }

std::string besideProgram(const char* name) { return test::binFolder() + name; }

std::string profile(const std::string& path, const char* section, const char* key) {
    char value[512];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
    return value;
}

// Files in the settings folder other than default.ini: what saves left behind.
int strayFiles() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((test::appDataFolder() + "\\Lumo\\Varnel\\*").c_str(), &data);
    int stray = 0;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do stray += strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..") && strcmp(data.cFileName, "default.ini");
    while (FindNextFileA(find, &data));
    FindClose(find);
    return stray;
}

// Another program's handle on the settings file, opened with the given sharing and closed
// after a while on a thread of its own; the save under test runs meanwhile.
class OtherProgramsHandle {
public:
    OtherProgramsHandle(const std::string& file, DWORD sharing, DWORD holdMs)
        : handle(CreateFileA(file.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr)) {
        if (opened())
            letGo = std::thread([this, holdMs] {
                Sleep(holdMs);  // the other program's hold, not a wait for a result
                CloseHandle(handle);
            });
    }
    ~OtherProgramsHandle() {
        if (letGo.joinable()) letGo.join();
    }
    bool opened() const { return handle != INVALID_HANDLE_VALUE; }
    void waitClosed() { letGo.join(); }

private:
    HANDLE handle;
    std::thread letGo;
};

// Bytes in memory, given in reads of at most `most` bytes, as a network folder may give them.
struct ShortReads final : IniSource {
    std::string bytes;
    DWORD most;
    size_t at = 0;
    bool get(unsigned char* block, DWORD size, DWORD& got) override {
        got = static_cast<DWORD>(std::min<size_t>({size, most, bytes.size() - at}));
        memcpy(block, bytes.data() + at, got);
        at += got;
        return true;
    }
};

struct StringSink final : IniSink {
    std::string bytes;
    void put(const unsigned char* data, DWORD size) override {
        bytes.append(reinterpret_cast<const char*>(data), size);
    }
};

// A value as the one reader gives it, in UTF-16 cut to size - 1 units; "<missing>" when the key
// is not there.
std::wstring valueIn(IniSource& source, const char* section, const char* key, int size = 256,
                     IniEncoding* encoding = nullptr) {
    wchar_t value[512] = {};
    IniEntry entry = {section, "", "", 0, value, size};
    lstrcpynA(entry.key, key, sizeof entry.key);
    IniEncoding found = INI_ANSI;
    if (!streamIni(source, &entry, 1, nullptr, INI_ANSI, &found)) return L"<unreadable>";
    if (encoding) *encoding = found;
    return entry.found ? value : L"<missing>";
}

// Bytes in memory, read whole.
ShortReads inMemory(const std::string& bytes) {
    ShortReads source;
    source.bytes = bytes;
    source.most = 0xFFFFFFFFu;
    return source;
}

std::wstring iniValue(const std::string& bytes, const char* section, const char* key, int size = 256) {
    ShortReads source = inMemory(bytes);
    return valueIn(source, section, key, size);
}

std::wstring fileValue(const std::string& path, const char* section, const char* key, IniEncoding* encoding = nullptr) {
    ShortReads source = inMemory(test::readFile(path));
    return valueIn(source, section, key, 256, encoding);
}

// Each test starts as on a first run: no application-data file, no files beside the program.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    void clean() {
        test::removeAppDataSettings();
        DeleteFileA(besideProgram("vrnl.ini").c_str());
        DeleteFileA(besideProgram("target.ini").c_str());
    }
    Settings loaded(int* showWelcome = nullptr) {
        Settings s;
        setInitialSettings(s);
        int welcome = loadSettings(s);
        if (showWelcome) *showWelcome = welcome;
        return s;
    }
};

TEST_F(SettingsFiles, NoFileGivesTheDefaults) {
    Settings initial;
    setInitialSettings(initial);
    int welcome = 0;
    Settings s = loaded(&welcome);
    EXPECT_EQ(1, welcome);
    EXPECT_EQ(0, memcmp(&initial, &s, sizeof s));
    EXPECT_EQ(1, s.showOnTop);
    EXPECT_EQ(1, s.selection.targetExplorer);
    EXPECT_EQ(50, s.waitTime);
    EXPECT_EQ(-1, s.dialogLeft);
    EXPECT_EQ(0, s.hotkeyMode);
}

TEST_F(SettingsFiles, FirstStartReadsVrnlIniThenTheApplicationDataFile) {
    test::writeFile(besideProgram("vrnl.ini"),
                    "[TARGET]\r\nIE=true\r\nAP03=true\r\n[SETTINGS]\r\nWAITTIME=75ms\r\nRUNNEXT=false\r\n"
                    "[RECT]\r\nLEFT=-5\r\n");
    int welcome = 1;
    Settings s = loaded(&welcome);
    EXPECT_EQ(0, welcome);
    EXPECT_EQ(1, s.selection.targetChromium);
    EXPECT_EQ(1, s.selection.otherTargets[3].enabled);
    EXPECT_EQ(75, s.waitTime);
    EXPECT_EQ(-5, s.dialogLeft);

    s.waitTime = 120;
    saveSettings(s);
    ASSERT_TRUE(test::fileExistsPlain(test::appDataSettingsFile()));
    test::writeFile(besideProgram("vrnl.ini"), "[SETTINGS]\r\nWAITTIME=7\r\n");
    EXPECT_EQ(120, loaded().waitTime) << "vrnl.ini serves only the first start";
}

TEST_F(SettingsFiles, OnlyExactTrueIsOn) {
    test::writeFile(besideProgram("vrnl.ini"),
                    "[TARGET]\r\nEX=TRUE\r\nIE=true\r\nNN=1\r\nAP00=yes\r\nAP01=True\r\nAP02=\r\n"
                    "[OPTIONS]\r\nTOPMOST=false\r\nKEEP1ST=true\r\n");
    Settings s = loaded();
    EXPECT_EQ(0, s.selection.targetExplorer);
    EXPECT_EQ(1, s.selection.targetChromium);
    EXPECT_EQ(0, s.selection.targetFirefox);
    EXPECT_EQ(0, s.selection.otherTargets[0].enabled);
    EXPECT_EQ(0, s.selection.otherTargets[1].enabled);
    EXPECT_EQ(0, s.selection.otherTargets[2].enabled);
    EXPECT_EQ(0, s.showOnTop);
    EXPECT_EQ(1, s.keepTopmost);
}

TEST_F(SettingsFiles, IntegersAndTheWaitTimeRange) {
    std::string longBlank(130, ' ');
    test::writeFile(besideProgram("vrnl.ini"),
                    "[RECT]\r\nLEFT=99999999999\r\nTOP=-99999999999\r\n[HOTKEY]\r\nMODE=x1\r\n"
                    "[SETTINGS]\r\nWAITTIME=100000\r\n");
    Settings s = loaded();
    EXPECT_EQ(INT_MAX, s.dialogLeft);
    EXPECT_EQ(INT_MIN, s.dialogTop);
    EXPECT_EQ(0, s.hotkeyMode);
    EXPECT_EQ(200, s.waitTime);

    // Values are cut at 127 bytes before conversion: the digit after 130 bytes is never seen.
    test::writeFile(besideProgram("vrnl.ini"),
                    "[RECT]\r\nLEFT=0" + longBlank + "5\r\n[HOTKEY]\r\nMODE= +1\r\n[SETTINGS]\r\nWAITTIME=-3\r\n");
    s = loaded();
    EXPECT_EQ(0, s.dialogLeft);
    EXPECT_EQ(1, s.hotkeyMode);
    EXPECT_EQ(0, s.waitTime);
}

TEST_F(SettingsFiles, SaveWritesEveryKeyAndTurnsTheWelcomeOff) {
    Settings s;
    setInitialSettings(s);
    s.selection.otherTargets[4].enabled = 1;
    s.dialogLeft = 321;
    s.hotkeyMode = 1;
    s.nonResident = 1;
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    EXPECT_EQ("true", profile(file, "TARGET", "EX"));
    EXPECT_EQ("false", profile(file, "TARGET", "IE"));
    EXPECT_EQ("false", profile(file, "TARGET", "NN"));
    for (const char* key : {"AP00", "AP01", "AP02", "AP03"}) EXPECT_EQ("false", profile(file, "TARGET", key));
    EXPECT_EQ("true", profile(file, "TARGET", "AP04"));
    EXPECT_EQ("true", profile(file, "OPTIONS", "TOPMOST"));
    EXPECT_EQ("false", profile(file, "OPTIONS", "KEEP1ST"));
    EXPECT_EQ("false", profile(file, "OPTIONS", "FULLSIZE"));
    EXPECT_EQ("321", profile(file, "RECT", "LEFT"));
    EXPECT_EQ("-1", profile(file, "RECT", "TOP"));
    EXPECT_EQ("1", profile(file, "HOTKEY", "MODE"));
    EXPECT_EQ("true", profile(file, "SETTINGS", "NOBACK"));
    EXPECT_EQ("50", profile(file, "SETTINGS", "WAITTIME"));
    EXPECT_EQ("false", profile(file, "SETTINGS", "RUNNEXT"));
    EXPECT_EQ(0, strayFiles());

    int welcome = 1;
    Settings back = loaded(&welcome);
    EXPECT_EQ(0, welcome);
    EXPECT_EQ(0, memcmp(&s, &back, sizeof s));
}

bool sameKey(const HotkeyKey& key, UINT modifiers, UINT vk) { return key.modifiers == modifiers && key.key == vk; }

const UINT ALL_THREE = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

// A file from before keys could be chosen keeps the keys that the application gave, with the
// main window's of its mode; chosen ones, cleared ones among them, come back from a save as they
// were.
TEST_F(SettingsFiles, KeysOfAnOlderFileAndChosenKeys) {
    test::writeFile(besideProgram("vrnl.ini"), "[HOTKEY]\r\nMODE=1\r\n");
    Settings s;
    setInitialSettings(s);
    for (int kind = 1; kind <= 3; ++kind) s.keys[kind] = {ALL_THREE, static_cast<UINT>("WECF"[kind])};
    loadSettings(s);
    EXPECT_TRUE(sameKey(s.keys[0], MOD_ALT | MOD_SHIFT, 'W'));
    EXPECT_TRUE(sameKey(s.keys[1], ALL_THREE, 'E'));
    EXPECT_TRUE(sameKey(s.keys[3], ALL_THREE, 'F'));
    for (int i = 4; i < HOTKEY_ACTION_COUNT; ++i) EXPECT_EQ(0u, s.keys[i].key) << i;
    // The main window's key follows the mode while it is a mode's own, and only then.
    changeHotkeyMode(s, 0);
    EXPECT_TRUE(sameKey(s.keys[0], ALL_THREE, 'W'));
    s.keys[0] = {MOD_CONTROL, VK_F9};
    changeHotkeyMode(s, 1);
    EXPECT_TRUE(sameKey(s.keys[0], MOD_CONTROL, VK_F9));

    test::writeFile(besideProgram("vrnl.ini"),
                    "[KEYS]\r\nMAIN= ctrl + ALT+f9 \r\nEX=\r\nIE=Hyper+Q\r\nAP02=Shift+Num5\r\n"
                    "RESTORE=Alt+VKBA\r\nAP04=Win+E\r\nNOTTAKEN=-12345\r\n");
    loadSettings(s);
    EXPECT_TRUE(sameKey(s.keys[0], MOD_CONTROL | MOD_ALT, VK_F9));
    EXPECT_EQ(0u, s.keys[1].key) << "cleared";
    EXPECT_TRUE(sameKey(s.keys[2], ALL_THREE, 'C')) << "unreadable: as it was";
    EXPECT_TRUE(sameKey(s.keys[6], MOD_ALT, 0xBA));
    EXPECT_TRUE(sameKey(s.keys[9], MOD_SHIFT, VK_NUMPAD5));
    EXPECT_TRUE(sameKey(s.keys[11], MOD_WIN, 'E'));
    EXPECT_EQ(-12345, s.keysNotTakenMark);
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    const char* const written[][2] = {{"MAIN", "Ctrl+Alt+F9"},    {"EX", ""},
                                      {"NN", "Ctrl+Alt+Shift+F"}, {"MINIMISE", ""},
                                      {"RESTORE", "Alt+VKBA"},    {"AP02", "Shift+Num5"},
                                      {"AP04", "Win+E"}};
    for (const auto& key : written) EXPECT_EQ(key[1], profile(file, "KEYS", key[0])) << key[0];
    Settings back = loaded();
    EXPECT_EQ(0, memcmp(&s, &back, sizeof s));
}

TEST(HotkeyText, NamesReadAndWrittenAlike) {
    const HotkeyKey keys[] = {{ALL_THREE | MOD_WIN, VK_SNAPSHOT},
                              {0, VK_F24},
                              {MOD_SHIFT, '7'},
                              {MOD_CONTROL, VK_NEXT},
                              {MOD_ALT, VK_DIVIDE},
                              {MOD_CONTROL, 0xDE}};
    for (const HotkeyKey& key : keys) {
        char text[HOTKEY_TEXT_SIZE];
        formatHotkey(key, text, sizeof text);
        HotkeyKey back = {};
        EXPECT_TRUE(parseHotkey(text, back)) << text;
        EXPECT_TRUE(sameKey(back, key.modifiers, key.key)) << text;
    }
    char text[HOTKEY_TEXT_SIZE];
    formatHotkey({ALL_THREE | MOD_WIN, VK_SNAPSHOT}, text, sizeof text);
    EXPECT_STREQ("Ctrl+Alt+Shift+Win+PrintScreen", text);
    HotkeyKey key = {MOD_ALT, 'Q'};
    for (const char* bad : {"Ctrl+", "Ctrl", "E+Ctrl", "Ctrl+F25", "Ctrl+F0", "Ctrl++E", "Ctrl+VKZZ", "Ctrl+EE"})
        EXPECT_FALSE(parseHotkey(bad, key)) << bad;
    EXPECT_TRUE(sameKey(key, MOD_ALT, 'Q')) << "a refused text changes nothing";

    // Windows keeps the Windows key's combinations and F12, with or without modifiers.
    EXPECT_TRUE(isReservedHotkey({MOD_WIN, 'E'}));
    EXPECT_TRUE(isReservedHotkey({0, VK_F12}));
    EXPECT_TRUE(isReservedHotkey({MOD_CONTROL | MOD_SHIFT, VK_F12}));
    EXPECT_FALSE(isReservedHotkey({ALL_THREE, VK_F11}));
    EXPECT_FALSE(isReservedHotkey({0, 0}));
}

// Keys, sections and comments added by hand survive a save; only Varnel's own keys change.
TEST_F(SettingsFiles, SaveKeepsWhatItDoesNotKnow) {
    Settings s;
    setInitialSettings(s);
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    std::string text = test::readFile(file);
    size_t section = text.find("[SETTINGS]\r\n");
    ASSERT_NE(std::string::npos, section);
    text.insert(section + 12, "MYKEY=mine\r\n");
    ASSERT_TRUE(test::writeFile(file, "; my notes\r\n[MINE]\r\nCOLOUR=blue\r\n" + text));

    s.waitTime = 77;
    saveSettings(s);
    EXPECT_EQ(0u, test::readFile(file).find("; my notes\r\n"));
    EXPECT_EQ("blue", profile(file, "MINE", "COLOUR"));
    EXPECT_EQ("mine", profile(file, "SETTINGS", "MYKEY"));
    EXPECT_EQ("77", profile(file, "SETTINGS", "WAITTIME"));
    EXPECT_EQ(0, strayFiles());

    // The file itself is kept too: a hidden file stays hidden.
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    s.waitTime = 78;
    saveSettings(s);
    EXPECT_EQ("78", profile(file, "SETTINGS", "WAITTIME"));
    EXPECT_NE(0u, GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SettingsFiles, AFolderNamedDefaultIniMeansNothingIsStored) {
    std::string file = test::appDataSettingsFile();
    CreateDirectoryA((test::appDataFolder() + "\\Lumo").c_str(), nullptr);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo\\Varnel").c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    test::writeFile(besideProgram("vrnl.ini"), "[SETTINGS]\r\nWAITTIME=33\r\n");
    Settings s = loaded();
    EXPECT_EQ(33, s.waitTime);
    saveSettings(s);
    EXPECT_TRUE(fileExists(file.c_str(), 1));
    EXPECT_EQ(0, strayFiles());
    EXPECT_EQ("[SETTINGS]\r\nWAITTIME=33\r\n", test::readFile(besideProgram("vrnl.ini")));
}

// A file named Lumo where the settings folder belongs: saves go to vrnl.ini beside the program,
// which the next start reads, so the settings stay and the welcome window shows once only.
TEST_F(SettingsFiles, AFileNamedLumoSendsSavesBesideTheProgram) {
    const std::string lumo = test::appDataFolder() + "\\Lumo";
    ASSERT_TRUE(test::writeFile(lumo, "mine"));
    int welcome = 0;
    Settings s = loaded(&welcome);
    EXPECT_EQ(1, welcome);
    s.waitTime = 61;
    saveSettings(s);
    EXPECT_EQ("61", profile(besideProgram("vrnl.ini"), "SETTINGS", "WAITTIME"));
    EXPECT_EQ(61, loaded(&welcome).waitTime);
    EXPECT_EQ(0, welcome);
    EXPECT_EQ("mine", test::readFile(lumo));
    DeleteFileA(lumo.c_str());
}

// A reader holding the file open for a moment must not cost the save.
TEST_F(SettingsFiles, SaveWaitsForAReaderToLetGo) {
    Settings s;
    setInitialSettings(s);
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    OtherProgramsHandle reader(file, FILE_SHARE_READ | FILE_SHARE_WRITE, 100);
    ASSERT_TRUE(reader.opened());
    s.waitTime = 123;
    saveSettings(s);
    reader.waitClosed();
    EXPECT_EQ("123", profile(file, "SETTINGS", "WAITTIME"));
    EXPECT_EQ(0, strayFiles());
}

// A file that cannot be read (held without sharing, a network error) is kept as it is: the
// save is skipped, not made from nothing, and the next save goes ahead.
TEST_F(SettingsFiles, SaveKeepsAFileItCannotRead) {
    Settings s;
    setInitialSettings(s);
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    std::string before = "[MINE]\r\nCOLOUR=blue\r\n" + test::readFile(file);
    ASSERT_TRUE(test::writeFile(file, before));
    OtherProgramsHandle holder(file, 0, 200);
    ASSERT_TRUE(holder.opened());
    s.waitTime = 99;
    saveSettings(s);
    holder.waitClosed();
    EXPECT_EQ(before, test::readFile(file));
    EXPECT_EQ(0, strayFiles());

    // What saves killed long ago left goes with the next save; a young one may be a save's own,
    // and files of other names, or dated in the future, are somebody else's.
    std::string folder = test::appDataFolder() + "\\Lumo\\Varnel\\";
    char killed[INI_TEMPORARY_NAME_SIZE], young[INI_TEMPORARY_NAME_SIZE], future[INI_TEMPORARY_NAME_SIZE];
    iniTemporaryName(1, killed);
    iniTemporaryName(2, young);
    iniTemporaryName(3, future);
    const FILETIME longAgo = {0, 0x01D00000}, later = {0, 0x7F000000};
    char mine[INI_TEMPORARY_NAME_SIZE];
    iniTemporaryName(4, mine);
    const std::pair<std::string, const FILETIME*> files[] = {{killed, &longAgo},     {young, nullptr},
                                                             {future, &later},       {"~vrnotes", &longAgo},
                                                             {"~vrn0001", &longAgo}, {mine, &longAgo}};
    for (const auto& f : files) {
        // As a save writes it: beginning as the settings file does. The user's own: otherwise.
        ASSERT_TRUE(test::writeFile(folder + f.first, f.first == mine ? "my notes" : before.substr(0, 30)));
        HANDLE h =
            CreateFileA((folder + f.first).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f.second) SetFileTime(h, nullptr, nullptr, f.second);
        CloseHandle(h);
    }
    saveSettings(s);
    for (const auto& f : files) {
        EXPECT_EQ(f.first != killed, test::fileExistsPlain(folder + f.first)) << f.first;
        DeleteFileA((folder + f.first).c_str());
    }
    EXPECT_EQ("99", profile(file, "SETTINGS", "WAITTIME"));
    EXPECT_EQ("blue", profile(file, "MINE", "COLOUR"));
}

// Windows refuses to replace a read-only file (Wine does not): Varnel leaves it alone itself,
// and its welcome flag, which no save can clear, does not bring the welcome back.
TEST_F(SettingsFiles, AReadOnlyFileIsLeftAsItIs) {
    Settings s;
    setInitialSettings(s);
    saveSettings(s);
    std::string file = test::appDataSettingsFile();
    const std::string text = "[SETTINGS]\r\nWAITTIME=7\r\nRUNNEXT=true\r\n";
    ASSERT_TRUE(test::writeFile(file, text));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    int welcome = 1;
    s = loaded(&welcome);
    EXPECT_EQ(7, s.waitTime);
    EXPECT_EQ(0, welcome);
    s.waitTime = 8;
    saveSettings(s);
    EXPECT_EQ(text, test::readFile(file));
    EXPECT_NE(0u, GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, strayFiles());
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// As an editor may save it: UTF-8 with a BOM or UTF-16LE, a section on the first line. Read the
// same on every Windows, and saved in the same encoding with the user's lines unchanged.
TEST_F(SettingsFiles, AFileKeepsItsEncoding) {
    const std::string note = "; \xE3\x83\xA1\xE3\x83\xA2\r\n";  // a UTF-8 comment
    std::string utf8 = "\xEF\xBB\xBF[TARGET]\r\nEX=false\r\n" + note;
    std::wstring wide = L"\xFEFF[TARGET]\r\nEX=false\r\n; \x30E1\x30E2\r\n[OPTIONS]\r\nKEEP1ST = \"true\"\r\n";
    std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo").c_str(), nullptr);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo\\Varnel").c_str(), nullptr);
    for (const std::string& text : {utf8, utf16}) {
        SCOPED_TRACE(text.size());
        ASSERT_TRUE(test::writeFile(test::appDataSettingsFile(), text));
        Settings s = loaded();
        EXPECT_EQ(0, s.selection.targetExplorer);
        EXPECT_EQ(text == utf16, s.keepTopmost);
        s.waitTime = 66;
        saveSettings(s);
        std::string saved = test::readFile(test::appDataSettingsFile());
        ASSERT_EQ(0u, saved.find(text.substr(0, text == utf16 ? 2 : 3)));
        std::string kept = text == utf8 ? note : std::string("\xE1\x30\xE2\x30", 4);
        EXPECT_NE(std::string::npos, saved.find(kept)) << saved;
        EXPECT_EQ(66, loaded().waitTime);
        EXPECT_EQ(0, loaded().selection.targetExplorer);
    }

    // A stray byte at the end of a UTF-16 file is no character: it stays last, in no value.
    std::wstring odd = L"\xFEFF[SETTINGS]\r\nWAITTIME=10";
    ASSERT_TRUE(test::writeFile(test::appDataSettingsFile(),
                                std::string(reinterpret_cast<const char*>(odd.data()), odd.size() * 2) + "1"));
    Settings s = loaded();
    s.waitTime = 77;
    saveSettings(s);
    EXPECT_EQ(77, loaded().waitTime);
    std::string saved = test::readFile(test::appDataSettingsFile());
    EXPECT_EQ('1', saved.back());
    EXPECT_EQ(1u, saved.size() % 2);
}

// An application-data folder so long that default.ini just fits the system's 259 characters:
// the temporary file of a save must fit as well.
TEST_F(SettingsFiles, SaveFitsWhereTheFileFits) {
    const char* KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    test::TempDir dir;
    std::string folder = dir.path() + std::string(259 - dir.path().size() - 24, 'l');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
    char old[MAX_PATH] = {};
    DWORD type = REG_EXPAND_SZ, size = sizeof old;
    RegQueryValueExA(key, "AppData", nullptr, &type, reinterpret_cast<BYTE*>(old), &size);
    RegSetValueExA(key, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    std::string file = test::appDataSettingsFile();
    Settings s;
    setInitialSettings(s);
    s.waitTime = 44;
    if (file.size() == 259) saveSettings(s);
    RegSetValueExA(key, "AppData", 0, type, reinterpret_cast<const BYTE*>(old), size);
    RegCloseKey(key);
    ASSERT_EQ(259u, file.size()) << "the application-data folder could not be moved";
    EXPECT_EQ("44", profile(file, "SETTINGS", "WAITTIME"));
}

TEST_F(SettingsFiles, TargetIniSectionsAndCuts) {
    OtherTarget t;
    memset(&t, 'x', sizeof t);
    t.enabled = 7;
    loadOtherTarget(0, t);
    EXPECT_STREQ("-", t.name);
    EXPECT_STREQ("-", t.spec);
    EXPECT_STREQ("-", t.className);
    EXPECT_STREQ("-", t.text);
    EXPECT_EQ(7, t.enabled);

    std::string longName(200, 'n'), longSpec(40, 's'), longClass(150, 'c'), longText(300, 't');
    test::writeFile(besideProgram("target.ini"),
                    "[TARGET00]\r\nNAME=Notes only\r\n"
                    "[TARGET01]\r\nNAME=" +
                        longName + "\r\nSPEC=" + longSpec + "\r\nCLASS=" + longClass + "\r\nTEXT=" + longText +
                        "\r\n"
                        "[TARGET05]\r\nNAME=sixth\r\n[TARGET5]\r\nNAME=no zero\r\n[TARGET04]\r\nCLASS=Notepad\r\n");
    loadOtherTarget(0, t);
    EXPECT_STREQ("Notes only", t.name);
    EXPECT_STREQ("-", t.className);
    EXPECT_STREQ(L"-", t.wideExe);
    EXPECT_FALSE(t.ruleTooLong);
    // Too long to hold: the label is cut, a rule is not; the target then matches nothing.
    loadOtherTarget(1, t);
    EXPECT_EQ(longName.substr(0, 127), t.name);
    EXPECT_EQ(longSpec.substr(0, 31), t.spec);
    EXPECT_TRUE(t.ruleTooLong);
    loadOtherTarget(4, t);
    EXPECT_STREQ("-", t.name);
    EXPECT_STREQ("Notepad", t.className);
    EXPECT_FALSE(t.ruleTooLong);
    EXPECT_EQ(7, t.enabled);

    // 100 double-byte characters: 63 of them fit in the ANSI label's 127 bytes; the UTF-16 texts
    // keep all of them. Each condition at its longest holds whole; one more unit is too long.
    const std::wstring longJapanese(100, L'\u3042'), path = L"C:\\ツール\\" + std::wstring(252, L'x');
    const std::wstring lines[][2] = {{L"TEXT=" + std::wstring(255, L'\u3042'), L"TEXT=" + std::wstring(256, L'\u3042')},
                                     {L"CLASS=" + std::wstring(127, L'c'), L"CLASS=" + std::wstring(128, L'c')},
                                     {L"EXE=" + path, L"EXE=" + path + L"x"},
                                     {L"SPEC=" + std::wstring(31, L's'), L"SPEC=" + std::wstring(32, L's')}};
    // In the ANSI code page too, where a Japanese character takes two bytes.
    for (IniEncoding encoding : {INI_UTF8, INI_ANSI})
        for (const auto& pair : lines)
            for (int tooLong = 0; tooLong < 2; ++tooLong) {
                test::writeFile(
                    besideProgram("target.ini"),
                    test::encodedText(L"[TARGET02]\r\nNAME=" + longJapanese + L"\r\n" + pair[tooLong], encoding));
                loadOtherTarget(2, t);
                EXPECT_EQ(ansiOf(longJapanese.substr(0, 63)), t.name);
                EXPECT_EQ(longJapanese, t.wideName);
                EXPECT_EQ(tooLong, t.ruleTooLong) << encoding << test::encodedText(pair[tooLong], INI_UTF8);
            }
    test::writeFile(besideProgram("target.ini"),
                    test::encodedText(L"[TARGET02]\r\nTEXT=!下書き\r\nEXE=" + path + L"\r\n", INI_UTF16LE));
    loadOtherTarget(2, t);
    EXPECT_EQ(ansiOf(L"!下書き"), t.text);
    EXPECT_STREQ(L"!下書き", t.wideText);
    EXPECT_EQ(path, t.wideExe);
    EXPECT_STREQ(L"-", t.wideClassName);
}

// The rewrite that target.ini shares: a missing file is made in the encoding asked for, an
// existing one keeps its own, and each outcome is told apart.
TEST(IniFileRewrite, OutcomesAndTheEncodingOfANewFile) {
    test::TempDir dir;
    std::string file = dir.file("target.ini");
    IniEntry entries[] = {{"TARGET00", "NAME", "Pad", 0, nullptr, 0}, {"TARGET00", "CLASS", "Notepad", 0, nullptr, 0}};
    EXPECT_EQ(INI_REWRITE_WRITTEN, rewriteIniFile(file.c_str(), entries, 2, INI_UTF8_BOM));
    EXPECT_EQ("\xEF\xBB\xBF[TARGET00]\r\nNAME=Pad\r\nCLASS=Notepad\r\n", test::readFile(file));

    const std::string ansi = "; mine\n[TARGET00]\nCLASS=x\n";
    ASSERT_TRUE(test::writeFile(file, ansi));
    EXPECT_EQ(INI_REWRITE_WRITTEN, rewriteIniFile(file.c_str(), entries, 2, INI_UTF8_BOM));
    EXPECT_EQ("; mine\n[TARGET00]\nNAME=Pad\nCLASS=Notepad\n", test::readFile(file));
    EXPECT_EQ(1, entries[1].found);

    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(INI_REWRITE_READ_ONLY, rewriteIniFile(file.c_str(), entries, 2, INI_UTF8_BOM));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INI_REWRITE_UNREADABLE, rewriteIniFile(file.c_str(), entries, 2, INI_UTF8_BOM));
    CloseHandle(held);
    std::string folder = dir.file("folder.ini");
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(INI_REWRITE_UNWRITABLE, rewriteIniFile(folder.c_str(), entries, 2, INI_UTF8_BOM));

    // Values are UTF-8, written in whatever encoding the file has; the target reader reads them.
    const std::string name = test::encodedText(L"メモ帳", INI_UTF8);
    lstrcpynA(entries[0].value, name.c_str(), sizeof entries[0].value);
    for (IniEncoding encoding : {INI_ANSI, INI_UTF8, INI_UTF8_BOM, INI_UTF16LE}) {
        SCOPED_TRACE(encoding);
        DeleteFileA(file.c_str());
        bool existing = encoding != INI_UTF8_BOM;  // else made new
        ASSERT_TRUE(!existing || test::writeFile(file, test::encodedText(L"; 下書き\r\n", encoding)));
        EXPECT_EQ(INI_REWRITE_WRITTEN, rewriteIniFile(file.c_str(), entries, 2, INI_UTF8_BOM));
        IniEncoding read = INI_ANSI;
        EXPECT_EQ(L"メモ帳", fileValue(file, "TARGET00", "NAME", &read));
        EXPECT_EQ(encoding, read);
    }
}

// A file of 100 KB read in short pieces: found and rewritten to its last line, whatever the reads.
TEST(IniFileRewrite, ShortReadsReachTheEnd) {
    std::string text = "\xEF\xBB\xBF[MINE]\r\n";
    while (text.size() < 100000) text += "; a line of the user's own, kept as it is\r\n";
    text += "[SETTINGS]\r\nWAITTIME=10\r\n; the user's last line\r\n";
    for (DWORD most : {1u, 7u, 16384u, 32768u}) {
        SCOPED_TRACE(most);
        IniEntry entry = {"SETTINGS", "WAITTIME", "", 0, nullptr, 0};
        ShortReads reading;
        reading.bytes = text;
        reading.most = most;
        ASSERT_TRUE(streamIni(reading, &entry, 1, nullptr, INI_ANSI));
        EXPECT_STREQ("10", entry.value);
        lstrcpynA(entry.value, "77", sizeof entry.value);
        ShortReads writing = reading;
        writing.at = 0;
        StringSink sink;
        ASSERT_TRUE(streamIni(writing, &entry, 1, &sink, INI_ANSI));
        std::string expected = text;
        expected.replace(expected.find("WAITTIME=10"), 11, "WAITTIME=77");
        EXPECT_TRUE(expected == sink.bytes) << sink.bytes.size() << " bytes written of " << expected.size();
    }
}

// A name or title in Japanese goes into target.ini in the file's own encoding, to be read back
// whole.
TEST_F(SettingsFiles, NewTargetsAreWrittenInTheFilesEncoding) {
    const std::string path = besideProgram("target.ini");
    const std::wstring text = L"; メモ\r\n[TARGET00]\r\nCLASS=x\r\n";
    const struct {
        std::string bytes;
        IniEncoding after;
    } files[] = {{test::encodedText(text, INI_UTF16LE), INI_UTF16LE},
                 {test::encodedText(text, INI_ANSI), INI_ANSI},
                 {test::encodedText(text, INI_UTF8), INI_UTF8},
                 {test::encodedText(text, INI_UTF8_BOM), INI_UTF8_BOM}};
    for (const auto& f : files) {
        ASSERT_TRUE(test::writeFile(path, f.bytes));
        int slot = -1;
        unsigned long error = 0;
        ASSERT_EQ(TARGET_ADDED, addOtherTarget({L"メモ帳", nullptr, L"無題 - メモ帳", nullptr}, slot, error));
        EXPECT_EQ(1, slot);
        IniEncoding read = INI_ANSI;
        EXPECT_EQ(L"メモ帳", fileValue(path, "TARGET01", "NAME", &read));
        EXPECT_EQ(f.after, read) << f.bytes;
        EXPECT_EQ(L"無題 - メモ帳", fileValue(path, "TARGET01", "TEXT"));
        EXPECT_EQ(L"-", fileValue(path, "TARGET01", "EXE"));
    }
    // A character that the ANSI code page lacks: the file is left as it was.
    const std::string ansi = test::encodedText(text, INI_ANSI);
    ASSERT_TRUE(test::writeFile(path, ansi));
    int slot = -1;
    unsigned long error = 0;
    EXPECT_EQ(TARGET_NOT_ENCODABLE, addOtherTarget({L"한국어", nullptr, nullptr, L"a.exe"}, slot, error));
    EXPECT_EQ(ansi, test::readFile(path));
    // A title text longer than a value Varnel writes is refused, never cut into a wider rule; a
    // long label is only cut.
    const std::wstring longTitle(60, L'題');
    EXPECT_EQ(TARGET_TOO_LONG, addOtherTarget({L"x", nullptr, longTitle.c_str(), nullptr}, slot, error));
    EXPECT_EQ(ansi, test::readFile(path));
    EXPECT_EQ(TARGET_ADDED, addOtherTarget({longTitle.c_str(), nullptr, L"x", nullptr}, slot, error));
}

// What Add writes reads back as the very values given: blanks and quotes around a value are kept
// by quotes of its own, and a label loses its line breaks, so that no value carries a second key.
// A condition that the file would read as another rule is refused, and the file left as it was.
TEST_F(SettingsFiles, NewTargetsReadBackAsTheyWereGiven) {
    const std::string path = besideProgram("target.ini");
    const struct {
        NewOtherTarget given;
        const wchar_t* name;  // as loading reads it back
    } kept[] = {{{L"  Pad  ", nullptr, L"  report  ", nullptr}, L"  Pad  "},
                {{L"\"quoted\"", L"'Class'", nullptr, nullptr}, L"\"quoted\""},
                {{L"x", nullptr, L"   ", nullptr}, L"x"},
                {{L"Report viewer\r\nEXE=-\r\nTEXT=e", nullptr, nullptr, L"viewer.exe"}, L"Report viewerEXE=-TEXT=e"}};
    for (const auto& k : kept) {
        SCOPED_TRACE(test::encodedText(k.given.name, INI_UTF8));
        DeleteFileA(path.c_str());
        int slot = -1;
        unsigned long error = 0;
        ASSERT_EQ(TARGET_ADDED, addOtherTarget(k.given, slot, error));
        OtherTarget t;
        loadOtherTarget(0, t);
        EXPECT_STREQ(k.name, t.wideName);
        EXPECT_STREQ(k.given.className ? k.given.className : L"-", t.wideClassName);
        EXPECT_STREQ(k.given.text ? k.given.text : L"-", t.wideText);
        EXPECT_STREQ(k.given.exe ? k.given.exe : L"-", t.wideExe);
    }
    const NewOtherTarget refused[] = {{L"n", nullptr, L"!Important report", nullptr},
                                      {L"n", nullptr, L"-", nullptr},
                                      {L"n", nullptr, nullptr, L"!tool.exe"},
                                      {L"n", nullptr, nullptr, L"-"},
                                      {L"n", L"-", nullptr, nullptr},
                                      {L"n", nullptr, L"a\tb", nullptr},
                                      {L"n", L"Class\r\nTEXT=e", nullptr, nullptr}};
    const std::string before = "; mine\r\n";
    for (const NewOtherTarget& r : refused) {
        ASSERT_TRUE(test::writeFile(path, before));
        int slot = -1;
        unsigned long error = 0;
        EXPECT_EQ(TARGET_NOT_LITERAL, addOtherTarget(r, slot, error)) << test::encodedText(r.text  ? r.text
                                                                                           : r.exe ? r.exe
                                                                                                   : r.className,
                                                                                           INI_UTF8);
        EXPECT_EQ(before, test::readFile(path));
    }
}

// An ANSI file whose new bytes would happen to be valid UTF-8 (痼、 is E1 80 81 41 in code page
// 932) would read as UTF-8 next time: Add refuses and asks for UTF-8 instead.
TEST_F(SettingsFiles, AnAnsiTargetFileStaysAnsi) {
    ASSERT_EQ(932u, GetACP());
    const std::string path = besideProgram("target.ini");
    const std::string ascii = "; mine\r\n[TARGET00]\r\nCLASS=x\r\n";
    for (const NewOtherTarget& target :
         {NewOtherTarget{L"痼、", L"c", nullptr, nullptr}, NewOtherTarget{L"n", nullptr, L"痼、", nullptr}}) {
        ASSERT_TRUE(test::writeFile(path, ascii));
        int slot = -1;
        unsigned long error = 0;
        EXPECT_EQ(TARGET_NOT_ENCODABLE, addOtherTarget(target, slot, error));
        EXPECT_EQ(ascii, test::readFile(path));
    }
    // Code-page bytes that are no UTF-8 keep the file ANSI, and are written.
    int slot = -1;
    unsigned long error = 0;
    ASSERT_EQ(TARGET_ADDED, addOtherTarget({L"メモ帳", nullptr, L"痼、", nullptr}, slot, error));
    IniEncoding read = INI_UTF8;
    EXPECT_EQ(L"痼、", fileValue(path, "TARGET01", "TEXT", &read));
    EXPECT_EQ(INI_ANSI, read);
}

TEST(IniReader, EncodingsAreToldByTheBytes) {
    const IniEncoding all[] = {INI_UTF16LE, INI_UTF8_BOM, INI_UTF8, INI_ANSI};
    const std::wstring text = L"[TARGET00]\r\nNAME=メモ帳\r\nTEXT=!下書き\r\n";
    for (IniEncoding encoding : all) {
        std::string bytes = test::encodedText(text, encoding);
        EXPECT_EQ(encoding, detectIniEncoding(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<DWORD>(bytes.size())));
        // The section on the first line is found behind a BOM too.
        EXPECT_EQ(L"メモ帳", iniValue(bytes, "TARGET00", "NAME")) << encoding;
        EXPECT_EQ(L"!下書き", iniValue(bytes, "TARGET00", "TEXT")) << encoding;
    }
    // Plain ASCII, and bytes that are no UTF-8 (overlong, surrogate, cut short), are ANSI.
    for (const char* ansi : {"NAME=Notepad", "A=\xC0\xAF", "A=\xED\xA0\x80", "A=\xE3\x83", "A=\x83\x81\x83\x82"})
        EXPECT_EQ(INI_ANSI,
                  detectIniEncoding(reinterpret_cast<const unsigned char*>(ansi), static_cast<DWORD>(strlen(ansi))))
            << ansi;
}

TEST(IniReader, ValuesReadAsTheProfileFunctionsGiveThem) {
    std::string file =
        "KEY=before any section\n"
        "[ Other ]\r\nKEY=other\r\n"
        "[target00]\n; KEY=comment\n  key  =  \"quoted value\"  \nKEY=second\nEMPTY=\nSINGLE='x'\nODD=\"x\n"
        "[TARGET00]\nLATE=later section\n[END]\nLAST=no line break";
    EXPECT_EQ(L"quoted value", iniValue(file, "TARGET00", "KEY"));
    EXPECT_EQ(L"", iniValue(file, "TARGET00", "EMPTY"));
    EXPECT_EQ(L"x", iniValue(file, "TARGET00", "SINGLE"));
    EXPECT_EQ(L"\"x", iniValue(file, "TARGET00", "ODD"));
    EXPECT_EQ(L"<missing>", iniValue(file, "TARGET00", "LATE")) << "only the first section of a name counts";
    EXPECT_EQ(L"no line break", iniValue(file, "END", "LAST"));
    EXPECT_EQ(L"other", iniValue(file, "OTHER", "KEY"));
    EXPECT_EQ(L"<missing>", iniValue(file, "TARGET00", "MISSING"));
    EXPECT_EQ(L"<missing>", iniValue(file, "TARGET0", "KEY"));
}

// Section headers as every file reads them: the name runs to the first ']', without the blanks
// around it; a line without a ']' is no header. A save writes into the header it found, and adds
// no second one.
TEST_F(SettingsFiles, SectionHeadersReadAndWrittenAlike) {
    const std::pair<const char*, bool> headers[] = {{"[ SETTINGS ]", true},        {"[SETTINGS] ; see ]", true},
                                                    {"[\tSettings ] ; [x]", true}, {"[SETTINGS", false},
                                                    {"[SET TINGS]", false},        {"; [SETTINGS]", false}};
    CreateDirectoryA((test::appDataFolder() + "\\Lumo").c_str(), nullptr);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo\\Varnel").c_str(), nullptr);
    std::string file = test::appDataSettingsFile();
    for (const auto& header : headers) {
        SCOPED_TRACE(header.first);
        std::string text = std::string("[OTHER]\r\nWAITTIME=5\r\n") + header.first + "\r\nWAITTIME=33\r\n";
        EXPECT_EQ(header.second ? L"33" : L"<missing>", iniValue(text, "SETTINGS", "WAITTIME"));
        ASSERT_TRUE(test::writeFile(file, text));
        Settings s = loaded();
        EXPECT_EQ(header.second ? 33 : 50, s.waitTime);
        s.waitTime = 44;
        saveSettings(s);
        std::string saved = test::readFile(file);
        EXPECT_EQ(header.second, saved.find("\n[SETTINGS]\r\n") == std::string::npos) << saved;
        EXPECT_EQ(44, loaded().waitTime);
    }
}

TEST(IniReader, CutsKeepWholeCharacters) {
    // U+20BB7 is a surrogate pair: a cut that would split it ends before it.
    std::string pair = test::encodedText(L"[S]\nK=ab\U00020BB7c\n", INI_UTF8);
    EXPECT_EQ(L"ab", iniValue(pair, "S", "K", 4));
    EXPECT_EQ(L"ab\U00020BB7", iniValue(pair, "S", "K", 5));

    char field[4];
    EXPECT_EQ(1, cutToAnsi(L"メモ帳", field, sizeof field, 100)) << "two bytes each in code page 932";
    EXPECT_EQ(ansiOf(L"メ"), field);
    char wider[16];
    EXPECT_EQ(2, cutToAnsi(L"メモ帳", wider, sizeof wider, 2));
    EXPECT_EQ(ansiOf(L"メモ"), wider);
    EXPECT_EQ(0, cutToAnsi(L"メ", field, 2, 100));
    EXPECT_STREQ("", field);
    // A character the code page lacks is "?", not a look-alike that could make another rule.
    char spec[16];
    cutToAnsi(L"caf\u00E9 \u0161", spec, sizeof spec, 100);
    EXPECT_STREQ("caf? ?", spec);
}

// target.ini is read whole, whatever its size and line ends, by loading and by Add alike: Add
// takes the first free slot and never writes over a target that loading shows.
TEST_F(SettingsFiles, TargetsAreReadWholeByLoadingAndByAdd) {
    const std::string path = besideProgram("target.ini");
    std::string large = test::encodedText(L"; メモ\r\n", INI_UTF8);
    while (large.size() < 74 * 1024) large += "; padding of the user's own\r\n";
    large += test::encodedText(L"[TARGET00]\r\nNAME=メモ帳\r\nCLASS=Notepad\r\n", INI_UTF8);
    const std::string files[] = {"[TARGET00]\rNAME=Pad\rCLASS=Notepad\r[TARGET01]\rNAME=free\r", large};
    for (const std::string& before : files) {
        SCOPED_TRACE(before.size());
        ASSERT_TRUE(test::writeFile(path, before));
        OtherTarget t;
        loadOtherTarget(0, t);
        EXPECT_STREQ(L"Notepad", t.wideClassName);
        EXPECT_STREQ(before == large ? L"メモ帳" : L"Pad", t.wideName) << "UTF-8, told from the first block";
        EXPECT_EQ(1, firstFreeTargetSlot());
        int slot = -1;
        unsigned long error = 0;
        ASSERT_EQ(TARGET_ADDED, addOtherTarget({L"Calc", L"CalcFrame", nullptr, nullptr}, slot, error));
        EXPECT_EQ(1, slot);
        std::string after = test::readFile(path);
        EXPECT_EQ(0u, after.find(before.substr(0, before.find("NAME=free")))) << "the file's start is kept";
        EXPECT_EQ(before == large, after.find("\r\n") != std::string::npos) << "new lines end as the file's do";
        loadOtherTarget(0, t);
        EXPECT_STREQ(L"Notepad", t.wideClassName);
        loadOtherTarget(1, t);
        EXPECT_STREQ(L"CalcFrame", t.wideClassName);
        EXPECT_STREQ(L"Calc", t.wideName);
    }
}

TEST(ValueForms, IntegersSaturateAndStopAtJunk) {
    EXPECT_EQ(0, parseInteger(""));
    EXPECT_EQ(0, parseInteger("abc"));
    EXPECT_EQ(42, parseInteger(" \t42"));
    EXPECT_EQ(-7, parseInteger("-7x"));
    EXPECT_EQ(7, parseInteger("+7"));
    EXPECT_EQ(0, parseInteger("- 7"));
    EXPECT_EQ(INT_MAX, parseInteger("2147483648"));
    EXPECT_EQ(INT_MIN, parseInteger("-2147483648"));
    EXPECT_EQ(INT_MIN, parseInteger("-2147483649000000000000"));
    EXPECT_EQ(1, parseSwitch("true"));
    EXPECT_EQ(0, parseSwitch("true!"));
    EXPECT_EQ(0, parseSwitch("TRUE"));
}

TEST(PathUtil, TruncateAfterLastWalksDoubleByteCharacters) {
    ASSERT_EQ(932u, GetACP()) << "these tests need the Japanese code page";
    char text[64];
    strcpy(text, "abc");
    C_PathUtil::truncateAfterLast(text, '\\');
    EXPECT_STREQ("", text);
    strcpy(text, "C:\\a\\b\\");
    C_PathUtil::truncateAfterLast(text, '\\');
    EXPECT_STREQ("C:\\a\\b\\", text);
    // 表 is 0x95 0x5C in code page 932: its trail byte is not a backslash.
    strcpy(text, "C:\\\x95\x5C\\x.exe");
    C_PathUtil::truncateAfterLast(text, '\\');
    EXPECT_STREQ("C:\\\x95\x5C\\", text);
    strcpy(text, "C:\\\x95\x5C");
    C_PathUtil::truncateAfterLast(text, '\\');
    EXPECT_STREQ("C:\\", text);
}

TEST(PathUtil, FileExistsTellsFilesFromFolders) {
    test::TempDir dir;
    std::string file = dir.file("a.txt");
    test::writeFile(file, "x");
    EXPECT_EQ(1, fileExists(file.c_str(), 0));
    EXPECT_EQ(0, fileExists(file.c_str(), 1));
    std::string folder = dir.file("sub");
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(1, fileExists(folder.c_str(), 1));
    EXPECT_EQ(0, fileExists(folder.c_str(), 0));
    EXPECT_EQ(0, fileExists(dir.file("none").c_str(), 0));
    EXPECT_EQ(0, fileExists(dir.file("none").c_str(), 1));
}

TEST(PathUtil, SpecialFolderPathAppendsTheRelativePath) {
    char path[310];
    ASSERT_NE(nullptr,
              C_PathUtil().makeSpecialFolderPath(path, sizeof path, CSIDL_APPDATA, "Lumo\\Varnel\\default.ini"));
    EXPECT_EQ(test::appDataSettingsFile(), path);
    char small[12];
    EXPECT_EQ(nullptr, C_PathUtil().makeSpecialFolderPath(small, sizeof small, CSIDL_APPDATA, "Lumo"));
}

// The program folder as a program sees it: pathprobe.exe copied into chosen folders.
std::vector<std::string> probe(const std::string& folder, const std::string& more = "") {
    std::string exe = folder + "pathprobe.exe";
    test::copyFile(test::binFolder() + "pathprobe.exe", exe);
    test::TempDir out;
    test::Process p;
    DWORD code = 99;
    std::vector<std::string> lines;
    if (!p.start(exe, "\"" + out.file("out.txt") + "\" " + more) || !p.wait(10000, &code) || code != 0) return lines;
    std::string text = test::readFile(out.file("out.txt"));
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(PathUtil, ModuleFolderKeepsADoubleByteFolderName) {
    ASSERT_EQ(932u, GetACP());
    test::TempDir dir;
    std::string folder = dir.file("\x95\x5C") + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::vector<std::string> lines = probe(folder);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(folder, lines[0]);
    EXPECT_EQ(folder + "target.ini", lines[1]);
    EXPECT_EQ(folder + "vrnl.ini", lines[2]);
}

TEST(PathUtil, AProgramPathThatDoesNotFitIsRefusedNotCut) {
    test::TempDir dir;
    // target.ini leaves 240 bytes for the program's path, vrnl.ini 292.
    std::string folder = dir.path();
    std::string leaf(240 - folder.size() - 1 - std::string("pathprobe.exe").size(), 'd');
    folder += leaf + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_EQ(240u, (folder + "pathprobe.exe").size());
    std::vector<std::string> lines = probe(folder, "edit");
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(folder, lines[0]);
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ(folder + "vrnl.ini", lines[2]);
    EXPECT_EQ("0", lines[3]);  // the edit button opens nothing either
    EXPECT_EQ("0", lines[4]);  // nor does the registrar button start a Quillon.exe from elsewhere
}

}  // namespace
