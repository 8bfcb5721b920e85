// The error text fallback, and the resources that Quillon.exe carries.

#include "autorun/ErrorText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QuillonErrorText, SystemTextWhereThereIsOneElseTheNumber) {
    EXPECT_NE(L"", std::wstring(ErrorText(ERROR_FILE_NOT_FOUND).text()));
    EXPECT_NE(L"Error 2", std::wstring(ErrorText(ERROR_FILE_NOT_FOUND).text()));
    // The customer bit: no system has a text for this code.
    EXPECT_EQ(L"Error 536872146", std::wstring(ErrorText(0x20000000 | 1234).text()));
}

class QuillonResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA((test::binFolder() + "Quillon.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module);
    }
    void TearDown() override { FreeLibrary(module); }
    std::string resource(LPCSTR type, WORD id) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (!found) return "";
        return std::string(static_cast<const char*>(LockResource(LoadResource(module, found))),
                           SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

TEST_F(QuillonResources, ManifestOnlyRequestsAdministrator) {
    std::string manifest = resource(RT_MANIFEST, 1);
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""));
    EXPECT_EQ(manifest.find("<trustInfo"), manifest.rfind("<trustInfo"));
    EXPECT_EQ(std::string::npos, manifest.find("assemblyIdentity"));
    EXPECT_EQ(std::string::npos, manifest.find("dependency"));
}

TEST_F(QuillonResources, VersionNamesProductFileAndMaker) {
    std::string version = resource(RT_VERSION, 1);
    ASSERT_GT(version.size(), sizeof(VS_FIXEDFILEINFO));
    // The strings are UTF-16, each key followed by its value.
    std::wstring all(reinterpret_cast<const wchar_t*>(version.data()), version.size() / 2);
    for (const wchar_t* pair : {L"ProductName", L"Varnel", L"FileDescription", L"Quillon", L"CompanyName", L"Lumo",
                                L"FileVersion", L"2.7.0.0"}) {
        EXPECT_NE(std::wstring::npos, all.find(pair)) << pair;
    }
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (size_t at = 0; at + sizeof *fixed <= version.size(); at += 4) {
        auto candidate = reinterpret_cast<const VS_FIXEDFILEINFO*>(version.data() + at);
        if (candidate->dwSignature == 0xFEEF04BD) {
            fixed = candidate;
            break;
        }
    }
    ASSERT_TRUE(fixed);
    EXPECT_EQ(0x00020007u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
}

}  // namespace
