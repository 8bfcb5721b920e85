// Saves cut short by a kill, and loading of hostile settings and target files.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/TargetFile.h"
#include "tests/support/TestSupport.h"

namespace {

using KeyValues = std::map<std::string, std::string>;  // "SECTION/KEY" -> value

// A plain reading of an INI text, independent of the profile functions and their cache.
KeyValues parseIni(const std::string& text) {
    KeyValues values;
    std::string section;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (line.find('=') != std::string::npos) {
            values[section + "/" + line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return values;
}

// The two records savekill.exe alternates between, as they read in the file.
KeyValues savedRecord(int i) {
    const char* on = i == 0 ? "true" : "false";
    const char* off = i == 0 ? "false" : "true";
    KeyValues v = {{"TARGET/EX", off},
                   {"TARGET/IE", on},
                   {"TARGET/NN", on},
                   {"OPTIONS/TOPMOST", off},
                   {"OPTIONS/KEEP1ST", on},
                   {"OPTIONS/FULLSIZE", on},
                   {"RECT/LEFT", std::to_string(1000 + i)},
                   {"RECT/TOP", std::to_string(2000 + i)},
                   {"HOTKEY/MODE", std::to_string(1 - i)},
                   {"SETTINGS/NOBACK", on},
                   {"SETTINGS/WAITTIME", std::to_string(10 + i)},
                   {"SETTINGS/RUNNEXT", "false"}};
    for (int k = 0; k < OTHER_TARGET_COUNT; ++k) v["TARGET/AP0" + std::to_string(k)] = on;
    // The main window's key of each record's mode; no other key.
    for (const char* key : {"EX", "IE", "NN", "ALL", "MINIMISE", "RESTORE"}) v[std::string("KEYS/") + key] = "";
    for (int k = 0; k < OTHER_TARGET_COUNT; ++k) v["KEYS/AP0" + std::to_string(k)] = "";
    v["KEYS/MAIN"] = i == 0 ? "Alt+Shift+W" : "Ctrl+Alt+Shift+W";
    v["KEYS/NOTTAKEN"] = "0";
    return v;
}

// Busy-waits a random number of microseconds: the kill lands anywhere inside a save.
void spinMicroseconds(unsigned us) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do QueryPerformanceCounter(&now);
    while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < us);
}

TEST(KillDuringSave, FileIsAlwaysOneWholeRecord) {
    const int KILLS = 200;
    test::removeAppDataSettings();
    std::string name = "VarnelSaveKill" + std::to_string(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name.c_str());
    ASSERT_NE(nullptr, mapping);
    auto* saves = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    ASSERT_NE(nullptr, saves);

    const KeyValues records[2] = {savedRecord(0), savedRecord(1)};
    std::mt19937 random(12345);
    std::string file = test::appDataSettingsFile();
    int survived = 0;
    bool everSaved = false;
    for (int kill = 0; kill < KILLS; ++kill) {
        test::Process saver;
        *saves = 0;
        // Wine refuses a start right after a kill now and then; the settings file is what counts.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt)
            started = saver.start(test::binFolder() + "savekill.exe", name);
        ASSERT_TRUE(started) << "kill " << kill << ", error " << GetLastError();
        // Now and then before the first save has finished, mostly in the middle of a later one.
        LONG before = static_cast<LONG>(random() % 3);
        ASSERT_TRUE(test::waitUntil([&] { return *saves >= before; }, 10000));
        spinMicroseconds(random() % 20000);
        TerminateProcess(saver.handle(), 1);
        ASSERT_TRUE(saver.wait(10000));
        everSaved = everSaved || *saves > 0;

        if (!test::fileExistsPlain(file)) {
            ASSERT_FALSE(everSaved) << "settings file lost after kill " << kill;
            continue;
        }
        KeyValues found = parseIni(test::readFile(file));
        ASSERT_TRUE(found == records[0] || found == records[1])
            << "kill " << kill << " left a file that is neither record:\n"
            << test::readFile(file);
        ++survived;
    }
    printf("kills survived with a whole settings file: %d of %d\n", survived, KILLS);
    EXPECT_GT(survived, KILLS / 2);
    UnmapViewOfFile(const_cast<LONG*>(saves));
    CloseHandle(mapping);
    test::removeAppDataSettings();
}

// Two processes saving at once (a resident one at log-off, a non-resident one closing its dialog),
// many times: every read of the file in between sees one whole record and the line added by hand.
TEST(ConcurrentSaves, EveryReadSeesAWholeRecord) {
    const LONG SAVES = 600;
    test::removeAppDataSettings();
    CreateDirectoryA((test::appDataFolder() + "\\Lumo").c_str(), nullptr);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo\\Varnel").c_str(), nullptr);
    std::string file = test::appDataSettingsFile();
    ASSERT_TRUE(test::writeFile(file, "[MINE]\r\nCOLOUR=blue\r\n"));
    std::string name = "VarnelSaveRace" + std::to_string(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name.c_str());
    ASSERT_NE(nullptr, mapping);
    auto* saves = static_cast<volatile LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    ASSERT_NE(nullptr, saves);
    KeyValues records[2] = {savedRecord(0), savedRecord(1)};
    for (KeyValues& r : records) r["MINE/COLOUR"] = "blue";

    test::Process first, second;
    ASSERT_TRUE(first.start(test::binFolder() + "savekill.exe", name));
    ASSERT_TRUE(second.start(test::binFolder() + "savekill.exe", name));
    int reads = 0;
    std::string text;
    bool whole = test::waitUntil(
        [&] {
            LONG done = *saves;
            text = test::readFile(file);
            if (done > 0 && !text.empty()) {  // empty: the open failed, which is no read
                ++reads;
                KeyValues found = parseIni(text);
                if (found != records[0] && found != records[1]) return true;
            }
            return *saves >= SAVES;
        },
        120000);
    first.kill();
    second.kill();
    EXPECT_TRUE(whole) << "saves made: " << *saves;
    KeyValues found = parseIni(test::readFile(file));
    EXPECT_TRUE(found == records[0] || found == records[1]) << "a read after " << *saves << " saves:\n" << text;
    printf("reads during %ld concurrent saves: %d\n", static_cast<long>(*saves), reads);
    UnmapViewOfFile(const_cast<LONG*>(saves));
    CloseHandle(mapping);
    test::removeAppDataSettings();
}

// Hostile INI texts: random bytes and NULs, very long lines, values cut inside a double-byte
// character at the buffer limits, lines without "=", repeated sections and keys, mixed line ends.
class IniGenerator {
public:
    explicit IniGenerator(unsigned seed) : random(seed) {}

