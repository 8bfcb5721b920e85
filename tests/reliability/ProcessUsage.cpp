#include "tests/reliability/ProcessUsage.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

// Wine answers GetProcessHandleCount with 0; the system-wide handle list counts them instead.
DWORD countHandlesSystemWide(DWORD processId) {
    typedef LONG(WINAPI * Query)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buffer(1 << 20);
    const ULONG SYSTEM_HANDLE_INFORMATION = 16;
    ULONG needed = 0;
    while (query(SYSTEM_HANDLE_INFORMATION, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
        if (buffer.size() >= (64u << 20)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    auto* entries = reinterpret_cast<SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += entries[i].ownerPid == processId;
    return mine;
}

}  // namespace

ProcessUsage usageOf(DWORD processId) {
    ProcessUsage usage = {};
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return usage;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage empty; the commit charge is the same figure.
    usage.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    GetProcessHandleCount(process, &usage.handles);
    usage.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = GetGuiResources(process, GR_USEROBJECTS);
    CloseHandle(process);
    if (!usage.handles) usage.handles = countHandlesSystemWide(processId);
    return usage;
}

void expectFlat(const char* what, const ProcessUsage& before, const ProcessUsage& after) {
    printf("%s: private bytes %lu -> %lu, handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu\n", what,
           static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes),
           before.handles, after.handles, before.gdi, after.gdi, before.user, after.user);
    ASSERT_GT(before.privateBytes, 0u) << "memory cannot be measured";
    ASSERT_GT(before.handles, 0u) << "handles cannot be counted";
    EXPECT_LE(after.privateBytes, before.privateBytes + 64 * 1024);
    EXPECT_LE(after.handles, before.handles + 5);
    EXPECT_LE(after.gdi, before.gdi + 5);
    EXPECT_LE(after.user, before.user + 5);
}
