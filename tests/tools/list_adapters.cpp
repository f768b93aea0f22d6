// Prints every operational adapter as Nublaro's inventory sees it, one per line: its name and its IPv4
// and IPv6 interface indices.
#include <stdio.h>

#include "dns/adapter_inventory.h"

int wmain()
{
    static AdapterRecord adapters[256];
    int count = EnumerateAdapters(adapters, 256, OperationalAdapters);
    for (int i = 0; i < count; ++i)
        wprintf(L"%ls %lu %lu\n", adapters[i].Name, adapters[i].Ipv4InterfaceIndex, adapters[i].Ipv6InterfaceIndex);
    return count > 0 ? 0 : 1;
}
