// Quillon as a real child process in a folder of its own: its message boxes are found, read and
// answered from here, and the Run key is read back. Built once for each language. Wine makes
// every folder its user's own to change, so the flows that register a program run the test
// build of Quillon, which reads the descriptors Windows would keep from StoredSecurity.ini.

#include "settings/IniEncoding.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#if QUILLON_JAPANESE
#define QUILLON_SUITE QuillonJapanese
#else
#define QUILLON_SUITE QuillonEnglish
#endif

namespace {

const wchar_t RUN_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring TEST_VALUE = L"QuillonTestValue";
const std::wstring LONGEST_VALUE(127, L'K');
const std::string ADMINS_ONLY = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

#if QUILLON_JAPANESE
const std::wstring CAPTION = L"自動起動を設定";
const std::wstring NO_SETTING = L" 自動起動設定なし";
const std::wstring SET_DONE = L"自動起動を設定しました";
const std::wstring REMOVED_DONE = L"自動起動を解除しました";
std::wstring othersValue(const std::wstring& name, const std::wstring& data) {
    return L"自動起動の値「" + name + L"」はほかのプログラムを起動するものなので、変更しませんでした:\r\n" + data;
}
std::wstring notAPlainName(const std::wstring& key) {
    return L"Quillon.ini の KEY「" + key +
           L"」は値の名前に使えません。\r\n\r\n英字、数字、空白と . _ - だけで、127 文字までの名前にしてください。";
}
std::wstring question(const std::wstring& name, const std::wstring& current) {
    return L"Windows起動時に、" + name + L"を自動起動しますか？\r\n\r\n現在の設定:" + current +
           L"\r\n\r\n[はい]\t→自動起動を設定\r\n[いいえ]\t→自動起動設定を解除";
}
std::wstring othersCanChange(const std::wstring& program) {
    return L"自動起動は設定しませんでした。\r\n\r\n次のプログラムか、それを含むフォルダーは、管理者以外のユーザーも変更"
           L"でき"
           L"ます:\r\n" +
           program +
           L"\r\n\r\n自動起動はすべてのユーザーのログオン時に働くため、そこにほかのプログラムを置かれると、ログオンした"
           L"ユー"
           L"ザーの権限で実行されてしまいます。\r\n\r\nVarnel のファイルを Program Files "
           L"など管理者だけが変更できるフォルダー"
           L"にコピーし、そこから自動起動の登録をやり直してください。";
}
#else
const std::wstring CAPTION = L"Auto run setting";
const std::wstring NO_SETTING = L" No autorun setting";
const std::wstring SET_DONE = L"Successfully set up automatic startup";
const std::wstring REMOVED_DONE = L"Deleted settings successfully.";
std::wstring othersValue(const std::wstring& name, const std::wstring& data) {
    return L"The autorun value \"" + name + L"\" starts another program, so it was left as it was:\r\n" + data;
}
std::wstring notAPlainName(const std::wstring& key) {
    return L"KEY=" + key +
           L" in Quillon.ini cannot name the autorun value.\r\n\r\nUse letters, digits, blanks and . _ - only, at "
           L"most 127 characters.";
}
std::wstring question(const std::wstring& name, const std::wstring& current) {
    return L"Do you want " + name + L" to run automatically?\r\n\r\ncurrent setting:" + current +
           L"\r\n\r\n[YES]\t->Set autorun\r\n[NO]\t->Unset autorun";
}
std::wstring othersCanChange(const std::wstring& program) {
    return L"Autorun was not set.\r\n\r\nUsers other than administrators can change this program or a folder it lies "
           L"in:\r\n" +
           program +
           L"\r\n\r\nAutorun starts the program for every user who logs on, so a program that one of them put there "
           L"would run with the rights of whoever logs on.\r\n\r\nCopy Varnel's files into a folder that only "
           L"administrators can change, such as Program Files, and register autorun again from there.";
}
#endif

std::wstring widen(const std::string& text) {
    wchar_t buffer[4096] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, 4095);
    return buffer;
}

HKEY openRunKey() {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key);
    return key;
}

void setRunValue(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = openRunKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes));
    RegCloseKey(key);
}

