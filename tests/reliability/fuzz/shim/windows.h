#pragma once

// Just enough of the Windows interface for the product's plain-C++ files to compile natively
// under the fuzzers; each fuzzer defines the few functions its files call.

#include <cstdint>
#include <cstring>

#define WINAPI
#define CALLBACK
#define FALSE 0
#define TRUE 1
#define MAX_PATH 260

typedef int BOOL;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct {
    LONG left, top, right, bottom;
} RECT;

enum : DWORD { PROCESS_QUERY_LIMITED_INFORMATION = 0x1000 };
enum : DWORD { MOVEFILE_REPLACE_EXISTING = 1, MOVEFILE_WRITE_THROUGH = 8 };
enum : DWORD { ERROR_FILE_NOT_FOUND = 2, ERROR_PATH_NOT_FOUND = 3, ERROR_ACCESS_DENIED = 5 };
enum : DWORD { ERROR_SHARING_VIOLATION = 32, ERROR_LOCK_VIOLATION = 33, ERROR_FILE_EXISTS = 80 };
enum : DWORD { FILE_ATTRIBUTE_READONLY = 1, FILE_ATTRIBUTE_NORMAL = 0x80, INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu };
enum : DWORD { GENERIC_READ = 0x80000000u, GENERIC_WRITE = 0x40000000u };
enum : DWORD { FILE_ATTRIBUTE_HIDDEN = 2, FILE_ATTRIBUTE_SYSTEM = 4, FILE_ATTRIBUTE_ARCHIVE = 0x20 };
enum : DWORD { FILE_ATTRIBUTE_NOT_CONTENT_INDEXED = 0x2000 };
enum : DWORD { FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2, FILE_SHARE_DELETE = 4 };
enum : DWORD { CREATE_NEW = 1, CREATE_ALWAYS = 2, OPEN_EXISTING = 3, FILE_BEGIN = 0 };
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(-1))
enum : LONG { WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000 };
enum { GWL_STYLE = -16 };
enum : UINT { MOD_ALT = 1, MOD_CONTROL = 2, MOD_SHIFT = 4, MOD_WIN = 8 };
enum : UINT { VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_PAUSE = 0x13, VK_ESCAPE = 0x1B };
enum : UINT { VK_SPACE = 0x20, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN };
enum : UINT { VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69 };
enum : UINT { VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F };
enum : UINT { VK_F1 = 0x70, VK_F12 = 0x7B, VK_SCROLL = 0x91 };

BOOL CreateDirectoryA(const char* path, void* security);
BOOL DeleteFileA(const char* path);
BOOL MoveFileExA(const char* from, const char* to, DWORD flags);
HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, void* overlapped);
typedef uint64_t ULONGLONG;
typedef struct {
    DWORD dwLowDateTime, dwHighDateTime;
} FILETIME;
typedef struct {
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh, nFileSizeLow;
    char cFileName[260];
} WIN32_FIND_DATAA;
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* found);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found);
BOOL FindClose(HANDLE search);
void GetSystemTimeAsFileTime(FILETIME* time);
DWORD GetLastError();
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileAttributesA(const char* path);
BOOL SetFileAttributesA(const char* path, DWORD attributes);
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef WORD SECURITY_DESCRIPTOR_CONTROL;
typedef struct {
    BYTE AceType, AceFlags;
    WORD AceSize;
} ACE_HEADER;
typedef struct {
    BYTE AclRevision, Sbz1;
    WORD AclSize, AceCount, Sbz2;
} ACL, *PACL;
typedef struct {
    void* fields[5];
} SECURITY_DESCRIPTOR;
typedef void* PSECURITY_DESCRIPTOR;
enum : DWORD { DACL_SECURITY_INFORMATION = 4, SE_DACL_PROTECTED = 0x1000, INHERITED_ACE = 0x10 };
BOOL GetFileSecurityA(const char* path, DWORD what, PSECURITY_DESCRIPTOR security, DWORD size, DWORD* needed);
BOOL SetFileSecurityA(const char* path, DWORD what, PSECURITY_DESCRIPTOR security);
BOOL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR security, SECURITY_DESCRIPTOR_CONTROL* control, DWORD* revision);
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR security, BOOL* present, PACL* rules, BOOL* defaulted);
BOOL GetAce(PACL rules, DWORD index, void** rule);
DWORD GetCurrentProcessId();
DWORD GetTickCount();
int lstrlenA(const char* text);
char* lstrcpynA(char* to, const char* from, int size);
void Sleep(DWORD milliseconds);
typedef unsigned UINT;
enum : unsigned { CP_ACP = 0, CP_UTF8 = 65001 };
enum : DWORD { MB_ERR_INVALID_CHARS = 8, WC_NO_BEST_FIT_CHARS = 0x400 };
int MultiByteToWideChar(unsigned codePage, DWORD flags, const char* text, int size, wchar_t* wide, int wideSize);
int WideCharToMultiByte(unsigned codePage, DWORD flags, const wchar_t* wide, int wideSize, char* text, int size,
                        const char* fallback, BOOL* usedFallback);
UINT GetACP();
BOOL IsDBCSLeadByte(BYTE byte);
HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
#define CopyMemory(to, from, size) memcpy((to), (from), (size))

int GetClassNameW(HWND window, wchar_t* name, int size);
int GetWindowTextW(HWND window, wchar_t* text, int size);
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);
HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId);
BOOL QueryFullProcessImageNameW(HANDLE process, DWORD flags, wchar_t* path, DWORD* size);
BOOL CloseHandle(HANDLE handle);
BOOL IsWindowVisible(HWND window);
BOOL IsWindowEnabled(HWND window);
BOOL GetWindowRect(HWND window, RECT* rect);
LONG GetWindowLongA(HWND window, int index);
enum { CSTR_LESS_THAN = 1, CSTR_EQUAL = 2, CSTR_GREATER_THAN = 3 };
int CompareStringOrdinal(const wchar_t* a, int aLength, const wchar_t* b, int bLength, BOOL ignoreCase);
wchar_t* lstrcpynW(wchar_t* to, const wchar_t* from, int size);

DWORD GetFileVersionInfoSizeW(const wchar_t* path, DWORD* handle);
BOOL GetFileVersionInfoW(const wchar_t* path, DWORD handle, DWORD size, void* data);
BOOL VerQueryValueW(const void* block, const wchar_t* subBlock, void** buffer, UINT* size);
int lstrlenW(const wchar_t* text);
int lstrcmpiW(const wchar_t* a, const wchar_t* b);
int _snwprintf(wchar_t* out, size_t size, const wchar_t* format, ...);
