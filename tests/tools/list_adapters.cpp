// Prints every operational adapter as Nublaro's inventory sees it, one per line: its name and its IPv4
// and IPv6 interface indices. Fails only when the adapter list could not be read: none is an answer.
#include <stdio.h>

#include "dns/adapter_inventory.h"

int wmain()
{
    static AdapterRecord adapters[256];
    bool whole = false;
    int count = EnumerateAdapters(adapters, 256, OperationalAdapters, &whole);
    for (int i = 0; i < count; ++i)
        wprintf(L"%ls %lu %lu\n", adapters[i].Name, adapters[i].Ipv4InterfaceIndex, adapters[i].Ipv6InterfaceIndex);
    if (!whole)
        fwprintf(stderr, L"the adapter list could not be read\n");
    return whole ? 0 : 1;
}
