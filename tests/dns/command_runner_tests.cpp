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

// The flush goes through a DNS client library of the test's own choosing.
static std::wstring LoadedName;
static DWORD LoadedFlags;
static const wchar_t* LibraryToOffer;

static HMODULE WINAPI OfferTestLibrary(LPCWSTR name, HANDLE, DWORD flags)
{
    LoadedName = name;
    LoadedFlags = flags;
    return LibraryToOffer ? LoadLibraryW(BesideTests(LibraryToOffer).c_str()) : nullptr;
}

class FlushResolverCacheTest : public RunHiddenCommandTest {
protected:
    void SetUp() override
    {
        RunHiddenCommandTest::SetUp();
        LoadedName.clear();
        LoadedFlags = 0;
    }

    ScopedPath ipconfig{IpconfigPath, BesideTests(L"RecordingChild.exe")};
    ScopedOverride<decltype(&LoadLibraryExW)> dnsClientLoad{LoadLibraryExProc, OfferTestLibrary};

    // Holds one reference of its own, so that the flush's FreeLibrary shows as the module staying loaded
    // exactly until this test lets go.
    HMODULE HoldLibrary(const wchar_t* name, BOOL answer)
    {
        LibraryToOffer = name;
        HMODULE held = LoadLibraryW(BesideTests(name).c_str());
        if (BOOL* flushAnswer = reinterpret_cast<BOOL*>(GetProcAddress(held, "FlushAnswer")))
            *flushAnswer = answer;
        return held;
    }
    static bool ReleasedByFlush(HMODULE held, const wchar_t* name)
    {
        FreeLibrary(held);
        return GetModuleHandleW(BesideTests(name).c_str()) == nullptr;
    }
    bool IpconfigRan() { return LoggedValue(ChildLog(), L"command") == L"\"" + std::wstring(IpconfigPath) + L"\" /flushdns"; }
};

TEST_F(FlushResolverCacheTest, AsksTheSystemFoldersDnsClientOnly)
{
    HMODULE held = HoldLibrary(L"FakeDnsClient.dll", TRUE);
    FlushResolverCache();
    EXPECT_EQ(LoadedName, L"dnsapi.dll");
    EXPECT_EQ(LoadedFlags, static_cast<DWORD>(LOAD_LIBRARY_SEARCH_SYSTEM32))
        << "a dnsapi.dll beside the program or in the current folder must never be loaded";
    EXPECT_EQ(*reinterpret_cast<int*>(GetProcAddress(held, "FlushCalls")), 1);
    EXPECT_TRUE(ReleasedByFlush(held, L"FakeDnsClient.dll"));
    EXPECT_TRUE(ChildLog().empty()) << "a successful flush needs no ipconfig";
}

TEST_F(FlushResolverCacheTest, FallsBackToIpconfigWhenTheFlushFailsOrCannotBeCalled)
{
    const struct {
        const wchar_t* library; // null: none can be loaded
        int flushCalls;
    } cases[] = {{L"FakeDnsClient.dll", 1}, {L"FakeDnsClientWithoutFlush.dll", 0}, {nullptr, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library ? c.library : L"no library");
        DeleteFileW(ProcessLogPath(L"recording-child").c_str());
        LibraryToOffer = nullptr;
        HMODULE held = c.library ? HoldLibrary(c.library, FALSE) : nullptr;
        FlushResolverCache();
        if (held) {
            EXPECT_EQ(*reinterpret_cast<int*>(GetProcAddress(held, "FlushCalls")), c.flushCalls);
            EXPECT_TRUE(ReleasedByFlush(held, c.library)) << "freed before the fallback";
        }
        EXPECT_TRUE(IpconfigRan());
    }
}

TEST_F(FlushResolverCacheTest, NeverRunsAnIpconfigFromTheCurrentFolder)
{
    InitializePaths();
    std::wstring folder = CreateTestFolder();
    ASSERT_TRUE(CopyFileW(BesideTests(L"RecordingChild.exe").c_str(), (folder + L"\\ipconfig.exe").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());

    LibraryToOffer = nullptr;
    FlushResolverCache();

    SetCurrentDirectoryW(previous);
    RemoveTestFolder(folder);
    EXPECT_TRUE(ChildLog().empty()) << "the planted ipconfig.exe ran";
}
