// The error text fallback, the judgement of who can change a program, and the resources that
// Quillon.exe carries.

#include "Version.h"
#include "autorun/AutorunSafety.h"
#include "autorun/ErrorText.h"
#include "autorun/RunValue.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

namespace {

const std::wstring TRUSTED_INSTALLER = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const std::wstring SOME_USER = L"S-1-5-21-1004336348-1177238915-682003330-1001";

bool judgeSddl(bool (*judge)(PSECURITY_DESCRIPTOR), const std::wstring& sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        << GetLastError();
    bool verdict = judge(descriptor);
    LocalFree(descriptor);
    return verdict;
}

TEST(QuillonAutorunSafety, SafeOnlyWhereAdministratorsSystemAndTrustedInstallerAloneMayChange) {
    const std::wstring admins = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    const struct {
        std::wstring sddl;
        bool changeable;
    } cases[] = {
        // A folder made below Program Files, and one of the system's own.
        {admins + L"(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)(A;OICI;0x1200a9;;;AC)", false},
        {L"O:" + TRUSTED_INSTALLER + L"D:(A;;FA;;;" + TRUSTED_INSTALLER + L")(A;;0x1301bf;;;BA)(A;;0x1301bf;;;SY)" +
             L"(A;;0x1200a9;;;BU)",
         false},
        // Rights that do not change the program: attributes and extended attributes.
        {admins + L"(A;;0x1201b9;;;BU)", false},
        // The user who started Quillon, or any other account, counts like everyone else.
        {admins + L"(A;OICI;FA;;;" + SOME_USER + L")", true},
        // Entries only children inherit, and placeholders, grant nothing here.
        {admins + L"(A;OICIIO;FA;;;BU)(A;;FA;;;CO)(A;;FA;;;OW)", false},
        // Deny entries count where they come first and certainly apply.
        {admins + L"(D;;0x10116;;;BU)(A;;0x1301bf;;;BU)", false},
        {admins + L"(D;;0x10116;;;WD)(A;;0x1301bf;;;AU)", false},
        {admins + L"(A;;0x1301bf;;;BU)(D;;0x10116;;;BU)", true},
        {admins + L"(D;;0x10116;;;BU)(A;;0x1301bf;;;WD)", true},
        {admins + L"(D;;0x10000;;;BU)(A;;0x1301bf;;;BU)", true},
        // An empty DACL lets no one in but the owner.
        {L"O:BAD:", false},
        // An owner other than the trusted ones may rewrite the rights.
        {L"O:" + SOME_USER + L"D:(A;;FA;;;BA)", true},
        {L"O:BUD:(A;;FA;;;BA)", true},
    };
    for (const auto& each : cases)
        EXPECT_EQ(each.changeable, judgeSddl(othersCanChange, each.sddl)) << each.sddl.c_str();
    // Write or add a file, append or add a folder, delete a child, delete, rights, owner, and the
    // generic rights that hold them, for each untrusted group in turn.
    const wchar_t* groups[] = {L"BU", L"AU", L"IU", L"WD"};
    int group = 0;
    const DWORD rights[] = {FILE_WRITE_DATA, FILE_APPEND_DATA, FILE_DELETE_CHILD, DELETE,
                            WRITE_DAC,       WRITE_OWNER,      GENERIC_WRITE,     GENERIC_ALL};
    for (DWORD right : rights) {
        wchar_t ace[64];
        swprintf(ace, 64, L"(A;;0x%lx;;;%ls)", static_cast<unsigned long>(right), groups[group++ % 4]);
        std::wstring sddl = admins + ace;
        EXPECT_TRUE(judgeSddl(othersCanChange, sddl)) << sddl.c_str();
    }

    // No DACL at all lets everyone in. Made by hand: Wine reads "D:NO_ACCESS_CONTROL" as an empty DACL.
    SECURITY_DESCRIPTOR open;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorOwner(&open, administrators, FALSE));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    EXPECT_TRUE(othersCanChange(&open));
}

// Above the program's folder only taking a folder away counts: deleting or renaming it or one in
// it, or changing its rights or owner.
TEST(QuillonAutorunSafety, AFolderFurtherUpIsSafeUnlessOthersCanTakeAFolderAway) {
    const struct {
        std::wstring sddl;
        bool removable;
    } cases[] = {
        // A drive's root: users may make folders in it, but neither delete nor rename them.
        {L"O:" + TRUSTED_INSTALLER + L"D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;;0x100004;;;AU)" +
             L"(A;OICIIO;SDGXGWGR;;;AU)",
         false},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x100002;;;BU)", false},
        // A user's profile folder, and one that users may modify.
        {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + SOME_USER + L")", true},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;AU)", true},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x100040;;;BU)", true},
        {L"O:BUD:(A;;FA;;;BA)", true},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(each.removable, judgeSddl(othersCanRemoveFrom, each.sddl)) << each.sddl.c_str();
    }
    // Where the program's own folder is concerned, adding to it counts.
    EXPECT_TRUE(judgeSddl(othersCanChange, cases[1].sddl));
}

// Wine keeps no descriptor set on a file: it makes one from the Unix owner and mode, in which
// the user owns every file and may write it. So a safe real file exists only on Windows.
TEST(QuillonAutorunSafety, ARealFileOfTheUsersOwnIsChangeable) {
    test::TempDir folder;
    ASSERT_TRUE(test::writeFile(folder.file("prog.exe"), "MZ"));
    std::wstring file = std::wstring(folder.path().begin(), folder.path().end()) + L"prog.exe";
    EXPECT_TRUE(othersCanReplace(file.c_str()));
}

// Which Run values Quillon may touch: its KEY a plain name, the value's program its own.
TEST(QuillonRunValue, PlainNamesOnlyAndValuesThatStartTheProgramBesideIt) {
    const std::wstring longest(VALUE_NAME_MAX, L'K'), tooLong(VALUE_NAME_MAX + 1, L'K');
    for (const wchar_t* name : {L"Varnel", L"Varnel 2.7_x-64", L"1", longest.c_str()})
        EXPECT_TRUE(plainValueName(name)) << name;
    for (const wchar_t* name :
         {L"", L"Run\\Varnel", L"Varnel\r\nX", L"Ｖarnel", L"Varnel%", L"Varnel\"", tooLong.c_str()})
        EXPECT_FALSE(plainValueName(name)) << name;

    const wchar_t* path = L"C:\\Program Files\\Varnel\\Varnel.exe";
    for (const wchar_t* data :
         {L"\"C:\\Program Files\\Varnel\\Varnel.exe\"", L"\"c:\\program files\\varnel\\VARNEL.EXE\" /x",
          L"C:\\Program Files\\Varnel\\Varnel.exe"})
        EXPECT_TRUE(startsProgram(data, path)) << data;
    EXPECT_TRUE(startsProgram(L"C:\\Tools\\v.exe /background", L"C:\\Tools\\v.exe"));
    for (const wchar_t* data :
         {L"", L"\"C:\\Program Files\\Varnel\\Varnel.exe", L"\"C:\\Program Files\\Varnel\\Varnel.exe.bak\"",
          L"\"C:\\Program Files\\Varnel\\Varnel.exe\\\"", L"\"\"", L"C:\\Program"})
        EXPECT_FALSE(startsProgram(data, path)) << data;
}

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
                                L"FileVersion", L"" VARNEL_VERSION_FULL}) {
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
    EXPECT_EQ(static_cast<DWORD>(VARNEL_VERSION_MAJOR << 16 | VARNEL_VERSION_MINOR), fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
}

}  // namespace
