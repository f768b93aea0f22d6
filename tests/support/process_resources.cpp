// What a process holds: handles, GDI objects and committed private memory, counted in ways that also
// work under Wine, whose own counters for all three answer 0.
#include "support/process_resources.h"

#include <psapi.h>

// Under Wine the count is the handle values that are valid. Wine hands out the lowest free value first,
// so a process with fewer than 4,096 handles has them all below 0x4000.
DWORD HandlesInUse()
{
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted > 0)
        return counted;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        counted += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return counted;
}

// Under Wine the count is what the process's GDI handle table has no longer free, found by filling it.
long GdiObjectsInUse()
{
    DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted > 0)
        return static_cast<long>(counted);
    static HBRUSH probes[70000];
    long free = 0;
    while (free < 70000 && (probes[free] = CreateSolidBrush(RGB(1, 2, 3))) != nullptr)
        ++free;
    for (long i = 0; i < free; ++i)
        DeleteObject(probes[i]);
    return 65536 - free;
}

// Under Wine the count is the committed private memory of the address space.
SIZE_T PrivateBytesInUse()
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    if (memory.PrivateUsage > 0)
        return memory.PrivateUsage;
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr; VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
    }
    return committed;
}

ProcessResources MeasureProcessResources()
{
    return {HandlesInUse(), GdiObjectsInUse(), PrivateBytesInUse()};
}