    std::string file(const std::vector<std::string>& sections, const std::vector<std::string>& keys) {
        std::string text;
        int lines = 1 + pick(40);
        for (int i = 0; i < lines; ++i) {
            switch (pick(10)) {
            case 0: text += bytes(pick(64)); break;
            case 1: text += std::string(10000, static_cast<char>('A' + pick(26))); break;
            case 2: text += "[" + oneOf(sections); break;  // no closing bracket
            case 3:
            case 4: text += "[" + oneOf(sections) + "]"; break;
            case 5: text += oneOf(keys) + " " + value(); break;  // no "="
            default: text += oneOf(keys) + "=" + value(); break;
            }
            static const std::string ends[] = {"\r\n", "\n", "\r", "", std::string(1, '\0')};
            text += ends[pick(5)];
        }
        return text;
    }

private:
    int pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    std::string oneOf(const std::vector<std::string>& list) { return list[pick(static_cast<int>(list.size()))]; }
    std::string bytes(int n) {
        std::string b;
        for (int i = 0; i < n; ++i) b += static_cast<char>(random() & 0xFF);
        return b;
    }
    // A text whose double-byte character starts on the last byte that fits a limit.
    std::string cutInsideCharacter() {
        static const int limits[] = {127, 31, 255};
        std::string v(limits[pick(3)] - 1, 'v');
        static const unsigned char leads[] = {0x81, 0x82, 0x88, 0x9F, 0xE0, 0xFC};
        v += static_cast<char>(leads[pick(6)]);
        v += static_cast<char>(0x40 + pick(0xBC));
        return v + bytes(pick(4));
    }
    std::string value() {
        switch (pick(9)) {
        case 0: return "true";
        case 1: return "false";
        case 2: return std::to_string(static_cast<long long>(random()) - 2147483648LL) + bytes(pick(3));
        case 3: return "99999999999999999999";
        case 4: return "-99999999999999999999";
        case 5: return cutInsideCharacter();
        case 6: return std::string(300 + pick(2000), '9');
        case 7: return "";
        default: return bytes(pick(300));
        }
    }

