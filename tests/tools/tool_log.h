// The log of a test program: one UTF-8 line per entry, ending in CR LF, appended to the file that an
// environment variable names; nothing is logged without it. tests/support/logs.h reads such logs.
#pragma once

#include <windows.h>

#include <string>

inline void AppendToLog(const wchar_t* variable, const std::wstring& text)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(variable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::wstring line = text + L"\r\n";
    std::string bytes(4 * line.size() + 1, '\0');
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr,
                                   nullptr);
    HANDLE file =
        CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    if (size > 1)
        WriteFile(file, bytes.data(), size - 1, &written, nullptr);
    CloseHandle(file);
}