void setRunText(const std::wstring& name, const std::wstring& text) {
    setRunValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

void deleteRunValue(const std::wstring& name) {
    HKEY key = openRunKey();
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

struct RunValue {
    bool exists = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text;
};

RunValue readRunValue(const std::wstring& name) {
    RunValue value;
    static wchar_t data[8192];
    HKEY key = openRunKey();
    value.bytes = sizeof data - 2;
    ZeroMemory(data, sizeof data);
    value.exists = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data),
                                    &value.bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    value.text = data;
    return value;
}

std::wstring boxText(HWND box) {
    static wchar_t text[8192];
    text[0] = 0;
    GetDlgItemTextW(box, 0xFFFF, text, 8192);
    return text;
}

class QUILLON_SUITE : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::copyFile(test::binFolder() + "Quillon.exe", folder.file("Quillon.exe")));
        removeTestValues();
    }
    void TearDown() override {
        quillon.kill();
        removeTestValues();
    }
    void removeTestValues() {
        for (const std::wstring& name : {TEST_VALUE, std::wstring(L"1"), LONGEST_VALUE}) deleteRunValue(name);
    }

    void writeIni(const std::string& key, const std::string& name, const std::string& file) {
        ASSERT_TRUE(test::writeFile(folder.file("Quillon.ini"),
                                    "[AUTORUN]\r\nKEY=" + key + "\r\nNAME=" + name + "\r\nFILE=" + file + "\r\n"));
    }
    void start() { ASSERT_TRUE(quillon.start(folder.file("Quillon.exe"), "", folder.path())); }
    // Runs the test build, in which the test folder and every folder above it may be changed by
    // administrators only, unless `special` gives a path other rights.
    void storeSecurity(const std::map<std::string, std::string>& special = {}) {
        ASSERT_TRUE(test::copyFile(test::binFolder() + "QuillonStoredSecurity.exe", folder.file("Quillon.exe")));
        std::map<std::string, std::string> table = special;
        std::string path = folder.path();
        for (size_t end; (end = path.find_last_of('\\', path.size() - 2)) != std::string::npos;) {
            path = path.substr(0, path.size() - 1);  // the folder without its closing backslash
            table.insert({path, ADMINS_ONLY});
            path = path.substr(0, end + 1);
        }
        table.insert({path, ADMINS_ONLY});
        std::string text = "[SDDL]\r\n";
        for (const auto& entry : table) text += entry.first + "=" + entry.second + "\r\n";
        ASSERT_TRUE(test::writeFile(folder.file("StoredSecurity.ini"), text));
    }

    // A visible message box of Quillon's with this caption, other than `other`.
    HWND waitForBox(const std::wstring& caption, HWND other = nullptr) {
        HWND found = nullptr;
        test::waitUntil([&] { return (found = test::findDialog(quillon.id(), caption, other)) != nullptr; }, 20000);
        return found;
    }
    void press(HWND box, int button) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }
    // Answers the question with `button` and returns the box that follows, checked by caption.
    HWND answer(HWND questionBox, int button, const std::wstring& nextCaption) {
        press(questionBox, button);
        return waitForBox(nextCaption, questionBox);
    }
    void expectEndsWithZero() {
        DWORD code = 1;
        ASSERT_TRUE(quillon.wait(20000, &code));
        EXPECT_EQ(0u, code);
    }
    std::wstring quotedBesideQuillon(const std::string& file) { return L"\"" + widen(folder.path() + file) + L"\""; }

    test::TempDir folder;
    test::Process quillon;
};

TEST_F(QUILLON_SUITE, QuestionWithoutValueOffersYesNoCancelAndCancelChangesNothing) {
    EXPECT_EQ(QUILLON_JAPANESE ? 1041u : 1033u, GetThreadLocale());
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    start();
    HWND box = waitForBox(CAPTION);
    ASSERT_TRUE(box);
    EXPECT_EQ(question(L"Test Program", NO_SETTING), boxText(box));
    for (int button : {IDYES, IDNO, IDCANCEL}) EXPECT_TRUE(GetDlgItem(box, button)) << button;
    EXPECT_FALSE(GetDlgItem(box, IDOK));
    press(box, IDCANCEL);
    expectEndsWithZero();
    EXPECT_FALSE(readRunValue(TEST_VALUE).exists);
}

// Read as its bytes say, the section on the first line behind the BOM included.
TEST_F(QUILLON_SUITE, IniFileInUtf8WithABomNamesTheProgram) {
    ASSERT_TRUE(test::writeFile(
        folder.file("Quillon.ini"),
        test::encodedText(L"[AUTORUN]\r\nKEY=QuillonTestValue\r\nNAME=テスト 帳\r\nFILE=prog.exe\r\n", INI_UTF8_BOM)));
    start();
    HWND box = waitForBox(CAPTION);
    ASSERT_TRUE(box);
    EXPECT_EQ(question(L"テスト 帳", NO_SETTING), boxText(box));
    press(box, IDCANCEL);
    expectEndsWithZero();
}

