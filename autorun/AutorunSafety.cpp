#include "AutorunSafety.h"

#include <wchar.h>

#include "FileSecurity.h"

namespace {

const int PATH_CHARS = 2048;

// What lets an account put a program of its own in the place of another: writing or adding
// to the file or folder, deleting it or its children, changing its rights or its owner.
const DWORD REMOVE_RIGHTS = FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
const DWORD CHANGE_RIGHTS = REMOVE_RIGHTS | FILE_WRITE_DATA | FILE_APPEND_DATA;

// NT SERVICE\TrustedInstaller, which owns the system's own files.
const DWORD TRUSTED_INSTALLER[] = {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u};
const int TRUSTED_INSTALLER_PARTS = sizeof TRUSTED_INSTALLER / sizeof TRUSTED_INSTALLER[0];

bool hasAuthority(PSID sid, SID_IDENTIFIER_AUTHORITY authority) {
    return memcmp(GetSidIdentifierAuthority(sid), &authority, sizeof authority) == 0;
}

bool isTrustedInstaller(PSID sid) {
    if (!hasAuthority(sid, SECURITY_NT_AUTHORITY) ||
        *GetSidSubAuthorityCount(sid) != TRUSTED_INSTALLER_PARTS)
        return false;
    for (int part = 0; part < TRUSTED_INSTALLER_PARTS; ++part) {
        if (*GetSidSubAuthority(sid, part) != TRUSTED_INSTALLER[part]) return false;
    }
    return true;
}

bool isTrusted(PSID sid) {
    return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinLocalSystemSid) || isTrustedInstaller(sid);
}

// CREATOR OWNER and its kin stand for someone only in what children inherit; OWNER RIGHTS
// stands for the owner, who is judged on his own.
bool isPlaceholder(PSID sid) { return hasAuthority(sid, SECURITY_CREATOR_SID_AUTHORITY); }

// One entry of a DACL as it bears on the object itself.
struct Entry {
    bool allows = false;
    bool denies = false;
    DWORD rights = 0;  // of the rights asked for, generic rights mapped to the file rights
    PSID sid = nullptr;
};

Entry entryAt(PACL dacl, DWORD index, DWORD asked) {
    Entry entry;
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, index, reinterpret_cast<void**>(&header))) return entry;
    // Inherit-only entries apply to children only. A conditional deny may not apply, so it is
    // not counted on; a conditional allow may, so it is.
    if (header->AceFlags & INHERIT_ONLY_ACE) return entry;
    entry.allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                   header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    entry.denies = header->AceType == ACCESS_DENIED_ACE_TYPE;
    if (!entry.allows && !entry.denies) return entry;
    // These types share the layout of the allowed entry: header, mask, then the SID.
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    GENERIC_MAPPING fileMapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                   FILE_ALL_ACCESS};
    DWORD mask = ace->Mask;
    MapGenericMask(&mask, &fileMapping);
    entry.rights = mask & asked;
    entry.sid = &ace->SidStart;
    return entry;
}

// The rights asked for that an account known to hold `sid` and Everyone, and nothing else, is
// granted: the least membership, so that no deny entry is counted on that might not apply. The
// entries are taken in order, and the first to speak of a right decides, as in the system's
// access check.
DWORD grantedRights(PACL dacl, PSID sid, DWORD asked) {
    DWORD granted = 0;
    DWORD denied = 0;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        Entry entry = entryAt(dacl, index, asked);
        if (!entry.sid || (!EqualSid(entry.sid, sid) && !IsWellKnownSid(entry.sid, WinWorldSid)))
            continue;
        if (entry.allows) granted |= entry.rights & ~denied;
        if (entry.denies) denied |= entry.rights & ~granted;
    }
    return granted;
}

// Whether an untrusted account holds any of the rights asked for, or owns the object.
bool othersHave(PSECURITY_DESCRIPTOR descriptor, DWORD asked) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    // The owner may always rewrite the rights.
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner || !isTrusted(owner))
        return true;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    // Without a DACL everyone may do anything.
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return true;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        Entry entry = entryAt(dacl, index, asked);
        if (!entry.allows || !entry.rights || isTrusted(entry.sid) || isPlaceholder(entry.sid))
            continue;
        if (grantedRights(dacl, entry.sid, asked)) return true;
    }
    return false;
}

enum class Verdict { SAFE, CHANGEABLE, MISSING };

Verdict judge(const wchar_t* path, DWORD asked) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = readFileSecurity(path, &descriptor);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Verdict::MISSING;
    bool changeable = error != ERROR_SUCCESS || othersHave(descriptor, asked);
    LocalFree(descriptor);
    return changeable ? Verdict::CHANGEABLE : Verdict::SAFE;
}

// Cuts the last part off a full path, keeping the backslash of a drive's root; false where
// only the root is left.
bool cutToFolder(wchar_t* path) {
    wchar_t* last = wcsrchr(path, L'\\');
    if (!last || !last[1]) return false;
    if (last > path && last[-1] == L':') ++last;
    *last = 0;
    return true;
}

}  // namespace

bool othersCanChange(PSECURITY_DESCRIPTOR descriptor) {
    return othersHave(descriptor, CHANGE_RIGHTS);
}

bool othersCanRemoveFrom(PSECURITY_DESCRIPTOR descriptor) {
    return othersHave(descriptor, REMOVE_RIGHTS);
}

bool othersCanReplace(const wchar_t* programPath) {
    wchar_t path[PATH_CHARS];
    DWORD length = GetFullPathNameW(programPath, PATH_CHARS, path, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(PATH_CHARS)) return true;
    if (judge(path, CHANGE_RIGHTS) == Verdict::CHANGEABLE) return true;
    // Whoever may add to the program's folder may put a program of his own beside it or in its
    // place; whoever may take a folder further up away may put a path of his own there.
    bool folderFound = false;
    while (cutToFolder(path)) {
        Verdict verdict = judge(path, folderFound ? REMOVE_RIGHTS : CHANGE_RIGHTS);
        if (verdict == Verdict::CHANGEABLE) return true;
        if (verdict == Verdict::SAFE) folderFound = true;
    }
    return !folderFound;
}
