// What the stand-in netsh installed in the test prefix did, read from its log.
#include "dns/netsh_script.h"
#include "support/netsh_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/files.h"

static std::wstring LogPath()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"netsh-standin-" + std::to_wstring(GetCurrentProcessId()) + L".log";
}

void StartNetshLog()
{
    DeleteFileW(LogPath().c_str());
    SetEnvironmentVariableW(L"NETSH_STANDIN_LOG", LogPath().c_str());
}

std::vector<std::wstring> ReadLogLines(const std::wstring& path)
{
    std::string bytes = ReadBytes(path);
    std::vector<std::wstring> lines;
    if (bytes == "<missing>")
        return lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        wchar_t wide[8192];
        int length = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), wide, 8191);
        lines.push_back(std::wstring(wide, length));
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> NetshLog()
{
    return ReadLogLines(LogPath());
}

int NetshRuns()
{
    int runs = 0;
    for (const std::wstring& line : NetshLog())
        runs += line.compare(0, 4, L"run ") == 0;
    return runs;
}

std::vector<std::wstring> NetshLinesRun()
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : NetshLog()) {
        if (line.compare(0, 5, L"line ") == 0)
            lines.push_back(line.substr(5));
    }
    return lines;
}

void ExpectNetshStandInInstalled()
{
    wchar_t standIn[MAX_PATH];
    GetModuleFileNameW(nullptr, standIn, MAX_PATH);
    wcscpy(wcsrchr(standIn, L'\\') + 1, L"NetshStandIn.exe");
    ASSERT_NE(NetshPath[0], L'\0') << "InitializePaths has not run";
    ASSERT_EQ(ReadBytes(NetshPath), ReadBytes(standIn))
        << "the netsh of this prefix is not the stand-in; scripts/test installs it";
}
