// A child process for tests of the command runner: it logs how it was started to the file named by
// RECORDING_CHILD_LOG, waits for "--sleep=N" milliseconds if asked, and logs that it ended.
#include <windows.h>

#include <string>

#include "tool_log.h"

static void Log(const std::wstring& text)
{
    AppendToLog(L"RECORDING_CHILD_LOG", text);
}

int wmain()
{
    STARTUPINFOW startup = {};
    GetStartupInfoW(&startup);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    Log(L"pid " + std::to_wstring(GetCurrentProcessId()));
    Log(std::wstring(L"program ") + self);
    Log(std::wstring(L"command ") + GetCommandLineW());
    Log(L"show " + std::to_wstring(startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1));

    const wchar_t* sleep = wcsstr(GetCommandLineW(), L"--sleep=");
    if (sleep)
        Sleep(wcstoul(sleep + 8, nullptr, 10));
    Log(L"ended");
    return 0;
}
