#pragma once

#include <windows.h>

// Who may open the section in which the resident Varnel answers a command. The sender's user
// may do anything with it; the resident's user and the Administrators may map it to read and
// write, so that a resident run elevated or by another administrator can answer; nobody else
// may open it. An elevated sender labels it medium integrity, which a resident that is not
// elevated may write to: the sender's own defaults would shut that resident out.

enum { REPLY_SDDL_SIZE = 512 };

// The descriptor in SDDL; resident may be null (not known, or the sender's own user). False
// when a SID cannot be written out.
bool replySectionSddl(PSID sender, PSID resident, bool labelMedium,
                      wchar_t (&sddl)[REPLY_SDDL_SIZE]);

// The descriptor for a command to the resident window, from the tokens of this process and of
// the window's process.
class ReplySectionSecurity {
public:
    explicit ReplySectionSecurity(HWND resident);
    ~ReplySectionSecurity();
    ReplySectionSecurity(const ReplySectionSecurity&) = delete;
    ReplySectionSecurity& operator=(const ReplySectionSecurity&) = delete;

    // Null, for the creator's defaults, when the descriptor could not be made.
    SECURITY_ATTRIBUTES* attributes();

private:
    SECURITY_ATTRIBUTES security;
    PSECURITY_DESCRIPTOR descriptor;
};
