#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/system_paths.h"
#include "dns/command_runner.h"
#include "support/files.h"
#include "support/logs.h"
#include "support/process_resources.h"
#include "support/scoped_override.h"

class RunHiddenCommandTest : public testing::Test {
protected:
    void SetUp() override { DeleteFileW(ProcessLogPath(L"recording-child").c_str()); }

    std::vector<std::wstring> ChildLog() { return ReadLogLines(ProcessLogPath(L"recording-child")); }

    ScopedEnvironment childLog{L"RECORDING_CHILD_LOG", ProcessLogPath(L"recording-child")};
    std::wstring child = L"\"" + BesideTests(L"RecordingChild.exe") + L"\"";
};

TEST_F(RunHiddenCommandTest, WaitsForAChildThatEndsInTimeAndHidesIt)
{
    EXPECT_TRUE(RunHiddenCommand((child + L" --sleep=300").c_str(), 60000));
    std::vector<std::wstring> log = ChildLog();
    EXPECT_TRUE(Logged(log, L"ended")) << "returned before the child ended";
    EXPECT_EQ(LoggedValue(log, L"show"), std::to_wstring(SW_HIDE));
}

// Left running, a netsh could change servers after its pass has judged them.
TEST_F(RunHiddenCommandTest, EndsAChildStillRunningAtTheTimeOut)
{
    EXPECT_FALSE(RunHiddenCommand((child + L" --sleep=8000").c_str(), 200));
    std::vector<std::wstring> log = ChildLog();
    ASSERT_FALSE(Logged(log, L"ended")) << "waited for the child beyond the time-out";

    DWORD pid = wcstoul(LoggedValue(log, L"pid").c_str(), nullptr, 10);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (process) {
        EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "the child is still running";
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

TEST_F(RunHiddenCommandTest, HoldsNoHandleAfterAChildOrAProgramThatCannotStart)
{
    RunHiddenCommand((child + L" --sleep=0").c_str(), 60000); // whatever a first start sets up for good
    DWORD before = HandlesInUse();
    ASSERT_GT(before, 0u);
    EXPECT_FALSE(RunHiddenCommand(L"\"C:\\no such folder\\no-such-program.exe\" /x", 60000));
    RunHiddenCommand((child + L" --sleep=0").c_str(), 60000);
    EXPECT_EQ(HandlesInUse(), before);
}

TEST_F(RunHiddenCommandTest, RunsTheFirst1023UnitsOfALongerCommandLine)
{
    std::wstring commandLine = child + L" " + std::wstring(1100 - child.size() - 1, L'x');
    ASSERT_EQ(commandLine.size(), 1100u);
    RunHiddenCommand(commandLine.c_str(), 60000);
    EXPECT_EQ(LoggedValue(ChildLog(), L"command"), commandLine.substr(0, 1023));
}

// The flush asks the system's DNS client through its seam, which answers as the test wants.
static BOOL FlushAnswer;
static int FlushCalls;

static BOOL WINAPI AnsweringFlush()
{
    ++FlushCalls;
    return FlushAnswer;
}

class FlushResolverCacheTest : public RunHiddenCommandTest {
protected:
    void SetUp() override
    {
        RunHiddenCommandTest::SetUp();
        FlushCalls = 0;
    }

    ScopedPath ipconfig{IpconfigPath, BesideTests(L"RecordingChild.exe")};
    ScopedOverride<DnsFlushResolverCacheFn*> dnsClient{DnsFlushResolverCacheProc, AnsweringFlush};

    bool IpconfigRan() { return LoggedValue(ChildLog(), L"command") == L"\"" + std::wstring(IpconfigPath) + L"\" /flushdns"; }
};

TEST_F(FlushResolverCacheTest, FallsBackToIpconfigOnlyWhenTheDnsClientCouldNotFlush)
{
    for (BOOL answer : {TRUE, FALSE}) {
        SCOPED_TRACE(answer);
        DeleteFileW(ProcessLogPath(L"recording-child").c_str());
        FlushAnswer = answer;
        FlushResolverCache();
        EXPECT_EQ(IpconfigRan(), !answer);
    }
    EXPECT_EQ(FlushCalls, 2);
}

TEST_F(FlushResolverCacheTest, NeverRunsAnIpconfigFromTheCurrentFolder)
{
    InitializePaths();
    std::wstring folder = CreateTestFolder();
    ASSERT_TRUE(CopyFileW(BesideTests(L"RecordingChild.exe").c_str(), (folder + L"\\ipconfig.exe").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());

    FlushAnswer = FALSE;
    FlushResolverCache();

    SetCurrentDirectoryW(previous);
    RemoveTestFolder(folder);
    EXPECT_TRUE(ChildLog().empty()) << "the planted ipconfig.exe ran";
}
