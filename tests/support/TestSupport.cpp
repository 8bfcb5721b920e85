#include "tests/support/TestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "settings/IniEncoding.h"

namespace test {

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool waitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string binFolder() {
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = 0;
    return path;
}

std::string readFile(const std::string& path) {
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

std::string encodedText(const std::wstring& text, int encoding) {
    if (encoding == INI_UTF16LE)
        return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    UINT codePage = encoding == INI_ANSI ? CP_ACP : CP_UTF8;
    std::string bytes(text.size() * 4 + 1, 0);
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(n > 0 ? n : 0);
    return (encoding == INI_UTF8_BOM ? "\xEF\xBB\xBF" : "") + bytes;
}

std::wstring wide(const char* utf8) {
    wchar_t text[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 1024);
    return text;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool fileExistsPlain(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void deleteTree(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                deleteTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

TempDir::TempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH + 64];
        snprintf(name, sizeof name, "%svarnel-test-%lu-%u\\", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            folder = name;
            return;
        }
    }
}

TempDir::~TempDir() { deleteTree(folder); }

std::string appDataFolder() {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE);
    return path;
}

std::string appDataSettingsFile() { return appDataFolder() + "\\Lumo\\Varnel\\default.ini"; }

void removeAppDataSettings() { deleteTree(appDataFolder() + "\\Lumo"); }

bool copyFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

Process::~Process() {
    kill();
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
}

static std::wstring fromCodePage(const std::string& text, UINT codePage) {
    std::vector<wchar_t> out(text.size() + 1);
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                     static_cast<int>(out.size()));
    return std::wstring(out.data(), length > 0 ? length : 0);
}

bool Process::start(const std::string& exe, const std::string& arguments, const std::string& workingFolder) {
    return start(fromCodePage(exe, CP_ACP), fromCodePage(arguments, CP_ACP), fromCodePage(workingFolder, CP_ACP));
}

bool Process::start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info) != 0;
}

bool Process::running() const { return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

bool Process::wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!info.hProcess) return false;
    DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        pumpMessages();
        if (GetTickCount() - start > timeoutMs) return false;
    }
    if (exitCode) GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

void Process::kill() {
    if (running()) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
}

static std::string hexBytes(const std::string& text) {
    std::string out;
    char two[3];
    for (unsigned char c : text) {
        snprintf(two, sizeof two, "%02X", c);
        out += two;
    }
    return out;
}

TargetWindows::~TargetWindows() { stop(); }

bool TargetWindows::start(const std::vector<TargetWindowSpec>& windows, const std::string& exe, bool hang) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    char name[MAX_PATH + 64];
    snprintf(name, sizeof name, "%stargetwin-%lu-%u.log", base, GetCurrentProcessId(), ++counter);
    logPath = name;
    DeleteFileA(logPath.c_str());

    // Class and title travel hex-encoded, so that any bytes (double-byte text, blanks, quotes)
    // arrive unchanged.
    std::ostringstream args;
    args << "/log " << logPath;
    if (hang) args << " /hang";
    for (const TargetWindowSpec& w : windows) {
        args << " /w " << hexBytes(w.className) << " " << (w.title.empty() ? "-" : hexBytes(w.title)) << " " << std::hex
             << w.style << std::dec << " " << w.width << " " << w.height << " " << (w.visible ? 1 : 0)
             << (w.keepOpen ? 1 : 0) << (w.ownedByPrevious ? 1 : 0) << static_cast<char>(w.onClose);
    }
    std::string path = exe.find(':') == std::string::npos ? binFolder() + exe : exe;
    if (!process.start(fromCodePage(path, CP_UTF8), fromCodePage(args.str(), CP_UTF8))) return false;

    bool ready = waitUntil([&] { return readFile(logPath).find("ready\n") != std::string::npos; }, 10000);
    if (!ready) return false;
    std::istringstream log(readFile(logPath));
    std::string word;
    while (log >> word && word != "ready") {
        if (word == "window") {
            unsigned long long value = 0;
            log >> std::hex >> value >> std::dec;
            handles.push_back(reinterpret_cast<HWND>(static_cast<uintptr_t>(value)));
        }
    }
    return handles.size() == windows.size();
}

std::string TargetWindows::eventLine(size_t index) const {
    std::istringstream log(readFile(logPath));
    std::string line, out;
    HWND want = window(index);
    while (std::getline(log, line)) {
        unsigned long long value = 0;
        char what[32] = {};
        if (sscanf(line.c_str(), "event %llx %31s", &value, what) == 2 &&
            reinterpret_cast<HWND>(static_cast<uintptr_t>(value)) == want) {
            if (!out.empty()) out += " ";
            out += what;
        }
    }
    return out;
}

std::vector<size_t> TargetWindows::closeOrder() const {
    std::istringstream log(readFile(logPath));
    std::string line;
    std::vector<size_t> order;
    while (std::getline(log, line)) {
        unsigned long long value = 0;
        char what[32] = {};
        if (sscanf(line.c_str(), "event %llx %31s", &value, what) != 2 || strcmp(what, "close") != 0) continue;
        for (size_t i = 0; i < handles.size(); ++i)
            if (handles[i] == reinterpret_cast<HWND>(static_cast<uintptr_t>(value)) &&
                std::find(order.begin(), order.end(), i) == order.end())
                order.push_back(i);
    }
    return order;
}

int TargetWindows::events(size_t index, const char* what) const {
    std::istringstream line(eventLine(index));
    std::string word;
    int n = 0;
    while (line >> word) n += word == what;
    return n;
}

bool TargetWindows::isOpen(size_t index) const { return IsWindow(window(index)) != 0; }

bool TargetWindows::waitClosed(size_t index, DWORD timeoutMs) const {
    return waitUntil([&] { return !isOpen(index); }, timeoutMs);
}

void TargetWindows::stop() {
    process.kill();
    if (!logPath.empty()) DeleteFileA(logPath.c_str());
    handles.clear();
}

namespace {

struct DialogSearch {
    DWORD processId;
    const std::wstring* caption;
    HWND except;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->except || !IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") != 0) return TRUE;
    // WM_GETTEXT with a time limit: the window belongs to another process.
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    if (*search->caption != text) return TRUE;
    search->found = window;
    return FALSE;
}

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

}  // namespace

HWND findDialog(DWORD processId, const std::wstring& caption, HWND except) {
    DialogSearch search = {processId, &caption, except, nullptr};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD handleCountOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    DWORD handles = 0;
    if (process) {
        GetProcessHandleCount(process, &handles);
        CloseHandle(process);
    }
    if (handles) return handles;
    typedef LONG(WINAPI * Query)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    const ULONG SYSTEM_HANDLE_INFORMATION = 16;
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    while (query(SYSTEM_HANDLE_INFORMATION, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
        if (buffer.size() >= (64u << 20)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD owned = 0;
    for (ULONG i = 0; i < count; ++i) owned += entries[i].ownerPid == processId;
    return owned;
}

static void sendKey(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void keyDown(WORD key) { sendKey(key, false); }
void keyUp(WORD key) { sendKey(key, true); }

bool holdKeyUntil(WORD key, const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        keyDown(key);
        if (waitUntil(cond, 100)) return true;
        if (GetTickCount() - start > timeoutMs) return false;
    }
}

void pressKeys(const std::vector<WORD>& modifiers, WORD key) {
    for (WORD m : modifiers) keyDown(m);
    keyDown(key);
    keyUp(key);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) keyUp(*it);
}

}  // namespace test
