// The file security reader of the test build of Quillon. Windows keeps a descriptor with each
// file; Wine derives one from the Unix owner and mode, in which the user always owns and may
// write every file. A test gives a file or folder the descriptor that Windows would keep by
// naming its full path in section SDDL of StoredSecurity.ini beside the program; every other
// path is read from the system.

#include "autorun/FileSecurity.h"

#include <aclapi.h>
#include <sddl.h>

DWORD readFileSecurity(const wchar_t* path, PSECURITY_DESCRIPTOR* descriptor) {
    wchar_t table[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, table, MAX_PATH);
    while (length && table[length - 1] != L'\\') --length;
    lstrcpynW(table + length, L"StoredSecurity.ini", MAX_PATH - length);
    wchar_t sddl[1024];
    if (!GetPrivateProfileStringW(L"SDDL", path, L"", sddl, 1024, table)) {
        *descriptor = nullptr;
        return GetNamedSecurityInfoW(path, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, nullptr, nullptr, descriptor);
    }
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor, nullptr)
               ? ERROR_SUCCESS
               : GetLastError();
}
