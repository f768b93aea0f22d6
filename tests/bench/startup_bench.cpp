// Start-up to first paint: the time from starting a program until its main thread waits for input
// with its window painted, for Nublaro.exe and for the minimal window, alternately, as medians.
// Usage: StartupBench <runs>
#include <windows.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "support/files.h"

static BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Returns the milliseconds to input idle, or a negative value when the program did not get there.
static double TimeToFirstPaint(const std::wstring& program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    double start = NowMs();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD idle = WaitForInputIdle(process.hProcess, 30000);
    double elapsed = NowMs() - start;

    EnumWindows(CloseWindowsOf, process.dwProcessId);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return idle == 0 ? elapsed : -1;
}

int wmain(int argc, wchar_t** argv)
{
    int runs = argc > 1 ? _wtoi(argv[1]) : 11;
    std::vector<double> nublaro, minimal;
    TimeToFirstPaint(BesideTests(L"MinimalWindow.exe")); // the first start of any program warms caches
    for (int run = 0; run < runs; ++run) {
        nublaro.push_back(TimeToFirstPaint(BesideTests(L"Nublaro.exe")));
        minimal.push_back(TimeToFirstPaint(BesideTests(L"MinimalWindow.exe")));
    }
    double nublaroMs = Median(nublaro), minimalMs = Median(minimal);
    PrintRow("Start-up to first paint, minimal window", Format("%.1f ms", minimalMs), "baseline");
    PrintRow("Start-up to first paint, Nublaro.exe", Format("%.1f ms", nublaroMs),
             Format("%.2f x the minimal window", nublaroMs / minimalMs));
    return nublaroMs > 0 && minimalMs > 0 ? 0 : 1;
}