TEST_F(QUILLON_SUITE, CurrentValueFollowsTheLabelAndCancelOrCloseKeepsIt) {
    const std::wstring old = L"\"C:\\Old Place\\old.exe\"";
    setRunText(TEST_VALUE, old);
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    for (UINT message : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
        start();
        HWND box = waitForBox(CAPTION);
        ASSERT_TRUE(box);
        EXPECT_EQ(question(L"Test Program", old), boxText(box));
        if (message == WM_CLOSE)
            PostMessageW(box, WM_CLOSE, 0, 0);
        else
            press(box, IDCANCEL);
        expectEndsWithZero();
        EXPECT_EQ(old, readRunValue(TEST_VALUE).text);
    }
}

TEST_F(QUILLON_SUITE, YesStoresQuotedPathBesideQuillonAndConfirms) {
    // Its own value, unquoted and with an argument, is Quillon's to replace.
    setRunText(TEST_VALUE, widen(folder.file("SUB\\prog.exe")) + L" /old");
    writeIni("QuillonTestValue", "Test Program", "sub\\prog.exe");
    // The program and its subfolder do not exist yet: only administrators could make them.
    storeSecurity();
    start();
    HWND done = answer(waitForBox(CAPTION), IDYES, CAPTION);
    ASSERT_TRUE(done);
    EXPECT_EQ(SET_DONE, boxText(done));
    press(done, IDOK);
    expectEndsWithZero();

    RunValue value = readRunValue(TEST_VALUE);
    const std::wstring expected = quotedBesideQuillon("sub\\prog.exe");
    EXPECT_EQ(expected, value.text);
    EXPECT_EQ(DWORD(REG_SZ), value.type);
    EXPECT_EQ((expected.size() + 1) * 2, value.bytes);
}

// Wine's descriptors make the folder the user's own, as an unpacked ZIP's is on Windows: Yes
// refuses. So does the test build where only the program, or only the folder above, is open
// to users. The value stays as it was.
TEST_F(QUILLON_SUITE, YesRefusesAProgramThatOthersCanChangeAndKeepsTheValue) {
    setRunText(TEST_VALUE, L"old");
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    ASSERT_TRUE(test::writeFile(folder.file("prog.exe"), "MZ"));
    std::string above = folder.path().substr(0, folder.path().find_last_of('\\', folder.path().size() - 2));
    const std::map<std::string, std::string> stored[] = {
        {{folder.file("prog.exe"), "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;BU)"}},
        {{above, "O:BAD:(A;;FA;;;BA)(A;;0x100040;;;BU)"}, {folder.file("prog.exe"), ADMINS_ONLY}},
    };
    for (int run = 0; run < 3; ++run) {
        if (run) storeSecurity(stored[run - 1]);
        start();
        HWND refusal = answer(waitForBox(CAPTION), IDYES, CAPTION);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(othersCanChange(widen(folder.file("prog.exe"))), boxText(refusal));
        press(refusal, IDOK);
        expectEndsWithZero();
        EXPECT_EQ(L"old", readRunValue(TEST_VALUE).text);
    }
}

// In a folder that others can change, too: removing a value is always allowed.
TEST_F(QUILLON_SUITE, NoRemovesValueAndConfirms) {
    setRunText(TEST_VALUE, quotedBesideQuillon("prog.exe"));
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    start();
    HWND done = answer(waitForBox(CAPTION), IDNO, CAPTION);
    ASSERT_TRUE(done);
    EXPECT_EQ(REMOVED_DONE, boxText(done));
    press(done, IDOK);
    expectEndsWithZero();
    EXPECT_FALSE(readRunValue(TEST_VALUE).exists);
}

// A value that starts another program is not Quillon's: neither Yes nor No touches it, and
// Quillon says whose it is.
TEST_F(QUILLON_SUITE, AnotherProgramsValueIsLeftAsItIs) {
    const std::wstring others = L"\"C:\\Program Files\\Other\\prog.exe\" /background";
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    storeSecurity();
    for (int button : {IDYES, IDNO}) {
        setRunText(TEST_VALUE, others);
        start();
        HWND refusal = answer(waitForBox(CAPTION), button, CAPTION);
        ASSERT_TRUE(refusal) << button;
        EXPECT_EQ(othersValue(TEST_VALUE, others), boxText(refusal));
        press(refusal, IDOK);
        expectEndsWithZero();
        EXPECT_EQ(others, readRunValue(TEST_VALUE).text);
    }
}

