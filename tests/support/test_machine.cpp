// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
// Every seam and path of the program that a test changes is put back after it.
#include "support/test_machine.h"

#include "app/system_paths.h"
#include "settings/machine_copy.h"
#include "support/files.h"
#include "support/netsh_log.h"

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int FlushCalls;

static BOOL WINAPI CountingFlush()
{
    ++FlushCalls;
    return TRUE;
}

void UseCountingDnsClient()
{
    FlushCalls = 0;
    DnsFlushResolverCacheProc = CountingFlush;
}

void TestMachineTest::SetUp()
{
    SKIP_UNLESS_DISPOSABLE_MACHINE();
    InitializePaths();
    ExpectNetshStandInInstalled();
    folder = CreateTestFolder();
    savedPath = folder + L"\\nublaro.txt";
    wcscpy(StateFilePath, savedPath.c_str());
    DeleteMachineCopy();
    StartNetshLog();
    UseCountingDnsClient();
    if (!HasFatalFailure())
        SetUpMachine();
}

void TestMachineTest::TearDown()
{
    if (!folder.empty())
        RemoveTestFolder(folder);
    DeleteMachineCopy();
}
