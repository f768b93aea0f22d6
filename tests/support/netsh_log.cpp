// What the stand-in netsh installed in the test prefix did, read from its log.
#include "support/netsh_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "dns/netsh_script.h"
#include "support/files.h"
#include "support/logs.h"

void StartNetshLog()
{
    std::wstring path = ProcessLogPath(L"netsh-standin");
    DeleteFileW(path.c_str());
    SetEnvironmentVariableW(L"NETSH_STANDIN_LOG", path.c_str());
}

std::vector<std::wstring> NetshLog()
{
    return ReadLogLines(ProcessLogPath(L"netsh-standin"));
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
    ASSERT_NE(NetshPath[0], L'\0') << "InitializePaths has not run";
    ASSERT_EQ(ReadBytes(NetshPath), ReadBytes(BesideTests(L"NetshStandIn.exe")))
        << "the netsh of this prefix is not the stand-in; scripts/test installs it";
}
