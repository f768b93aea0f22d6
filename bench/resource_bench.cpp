// Handles, GDI objects and private bytes of a process running Nublaro's window: after the first
// switching cycle and repaint, and after many passes through the window's worker and many repaints.
// Nothing may grow: the program exits with 1 if anything did, and with 77 (skipped) without a display.
// Usage: ResourceBench [passes, 200 by default] [repaints, 1000 by default]
#include <windows.h>
#include <tlhelp32.h>

#include "app/painting.h"
#include "bench/bench_machine.h"
#include "bench/bench_support.h"
#include "support/fake_dns_settings.h"
#include "support/window_under_test.h"
#include "support/process_resources.h"

static int ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof(thread);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
        count += thread.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// The window hears of the end of a pass before its worker thread has ended, and the stack of a thread
// still ending counts as private bytes; each pass is complete only once the worker is gone.
static void Pass(HWND window)
{
    int threads = ThreadsOfThisProcess();
    FakeDnsSettingsCalls.clear(); // the stand-in's record of calls is the harness's, not the program's
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_TOGGLE, BN_CLICKED), 0);
    PumpUntilIdle();
    for (int tries = 0; tries < 200 && ThreadsOfThisProcess() > threads; ++tries)
        Sleep(10);
}

static void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

static void PrintComparison(const char* what, int passes, int repaints, double first, double last, const char* unit)
{
    std::string measure = std::string(what) + Format(", after the first cycle / after %.0f passes", passes) +
                          Format(" and %.0f repaints", repaints);
    PrintRow(measure, Format("%.0f", first) + unit + Format(" / %.0f", last) + unit,
             last <= first ? "no growth" : Format("GREW by %.0f", last - first) + unit);
}

int wmain(int argc, wchar_t** argv)
{
    int passes = argc > 1 ? _wtoi(argv[1]) : 200;
    int repaints = argc > 2 ? _wtoi(argv[2]) : 1000;
    PrepareBenchMachine();
    PresentBenchAdapters(1);
    UseFakeDnsSettings(AppliesToRegistry);
    HWND window = CreateMainWindowAfresh();
    if (!window) {
        PrintRow("Resources after many passes", "skipped", "no window can be created here (no display)");
        return 77;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    // Filling the GDI handle table grows the heap once; done before anything is measured.
    GdiObjectsInUse();

    // The baseline is the first switching cycle, on and off: Wine commits 64 KiB once when the second
    // worker thread starts (and never again, as 800 more passes show), which is the platform's, not ours.
    Pass(window);
    Pass(window);
    Repaint(window);
    ProcessResources first = MeasureProcessResources();
    for (int pass = 2; pass < passes; ++pass)
        Pass(window);
    for (int repaint = 1; repaint < repaints; ++repaint)
        Repaint(window);
    ProcessResources last = MeasureProcessResources();

    PrintComparison("Process handles", passes, repaints, first.handles, last.handles, "");
    PrintComparison("GDI objects", passes, repaints, first.gdiObjects, last.gdiObjects, "");
    PrintComparison("Private bytes", passes, repaints, first.privateBytes / 1024.0, last.privateBytes / 1024.0, " KiB");
    DestroyWindow(window);
    bool grew = last.handles > first.handles || last.gdiObjects > first.gdiObjects ||
                last.privateBytes > first.privateBytes;
    return grew ? 1 : 0;
}
