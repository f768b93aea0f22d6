// The machine whose DNS settings tests change: the disposable Wine prefix with the stand-in netsh, a
// saved-settings file in a folder of the test's own, and a DNS client whose cache flush is counted.
#include "dns/dns_applier.h"
#include "settings/saved_settings.h"
#include "support/test_machine.h"

#include "app/startup.h"
#include "dns/command_runner.h"
#include "support/disposable_machine.h"
#include "support/fake_adapters.h"
#include "support/files.h"
#include "support/netsh_log.h"

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
}

void TestMachineTest::TearDown()
{
    if (!RunningUnderWine())
        return;
    PresentMachineAdapters();
    SetInterfaceDnsSettingsProc = nullptr;
    LoadLibraryExProc = LoadLibraryExW;
    FreeLibrary(dnsClient);
    RemoveTestFolder(folder);
    InitializePaths();
}
