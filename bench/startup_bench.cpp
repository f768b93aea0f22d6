// Start-up to first paint: the time from starting a program until its main thread waits for input with
// its window painted. Nublaro.exe against two floors, started in turn so that the machine's noise falls
// on all three alike: a minimal window of the same class, size, manifest and message loop, and the same
// window after the adapter query and registry reads that tell the mode, which Nublaro must make before
// it shows. Then what each step of Nublaro's start-up costs, as StartupSteps.exe times them.
// Usage: StartupBench <runs, 21 by default>
#include <windows.h>

#include <map>
#include <sstream>
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
static double TimeToFirstPaint(const wchar_t* program)
{
    std::wstring commandLine = L"\"" + BesideTests(program) + L"\"";
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

// Runs Nublaro's start-up step by step once; its times go to the steps log.
static void RunSteps()
{
    std::wstring commandLine = L"\"" + BesideTests(L"StartupSteps.exe") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Each step's median over the runs, in the order of start-up.
static void PrintSteps(const std::wstring& log, double nublaroMedian)
{
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> times;
    std::istringstream lines(ReadBytes(log));
    double ms;
    for (std::string name; lines >> ms && std::getline(lines, name);) {
        name = name.substr(1);
        if (times[name].empty())
            order.push_back(name);
        times[name].push_back(ms);
    }
    for (const std::string& name : order) {
        double median = Median(times[name]);
        PrintRow("Start-up step of Nublaro.exe (median): " + name, Format("%.1f ms", median),
                 Format("%.0f %% of Nublaro's median start-up", 100.0 * median / nublaroMedian));
    }
}

static std::string Milliseconds(const Spread& spread)
{
    return Format("%.1f", spread.minimum) + Format(" / %.1f", spread.median) + Format(" / %.1f ms", spread.maximum);
}

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* const programs[] = {L"MinimalWindow.exe", L"MinimalDetectingWindow.exe", L"Nublaro.exe"};
    int runs = argc > 1 ? _wtoi(argv[1]) : 21;
    std::wstring stepsLog = CreateTestFolder() + L"\\steps.log";
    std::vector<double> times[3];
    for (const wchar_t* program : programs)
        TimeToFirstPaint(program); // the first start of any program warms caches
    RunSteps();
    SetEnvironmentVariableW(L"NUBLARO_STEPS_LOG", stepsLog.c_str());
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < 3; ++i)
            times[i].push_back(TimeToFirstPaint(programs[i]));
        RunSteps();
    }

    Spread minimal = SpreadOf(times[0]), detecting = SpreadOf(times[1]), nublaro = SpreadOf(times[2]);
    PrintRow("Start-up to first paint (min / median / max), minimal window", Milliseconds(minimal), "baseline");
    PrintRow("Start-up to first paint (min / median / max), minimal window that first tells the mode",
             Milliseconds(detecting), Format("%.2f x the minimal window", detecting.median / minimal.median));
    PrintRow("Start-up to first paint (min / median / max), Nublaro.exe", Milliseconds(nublaro),
             Format("%.2f x the minimal window, ", nublaro.median / minimal.median) +
                 Format("%.2f x the one that tells the mode", nublaro.median / detecting.median));
    PrintSteps(stepsLog, nublaro.median);
    return minimal.minimum > 0 && detecting.minimum > 0 && nublaro.minimum > 0 ? 0 : 1;
}
