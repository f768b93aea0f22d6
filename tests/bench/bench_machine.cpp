// The machine the benchmarks switch: adapters of their own in the disposable prefix's registry, the
// saved settings in a temporary folder, and a DNS client whose flush costs nothing.
#include "bench/bench_machine.h"

#include <stdio.h>

#include "app/startup.h"
#include "settings/saved_settings.h"
#include "support/fake_adapters.h"
#include "support/files.h"
#include "support/netsh_log.h"
#include "support/registry.h"
#include "support/test_machine.h"

static FakeAdapter Adapters[MaxAdapters];
static char Names[MaxAdapters][48];
static wchar_t WideNames[MaxAdapters][48];
static int Presented;

void PrepareBenchMachine()
{
    InitializePaths();
    std::wstring folder = CreateTestFolder();
    wcscpy(StateFilePath, (folder + L"\\nublaro.txt").c_str());
    HoldFakeDnsClient();
    StartNetshLog();
}

void PresentBenchAdapters(int count)
{
    RemoveBenchAdapters();
    for (int i = 0; i < count; ++i) {
        snprintf(Names[i], sizeof(Names[i]), "{7E57BE%02d-5E7E-4C15-9D00-0000000000%02d}", i, i);
        MultiByteToWideChar(CP_ACP, 0, Names[i], -1, WideNames[i], 48);
        Adapters[i] = {Names[i], static_cast<ULONG>(500 + i), static_cast<ULONG>(600 + i), IfOperStatusUp,
                       Ethernet};
        SetNameServer(Ipv4Family, WideNames[i], L"192.168.1.53 192.168.1.54");
        SetNameServer(Ipv6Family, WideNames[i], L"fd00::53");
    }
    Presented = count;
    PresentFakeAdapters(Adapters, count);
}

void RemoveBenchAdapters()
{
    for (int i = 0; i < Presented; ++i)
        DeleteInterfaceKeys(WideNames[i]);
    Presented = 0;
}
