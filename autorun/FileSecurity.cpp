#include "FileSecurity.h"

#include <aclapi.h>

DWORD readFileSecurity(const wchar_t* path, PSECURITY_DESCRIPTOR* descriptor) {
    *descriptor = nullptr;
    return GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                 nullptr, nullptr, nullptr, descriptor);
}
