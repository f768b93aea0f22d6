// The machine the benchmarks switch: adapters of their own in the disposable prefix's registry, the
// saved settings in a temporary folder, and a DNS client whose flush costs nothing.
#include "bench/bench_machine.h"

#include "app/system_paths.h"
#include "settings/saved_settings.h"
#include "support/fake_adapters.h"
#include "support/files.h"
#include "support/netsh_log.h"
#include "support/registry.h"
#include "support/test_machine.h"

static FakeAdapter Adapters[MaxAdapters];

void PrepareBenchMachine()
{
    InitializePaths();
    std::wstring folder = CreateTestFolder();
    wcscpy(StateFilePath, (folder + L"\\nublaro.txt").c_str());
    UseCountingDnsClient();
    StartNetshLog();
}

void PresentBenchAdapters(int count)
{
    for (int i = 0; i < count; ++i)
        Adapters[i] = TestAdapter(0xBE00 + i);
    PresentNewAdapters(Adapters, count);
    for (int i = 0; i < count; ++i) {
        SetNameServer(Ipv4Family, Adapters[i].Name, L"192.168.1.53 192.168.1.54");
        SetNameServer(Ipv6Family, Adapters[i].Name, L"fd00::53");
    }
}