// KEY names the value to set or delete: a path, a control character or a name longer than
// the longest is refused before anything is asked.
TEST_F(QUILLON_SUITE, AKeyThatIsNoPlainNameIsRefused) {
    setRunText(TEST_VALUE, L"kept");
    for (const std::string& key : {std::string("..\\QuillonTestValue"), std::string("Quillon\tTestValue"),
                                   std::string("QuillonTestValue%s"), std::string(128, 'K')}) {
        writeIni(key, "Test Program", "prog.exe");
        start();
        HWND refusal = waitForBox(CAPTION);
        ASSERT_TRUE(refusal) << key;
        EXPECT_EQ(notAPlainName(widen(key)), boxText(refusal)) << key;
        press(refusal, IDOK);
        expectEndsWithZero();
    }
    EXPECT_EQ(L"kept", readRunValue(TEST_VALUE).text);
}

TEST_F(QUILLON_SUITE, NoWithoutValueReportsTheSystemErrorAndEnds) {
    wchar_t* systemText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                   ERROR_FILE_NOT_FOUND, 0x400, reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    const std::wstring expected = systemText && *systemText ? systemText : L"Error 2";
    LocalFree(systemText);

    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    start();
    HWND error = answer(waitForBox(CAPTION), IDNO, L"Error");
    ASSERT_TRUE(error);
    EXPECT_EQ(expected, boxText(error));
    press(error, IDOK);
    // No confirmation follows: Quillon ends on its own.
    expectEndsWithZero();
}

TEST_F(QUILLON_SUITE, WithoutIniTheDefaultsNameValueAndFile) {
    storeSecurity();
    start();
    HWND box = waitForBox(CAPTION);
    ASSERT_TRUE(box);
    EXPECT_EQ(question(L"2", NO_SETTING), boxText(box));
    HWND done = answer(box, IDYES, CAPTION);
    ASSERT_TRUE(done);
    press(done, IDOK);
    expectEndsWithZero();
    EXPECT_EQ(quotedBesideQuillon("3"), readRunValue(L"1").text);
}

TEST_F(QUILLON_SUITE, AnEmptyKeyNameOrFileEndsAtOnceWithoutAMessage) {
    const std::string empty[][3] = {{"", "Test Program", "prog.exe"},
                                    {"QuillonTestValue", "", "prog.exe"},
                                    {"QuillonTestValue", "Test Program", ""}};
    for (const auto& fields : empty) {
        writeIni(fields[0], fields[1], fields[2]);
        start();
        // A message box would keep Quillon waiting for an answer.
        expectEndsWithZero();
    }
    EXPECT_FALSE(readRunValue(TEST_VALUE).exists);
}

TEST_F(QUILLON_SUITE, LongestValuesAreKeptWholeInQuestionAndData) {
    // Quillon's own value, with arguments up to the longest that is shown.
    std::wstring current = quotedBesideQuillon(std::string(127, 'F')) + L" ";
    current += std::wstring(2047 - current.size(), L'c');
    setRunText(LONGEST_VALUE, current);
    // Longer names and files are cut to 127 characters; a KEY is a name of 127 at most.
    writeIni(std::string(127, 'K'), std::string(200, 'N'), std::string(200, 'F'));
    storeSecurity();
    start();
    HWND box = waitForBox(CAPTION);
    ASSERT_TRUE(box);
    EXPECT_EQ(question(std::wstring(127, L'N'), current), boxText(box));
    HWND done = answer(box, IDYES, CAPTION);
    ASSERT_TRUE(done);
    EXPECT_EQ(SET_DONE, boxText(done));
    press(done, IDOK);
    expectEndsWithZero();
    EXPECT_EQ(quotedBesideQuillon(std::string(127, 'F')), readRunValue(LONGEST_VALUE).text);
}

TEST_F(QUILLON_SUITE, CurrentValueWithoutTerminatingZeroIsCut) {
    // Binary data, so that the registry adds no terminating zero of its own.
    const std::wstring unterminated(2048, L'Q');
    setRunValue(TEST_VALUE, REG_BINARY, unterminated.data(), 4096);
    writeIni("QuillonTestValue", "Test Program", "prog.exe");
    start();
    HWND box = waitForBox(CAPTION);
    ASSERT_TRUE(box);
    EXPECT_EQ(question(L"Test Program", std::wstring(2047, L'Q')), boxText(box));
    press(box, IDCANCEL);
    expectEndsWithZero();
}

}  // namespace