    std::mt19937 random;
};

bool terminatedWithin(const char* field, size_t width) { return memchr(field, 0, width) != nullptr; }

class Fuzzed : public ::testing::Test {
protected:
    ~Fuzzed() override {
        test::removeAppDataSettings();
        DeleteFileA((test::binFolder() + "target.ini").c_str());
    }
};

TEST_F(Fuzzed, SettingsFilesLoadIntoValidFields) {
    const int FILES = 1500;
    CreateDirectoryA((test::appDataFolder() + "\\Lumo").c_str(), nullptr);
    CreateDirectoryA((test::appDataFolder() + "\\Lumo\\Varnel").c_str(), nullptr);
    IniGenerator generate(1);
    const std::vector<std::string> sections = {"TARGET", "OPTIONS", "RECT", "HOTKEY", "SETTINGS", "target", ""};
    const std::vector<std::string> keys = {"EX",       "IE",       "NN",   "AP00", "AP04", "TOPMOST",
                                           "KEEP1ST",  "FULLSIZE", "LEFT", "TOP",  "MODE", "NOBACK",
                                           "WAITTIME", "RUNNEXT",  "ex",   ""};
    for (int n = 0; n < FILES; ++n) {
        ASSERT_TRUE(test::writeFile(test::appDataSettingsFile(), generate.file(sections, keys)));
        Settings s;
        memset(&s, 0xA5, sizeof s);
        int welcome = loadSettings(s);
        SCOPED_TRACE("file " + std::to_string(n));
        ASSERT_TRUE(welcome == 0 || welcome == 1);
        const TargetSelection& t = s.selection;
        for (int flag : {s.showOnTop, t.targetExplorer, t.targetChromium, t.targetFirefox, s.keepTopmost, s.fullSize,
                         s.nonResident})
            ASSERT_TRUE(flag == 0 || flag == 1);
        for (const OtherTarget& o : t.otherTargets) ASSERT_TRUE(o.enabled == 0 || o.enabled == 1);
        ASSERT_GE(s.waitTime, WAIT_TIME_MIN);
        ASSERT_LE(s.waitTime, WAIT_TIME_MAX);
    }
    printf("settings files fuzzed: %d\n", FILES);
}

TEST_F(Fuzzed, TargetFilesLoadIntoTerminatedTexts) {
    const int FILES = 1500;
    IniGenerator generate(2);
    const std::vector<std::string> sections = {"TARGET00", "TARGET01", "TARGET02", "TARGET03",
                                               "TARGET04", "TARGET05", "TARGET0",  ""};
    const std::vector<std::string> keys = {"NAME", "SPEC", "CLASS", "TEXT", "name", ""};
    std::string path = test::binFolder() + "target.ini";
    for (int n = 0; n < FILES; ++n) {
        ASSERT_TRUE(test::writeFile(path, generate.file(sections, keys)));
        SCOPED_TRACE("file " + std::to_string(n));
        for (int i = 0; i < OTHER_TARGET_COUNT; ++i) {
            OtherTarget record;
            memset(&record, 0xA5, sizeof record);
            loadOtherTarget(i, record);
            ASSERT_TRUE(terminatedWithin(record.name, sizeof record.name));
            ASSERT_TRUE(terminatedWithin(record.spec, sizeof record.spec));
            ASSERT_TRUE(terminatedWithin(record.className, sizeof record.className));
            ASSERT_TRUE(terminatedWithin(record.text, sizeof record.text));
            ASSERT_EQ(static_cast<int>(0xA5A5A5A5), record.enabled);
        }
    }
    printf("target files fuzzed: %d\n", FILES);
}

}  // namespace
