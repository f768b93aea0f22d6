// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
// Every seam and path of the program that a test changes is put back after it.
#include "support/test_machine.h"

#include "app/system_paths.h"
#include "support/files.h"
#include "support/netsh_log.h"

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

static HMODULE WINAPI LoadFakeDnsClient(LPCWSTR, HANDLE, DWORD)
{
    return LoadLibraryW(BesideTests(L"FakeDnsClient.dll").c_str());
}

HMODULE HoldFakeDnsClient()
{
    LoadLibraryExProc = LoadFakeDnsClient;
    return LoadLibraryW(BesideTests(L"FakeDnsClient.dll").c_str());
}

void TestMachineTest::SetUp()
{
    SKIP_UNLESS_DISPOSABLE_MACHINE();
    InitializePaths();
    ExpectNetshStandInInstalled();
    folder = CreateTestFolder();
    savedPath = folder + L"\\nublaro.txt";
    wcscpy(StateFilePath, savedPath.c_str());
    StartNetshLog();
    dnsClient = HoldFakeDnsClient();
    flushCalls = reinterpret_cast<int*>(GetProcAddress(dnsClient, "FlushCalls"));
    if (!HasFatalFailure())
        SetUpMachine();
}

void TestMachineTest::TearDown()
{
    if (dnsClient)
        FreeLibrary(dnsClient);
    if (!folder.empty())
        RemoveTestFolder(folder);
}
