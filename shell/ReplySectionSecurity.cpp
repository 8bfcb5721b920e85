#include "shell/ReplySectionSecurity.h"

#include <sddl.h>

#include <cwchar>

namespace {

// One access entry in SDDL: its frame and a SID's text (at most 184 characters).
const int ACE_TEXT_SIZE = 200;

// A token's user or integrity label, with room for the SID it points at.
struct TokenInfo {
    union {
        TOKEN_USER user;
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    };
};

bool readToken(HANDLE process, TOKEN_INFORMATION_CLASS what, TokenInfo& out) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    bool read = GetTokenInformation(token, what, out.bytes, sizeof out.bytes, &size) != 0;
    CloseHandle(token);
    return read;
}

// Above medium integrity: elevated, or a service.
bool aboveMedium(const TokenInfo& integrity) {
    PSID sid = integrity.label.Label.Sid;
    UCHAR count = *GetSidSubAuthorityCount(sid);
    return count && *GetSidSubAuthority(sid, count - 1u) > SECURITY_MANDATORY_MEDIUM_RID;
}

bool residentUser(HWND resident, TokenInfo& out) {
    DWORD processId = 0;
    GetWindowThreadProcessId(resident, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    bool read = readToken(process, TokenUser, out);
    CloseHandle(process);
    return read;
}

}  // namespace

bool replySectionSddl(PSID sender, PSID resident, bool labelMedium,
                      wchar_t (&sddl)[REPLY_SDDL_SIZE]) {
    wchar_t* senderText = nullptr;
    wchar_t* residentText = nullptr;
    bool written = ConvertSidToStringSidW(sender, &senderText) &&
                   (!resident || ConvertSidToStringSidW(resident, &residentText));
    if (written) {
        // 0x6: SECTION_MAP_READ | SECTION_MAP_WRITE. NW: no write from below medium.
        wchar_t residentAce[ACE_TEXT_SIZE] = {};
        if (residentText)
            _snwprintf(residentAce, ACE_TEXT_SIZE - 1, L"(A;;0x6;;;%ls)", residentText);
        int length = _snwprintf(sddl, REPLY_SDDL_SIZE - 1, L"D:(A;;GA;;;%ls)%ls(A;;0x6;;;BA)%ls",
                                senderText, residentAce, labelMedium ? L"S:(ML;;NW;;;ME)" : L"");
        sddl[REPLY_SDDL_SIZE - 1] = 0;
        written = length > 0;
    }
    if (senderText) LocalFree(senderText);
    if (residentText) LocalFree(residentText);
    return written;
}

ReplySectionSecurity::ReplySectionSecurity(HWND resident) : security(), descriptor(nullptr) {
    TokenInfo sender, integrity, other;
    HANDLE self = GetCurrentProcess();
    if (!readToken(self, TokenUser, sender) || !readToken(self, TokenIntegrityLevel, integrity))
        return;
    PSID residentSid =
        residentUser(resident, other) && !EqualSid(other.user.User.Sid, sender.user.User.Sid)
            ? other.user.User.Sid
            : nullptr;
    wchar_t sddl[REPLY_SDDL_SIZE];
    if (!replySectionSddl(sender.user.User.Sid, residentSid, aboveMedium(integrity), sddl) ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        descriptor = nullptr;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = descriptor;
}

ReplySectionSecurity::~ReplySectionSecurity() {
    if (descriptor) LocalFree(descriptor);
}

SECURITY_ATTRIBUTES* ReplySectionSecurity::attributes() { return descriptor ? &security : nullptr; }
