// One switching pass, on and off, as medians: on the direct path (a stand-in for the system call that
// applies the change to the registry) for 1, 8 and 32 adapters, and on the fallback path through the
// stand-in netsh for 1 and 32 adapters, counting the netsh processes each pass starts.
// Usage: PassBench <runs>
#include <windows.h>

#include <vector>

#include "bench/bench_machine.h"
#include "bench/bench_support.h"
#include "dns/filtering_mode.h"
#include "support/fake_dns_settings.h"
#include "support/netsh_log.h"

struct PassTimes {
    double onMs;
    double offMs;
    int mostNetshPerPass;
};

static PassTimes TimePasses(int adapters, int runs)
{
    PresentBenchAdapters(adapters);
    std::vector<double> on, off;
    int mostNetsh = 0;
    for (int run = 0; run < runs; ++run) {
        int before = NetshRuns();
        double start = NowMs();
        EnableFilteringMode();
        double middle = NowMs();
        int afterOn = NetshRuns();
        DisableFilteringMode(SwitchedOffByUser);
        double end = NowMs();
        on.push_back(middle - start);
        off.push_back(end - middle);
        mostNetsh = std::max(mostNetsh, std::max(afterOn - before, NetshRuns() - afterOn));
    }
    return {Median(on), Median(off), mostNetsh};
}

int wmain(int argc, wchar_t** argv)
{
    int runs = argc > 1 ? _wtoi(argv[1]) : 11;
    PrepareBenchMachine();

    UseFakeDnsSettings(AppliesToRegistry);
    PassTimes one = TimePasses(1, runs);
    for (int adapters : {1, 8, 32}) {
        PassTimes times = adapters == 1 ? one : TimePasses(adapters, runs);
        PrintRow(Format("Switch-on pass, direct path, %.0f adapters", adapters), Format("%.2f ms", times.onMs),
                 Format("%.1f x one adapter", times.onMs / one.onMs));
        PrintRow(Format("Switch-off pass, direct path, %.0f adapters", adapters), Format("%.2f ms", times.offMs),
                 Format("%.1f x one adapter", times.offMs / one.offMs));
    }

    UseFakeDnsSettings(NotOffered);
    int fallbackRuns = std::max(3, runs / 3);
    PassTimes fallbackOne = TimePasses(1, fallbackRuns);
    for (int adapters : {1, 32}) {
        PassTimes times = adapters == 1 ? fallbackOne : TimePasses(adapters, fallbackRuns);
        PrintRow(Format("Switch-on pass, netsh fallback, %.0f adapters", adapters), Format("%.1f ms", times.onMs),
                 Format("%.1f x one adapter; ", times.onMs / fallbackOne.onMs) +
                     Format("at most %.0f netsh per pass", times.mostNetshPerPass));
        PrintRow(Format("Switch-off pass, netsh fallback, %.0f adapters", adapters), Format("%.1f ms", times.offMs),
                 Format("%.1f x one adapter", times.offMs / fallbackOne.offMs));
        if (times.mostNetshPerPass != 1)
            return 1;
    }
    return 0;
}
