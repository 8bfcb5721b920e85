#pragma once

// Paths beside the program and below a shell special folder. All text is ANSI in the system
// code page, which may be double-byte: paths are walked character by character, so a trail
// byte of 0x5C is never taken for a backslash. Every operation writes into the caller's buffer
// (sizes in bytes, terminating zero included) and returns it.
class C_PathUtil {
public:
    // The running program's folder with its trailing backslash; empty when the program's path
    // does not fit, since a cut path would name some other folder.
    char* getModuleFolder(char* buffer, int size);

    // Keeps everything up to and including the last separator; no separator empties the text.
    static void truncateAfterLast(char* text, char separator);

    // The program's folder followed by fileName; empty when the folder cannot be had.
    char* makeModuleFilePath(char* buffer, int size, const char* fileName);

    // The special folder (created when missing), a backslash and relativePath.
    // Returns nullptr when the shell supplies no folder or the result does not fit.
    char* makeSpecialFolderPath(char* buffer, int size, int csidl, const char* relativePath);
};

// 1 when path names an existing folder (wantFolder non-zero) or an existing file (wantFolder 0).
int fileExists(const char* path, int wantFolder);

// 1 when path names an existing file or folder with the read-only attribute.
int isReadOnlyFile(const char* path);
