// Prints the name of every operational adapter, as Nublaro's inventory sees it, one per line; used by
// the end-to-end test to seed the servers of the test machine's adapters.
#include <stdio.h>

#include "dns/adapter_inventory.h"

int wmain()
{
    AdapterRecord adapters[MaxAdapters];
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalAdapters);
    for (int i = 0; i < count; ++i)
        wprintf(L"%ls %lu %lu\n", adapters[i].Name, adapters[i].Ipv4InterfaceIndex, adapters[i].Ipv6InterfaceIndex);
    return count > 0 ? 0 : 1;
}
