#include "tests/reliability/ProcessUsage.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/TestSupport.h"

ProcessUsage usageOf(DWORD processId) {
    ProcessUsage usage = {};
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return usage;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage empty; the commit charge is the same figure.
    usage.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    usage.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = GetGuiResources(process, GR_USEROBJECTS);
    CloseHandle(process);
    usage.handles = test::handleCountOf(processId);
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
