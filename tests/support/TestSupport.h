#pragma once

// Helpers shared by the test programs: polling with a timeout (never a fixed sleep), files
// and folders, child processes, and the target-window helper program (targetwin.exe).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace test {

// Pumps this thread's messages and polls cond until it holds or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 5000);
// Dispatches every message waiting in this thread's queue.
void pumpMessages();

// The folder of the running test program, with a trailing backslash (where the product and
// helper programs are built too).
std::string binFolder();

std::string readFile(const std::string& path);
// text as a file saved in an encoding holds it: encoding is an IniEncoding (UTF-16LE with a
// BOM, UTF-8 with or without one, the ANSI code page).
std::string encodedText(const std::wstring& text, int encoding);
std::wstring wide(const char* utf8);
bool writeFile(const std::string& path, const std::string& bytes);
bool fileExistsPlain(const std::string& path);
void deleteTree(const std::string& path);

// A fresh, empty folder below %TEMP%, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return folder; }  // ends with a backslash
    std::string file(const std::string& name) const { return folder + name; }

private:
    std::string folder;
};

// The roaming application-data folder, and the settings file Varnel keeps below it.
std::string appDataFolder();
std::string appDataSettingsFile();
// Removes %APPDATA%\Lumo so that a test starts as on a first run.
void removeAppDataSettings();

// A child process; killed on destruction if it is still running.
class Process {
public:
    Process() {}
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool start(const std::string& exe, const std::string& arguments = "", const std::string& workingFolder = "");
    // The same in UTF-16, for a program in a folder that the code page cannot spell.
    bool start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingFolder = L"");
    bool running() const;
    // Waits for the end; returns false on timeout. exitCode receives the code.
    bool wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void kill();
    DWORD id() const { return info.dwProcessId; }
    HANDLE handle() const { return info.hProcess; }

private:
    PROCESS_INFORMATION info = {};
};

// Copies a file, replacing the target.
bool copyFile(const std::string& from, const std::string& to);

// One window for targetwin.exe to make.
struct TargetWindowSpec {
    std::string className;
    std::string title;  // ANSI bytes in the system code page
    bool visible = true;
    DWORD style = WS_OVERLAPPEDWINDOW;
    int width = 200;
    int height = 120;
    bool keepOpen = false;         // count SC_CLOSE but do not close
    bool ownedByPrevious = false;  // owned by the window listed before it
    // What a close does: closes; asks "Save changes?" in a box it owns (then closes on Yes);
    // stops the thread handling messages; hides the window; or asks at once, before any close.
    enum OnClose { CLOSES = '0', ASKS = '1', HANGS = '2', HIDES = '3', ASKS_AT_ONCE = '4' } onClose = CLOSES;
};

// A targetwin.exe process (or a copy of it under another name, such as chrome.exe) with its
// windows. The helper logs what happens to each window; the test reads the log.
class TargetWindows {
public:
    ~TargetWindows();
    // exe: a file name in binFolder() or a full path, in UTF-8. hang: stop pumping after creation.
    bool start(const std::vector<TargetWindowSpec>& windows, const std::string& exe = "targetwin.exe",
               bool hang = false);
    HWND window(size_t index) const { return index < handles.size() ? handles[index] : nullptr; }
    size_t count() const { return handles.size(); }
    // How often window index received an event ("close", "minimize", "hide", "show", "destroy").
    int events(size_t index, const char* what) const;
    // The events of window index in order, space separated.
    std::string eventLine(size_t index) const;
    // The windows, by index, in the order their first close arrived.
    std::vector<size_t> closeOrder() const;
    bool isOpen(size_t index) const;
    bool waitClosed(size_t index, DWORD timeoutMs = 5000) const;
    DWORD processId() const { return process.id(); }
    void stop();

private:
    Process process;
    std::string logPath;
    std::vector<HWND> handles;
};

// A visible dialog (class "#32770") of the process with exactly this caption, other than
// except; null when there is none.
HWND findDialog(DWORD processId, const std::wstring& caption, HWND except = nullptr);

// The kernel handles a process holds. Wine answers GetProcessHandleCount with 0 for other
// processes, so they are counted in the system-wide handle list.
DWORD handleCountOf(DWORD processId);

// Sends a key combination (modifiers VK_CONTROL, VK_MENU, VK_SHIFT; then key) with SendInput.
void pressKeys(const std::vector<WORD>& modifiers, WORD key);
void keyDown(WORD key);
void keyUp(WORD key);
// Holds key down, repeating it as the keyboard does, until cond holds; the key stays down.
// (Wine may re-sync its key state with the display's at a focus change and drop a single press.)
bool holdKeyUntil(WORD key, const std::function<bool()>& cond, DWORD timeoutMs = 3000);

// A function of user32 that this Windows may lack (null then), such as the per-DPI ones.
template <typename Proc>
Proc user32Function(const char* name) {
    FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace test
