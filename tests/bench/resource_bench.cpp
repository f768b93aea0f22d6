// Handles, GDI objects and private bytes of a process running Nublaro's window: after the first
// switching cycle and repaint, and after 200 passes through the window's worker and 1,000 repaints.
// Nothing may grow.
#include <windows.h>
#include <psapi.h>

#include "app/main_window.h"
#include "app/painting.h"
#include "bench/bench_machine.h"
#include "bench/bench_support.h"
#include "app/window_state.h"
#include "support/fake_dns_settings.h"
#include "support/main_window_class.h"

struct Resources {
    DWORD handles;
    long gdiObjects;
    SIZE_T privateBytes;
};

// Wine's GetGuiResources answers 0; there the count is what the process's GDI handle table has no
// longer free, found by filling it.
static long GdiObjectsInUse()
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

// Wine's GetProcessHandleCount answers 0; there the count is the handle values that are valid.
static DWORD HandlesInUse()
{
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted > 0)
        return counted;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x40000; value += 4)
        counted += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return counted;
}

// Wine leaves PrivateUsage at 0; there the count is the committed private memory of the address space.
static SIZE_T PrivateBytes()
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

static Resources Measure()
{
    return {HandlesInUse(), GdiObjectsInUse(), PrivateBytes()};
}

static void PumpUntilIdle()
{
    for (int i = 0; i < 2000 && BusyFlag; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

static void Pass(HWND window)
{
    FakeDnsSettingsCalls.clear(); // the stand-in's record of calls is the harness's, not the program's
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_CLICKED), 0);
    PumpUntilIdle();
}

static void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int wmain()
{
    PrepareBenchMachine();
    PresentBenchAdapters(1);
    UseFakeDnsSettings(AppliesToRegistry);
    RegisterMainWindowClassAfresh();
    HWND window = CreateMainWindow(GetModuleHandleW(nullptr));
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    // Filling the GDI handle table grows the heap once; done before anything is measured.
    GdiObjectsInUse();

    // The baseline is the first switching cycle, on and off: Wine commits 64 KiB once when the second
    // worker thread starts (and never again, as 800 more passes show), which is the platform's, not ours.
    Pass(window);
    Pass(window);
    Repaint(window);
    Resources first = Measure();
    for (int pass = 2; pass < 200; ++pass)
        Pass(window);
    for (int repaint = 1; repaint < 1000; ++repaint)
        Repaint(window);
    Resources last = Measure();

    PrintRow("Process handles, after the first cycle / after 200 passes and 1,000 repaints",
             Format("%.0f", first.handles) + Format(" / %.0f", last.handles),
             last.handles <= first.handles ? "no growth" : "GREW");
    PrintRow("GDI objects, after the first cycle / after 200 passes and 1,000 repaints",
             Format("%.0f", first.gdiObjects) + Format(" / %.0f", last.gdiObjects),
             last.gdiObjects <= first.gdiObjects ? "no growth" : "GREW");
    PrintRow("Private bytes, after the first cycle / after 200 passes and 1,000 repaints",
             Format("%.0f KiB", first.privateBytes / 1024.0) + Format(" / %.0f KiB", last.privateBytes / 1024.0),
             last.privateBytes <= first.privateBytes ? "no growth" : Format("GREW by %.0f KiB", (last.privateBytes - first.privateBytes) / 1024.0));
    DestroyWindow(window);
    RemoveBenchAdapters();
    bool grew = last.handles > first.handles || last.gdiObjects > first.gdiObjects || last.privateBytes > first.privateBytes;
    return grew ? 1 : 0;
}
