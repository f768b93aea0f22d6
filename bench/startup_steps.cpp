// Nublaro's start-up, step by step: the calls of its entry point in their order, each timed, from the
// process's creation to the first paint of its window. StartupBench starts it many times and reads each
// run's times from the file that NUBLARO_STEPS_LOG names, one "milliseconds step" line per step.
#include <windows.h>

#include <stdio.h>

#include "app/elevation.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/system_paths.h"
#include "app/window_state.h"

static double NowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// From the process's creation until its first line of code runs: the loader, the manifest's
// activation context and the DLLs that the executable imports.
static double MsSinceCreation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER from = {{created.dwLowDateTime, created.dwHighDateTime}};
    ULARGE_INTEGER to = {{now.dwLowDateTime, now.dwHighDateTime}};
    return static_cast<double>(to.QuadPart - from.QuadPart) / 10000.0;
}

static FILE* Log;
static double StepStart;

static void Step(const char* name)
{
    double now = NowMs();
    fprintf(Log, "%.3f %s\n", now - StepStart, name);
    StepStart = now;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    double loader = MsSinceCreation();
    StepStart = NowMs();
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"NUBLARO_STEPS_LOG", path, MAX_PATH) || !(Log = _wfopen(path, L"a")))
        return 1;
    fprintf(Log, "%.3f loader, manifest and imported DLLs\n", loader);

    RestrictDllSearchToSystemFolder();
    IsProcessElevated();
    Step("elevation check");
    SettleSingleInstance(InstanceLockName, 0);
    Step("machine-wide lock");
    InitializePaths();
    Step("paths");
    CurrentMode = DetectFilteringMode();
    Step("mode: adapter list, interface table, registry");
    RegisterMainWindowClass(instance);
    Step("window class and its icons");
    HWND window = CreateMainWindow(instance);
    Step("window, its look and the switch");
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    Step("first paint");
    fclose(Log);
    DestroyWindow(window);
    return 0;
}
