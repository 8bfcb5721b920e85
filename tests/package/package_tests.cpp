// The programs as they come out of the release ZIP (unpacked by unpack-package.sh beside the
// build's bin folder): a first start with the welcome dialog, Quillon started from it, the main
// dialog with the sample targets, a sweep and the exit.

#include <gtest/gtest.h>

#include <cstring>

#include "Version.h"
#include "resources/resource.h"
#include "tests/e2e/VarnelHarness.h"

using e2e::VarnelRun;

namespace {

std::string packageFile(const char* name) { return test::binFolder() + "..\\package-test\\" + name; }

TEST(Package, UnpackedProgramsRunAsShipped) {
    VarnelRun varnel;
    for (const char* name : {"Varnel.exe", "Quillon.exe", "Quillon.ini", "target.ini"})
        ASSERT_TRUE(test::copyFile(packageFile(name), varnel.folder().file(name))) << name;
    // As on a first start: the welcome dialog opens.
    varnel.writeSettings("[SETTINGS]\r\nWAITTIME=0\r\nRUNNEXT=true\r\n");
    ASSERT_TRUE(varnel.start());
    HWND welcome = varnel.waitDialog(L"Varnel - ようこそ");
    ASSERT_NE(nullptr, welcome);

    e2e::click(welcome, IDC_REGISTRAR);
    // Quillon's question, in a process of its own.
    HWND question = nullptr;
    ASSERT_TRUE(
        test::waitUntil([&] { return (question = FindWindowW(L"#32770", L"自動起動を設定")) != nullptr; }, 20000));
    // The name comes from the Quillon.ini beside it.
    EXPECT_NE(std::wstring::npos, e2e::itemText(question, 0xFFFF).find(L"Varnelを自動起動しますか"));
    DWORD quillonId = 0;
    GetWindowThreadProcessId(question, &quillonId);
    EXPECT_NE(varnel.processId(), quillonId);
    HANDLE quillon = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, quillonId);
    ASSERT_NE(nullptr, quillon);
    e2e::click(question, IDCANCEL);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(quillon, 20000));
    DWORD code = 99;
    GetExitCodeProcess(quillon, &code);
    CloseHandle(quillon);
    EXPECT_EQ(0u, code);

    e2e::click(welcome, IDOK);
    ASSERT_TRUE(test::waitUntil([&] { return !IsWindow(welcome); }));

    test::TargetWindows folders;
    ASSERT_TRUE(folders.start({{"CabinetWClass", "folder"}}));
    HWND dialog = varnel.openMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Notepad", e2e::itemText(dialog, IDC_OTHER0));
    e2e::click(dialog, IDC_RUN);
    EXPECT_TRUE(folders.waitClosed(0));
    EXPECT_EQ(0, varnel.exitThroughMenu());
}

// Opened from the unpacked folder in any editor, on any Windows: every line ended by CR LF, and
// the texts beyond ASCII marked UTF-8 by a BOM.
TEST(Package, ShippedTextsEndEveryLineWithCrLf) {
    for (const char* name : {"README.txt", "target.ini", "Quillon.ini"}) {
        const std::string text = test::readFile(packageFile(name));
        ASSERT_FALSE(text.empty()) << name;
        if (strcmp(name, "Quillon.ini") != 0) {
            EXPECT_EQ(0u, text.rfind("\xEF\xBB\xBF", 0)) << name;
        }
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << name << ": a bare line feed at byte " << at;
    }
}

// The guide's title names the version that the programs carry, which the build keeps once.
TEST(Package, GuideNamesTheVersionOfThePrograms) {
    const std::string guide = test::readFile(packageFile("README.txt"));
    EXPECT_EQ(0u, guide.rfind("\xEF\xBB\xBFVarnel " VARNEL_VERSION "\r\n", 0)) << guide.substr(0, 20);
}

// The stripped programs leave room for what is planned and no more; this build's architecture
// decides which limit holds.
TEST(Package, ProgramsStayWithinTheirSizeLimits) {
    const bool x64 = sizeof(void*) == 8;
    const struct {
        const char* name;
        size_t win32Kb, x64Kb;
    } limits[] = {{"Varnel.exe", 190, 210}, {"Quillon.exe", 40, 48}};
    for (const auto& limit : limits)
        EXPECT_LE(test::readFile(packageFile(limit.name)).size(), (x64 ? limit.x64Kb : limit.win32Kb) * 1024)
            << limit.name;
}

}  // namespace
