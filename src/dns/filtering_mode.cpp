// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
#include "dns/filtering_mode.h"

#include "dns/adapter_inventory.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"

// A valid record from an earlier switch-on holds the servers from before filtering and is kept as it
// is. Without any record, switching on would make the next switch-off hand out automatic servers in
// place of the user's own, so a record that cannot be written stops the switch.
static bool PreviousServersAreSaved(const AdapterRecord* adapters, int count)
{
    if (LoadSavedSettings(nullptr, 0) >= 0)
        return true;
    return WriteSavedSettings(adapters, count);
}

void EnableFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalAdapters);
    if (count > 0 && PreviousServersAreSaved(adapters, count)) {
        for (int i = 0; i < count; ++i) {
            if (adapters[i].Ipv4InterfaceIndex != 0)
                ApplyDnsServers(adapters[i], Ipv4Family, FilterServerListIpv4);
            if (adapters[i].Ipv6InterfaceIndex != 0)
                ApplyDnsServers(adapters[i], Ipv6Family, FilterServerListIpv6);
        }
    }
    RunNetshScript();
    FlushResolverCache();
}

static const AdapterRecord* FindSavedRow(const AdapterRecord* rows, int rowCount, const wchar_t* name)
{
    for (int i = 0; i < rowCount; ++i) {
        if (EqualIgnoringAsciiCase(rows[i].Name, name))
            return &rows[i];
    }
    return nullptr;
}

static bool FamilyIsFiltered(ULONG interfaceIndex, const wchar_t* servers)
{
    return interfaceIndex != 0 && ListHasFilterAddress(servers);
}

// Only families that still name the filter are given back their saved servers: one the user has
// changed since is theirs. Without a saved row, automatic servers.
static void RestoreAdapter(const AdapterRecord& adapter, const AdapterRecord* row)
{
    if (FamilyIsFiltered(adapter.Ipv4InterfaceIndex, adapter.Ipv4Servers))
        ApplyDnsServers(adapter, Ipv4Family, row ? row->Ipv4Servers : L"");
    if (FamilyIsFiltered(adapter.Ipv6InterfaceIndex, adapter.Ipv6Servers))
        ApplyDnsServers(adapter, Ipv6Family, row ? row->Ipv6Servers : L"");
}

// The saved record may go only once the system shows that it is no longer needed: every family is
// off the filter. A restore that did not take effect keeps it for the next switch-off to try again.
static bool RestoreIsComplete(AdapterRecord* adapters)
{
    int count = EnumerateAdapters(adapters, MaxAdapters, AllAdapters);
    if (count == 0)
        return false;
    for (int i = 0; i < count; ++i) {
        if (FamilyIsFiltered(adapters[i].Ipv4InterfaceIndex, adapters[i].Ipv4Servers) ||
            FamilyIsFiltered(adapters[i].Ipv6InterfaceIndex, adapters[i].Ipv6Servers))
            return false;
    }
    return true;
}

void DisableFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    AdapterRecord rows[MaxAdapters];
    // Adapters that are down are restored too: one may have gone down since the switch-on.
    int count = EnumerateAdapters(adapters, MaxAdapters, AllAdapters);
    int rowCount = LoadSavedSettings(rows, MaxAdapters);
    for (int i = 0; i < count; ++i)
        RestoreAdapter(adapters[i], FindSavedRow(rows, rowCount, adapters[i].Name));
    RunNetshScript();

    if (RestoreIsComplete(adapters))
        DeleteFileW(StateFilePath); // best effort, as every clean-up
    FlushResolverCache();
}
