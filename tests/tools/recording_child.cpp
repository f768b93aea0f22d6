// A child process for tests of the command runner: it logs how it was started to the file named by
// RECORDING_CHILD_LOG, waits for "--sleep=N" milliseconds if asked, and logs that it ended.
#include <windows.h>

#include <stdio.h>
#include <string>

static void Log(const std::wstring& text)
{
    wchar_t path[MAX_PATH];
    if (GetEnvironmentVariableW(L"RECORDING_CHILD_LOG", path, MAX_PATH) == 0)
        return;
    std::wstring line = text + L"\r\n";
    char bytes[8192];
    int length = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes, sizeof(bytes), nullptr, nullptr);
    HANDLE file =
        CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE || length == 0)
        return;
    DWORD written;
    WriteFile(file, bytes, length - 1, &written, nullptr);
    CloseHandle(file);
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
