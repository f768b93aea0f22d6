// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
#include "dns/filtering_mode.h"

#include <windows.h>
#include <strsafe.h>

#include "dns/adapter_inventory.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/netsh_script.h"
#include "settings/saved_settings.h"

static AdapterRecord* FindSavedRow(AdapterRecord* rows, int rowCount, const wchar_t* name)
{
    for (int i = 0; i < rowCount; ++i) {
        if (EqualIgnoringAsciiCase(rows[i].Name, name))
            return &rows[i];
    }
    return nullptr;
}

// A family that filtering has keeps the list saved from before it; any other family is recorded as it
// is now, so that servers the user set since come back rather than older ones. A list that names the
// filter is not the user's own and is recorded as automatic servers. Returns whether the row changed.
static bool RecordFamily(const AdapterRecord& adapter, IpFamily family, AdapterRecord& row)
{
    if (FamilyIsFiltered(adapter, family))
        return false;
    const wchar_t* current = family == Ipv4Family ? adapter.Ipv4Servers : adapter.Ipv6Servers;
    if (ListHasFilterAddress(current))
        current = L"";
    wchar_t* saved = family == Ipv4Family ? row.Ipv4Servers : row.Ipv6Servers;
    if (wcscmp(saved, current) == 0)
        return false;
    StringCchCopyW(saved, DnsServerListUnits, current);
    return true;
}

// Brings the rows up to date for the operational adapters, with a new row for an adapter that has none
// while there is room. Rows of adapters not seen now stay: such an adapter may be down and filtered.
static bool RecordAdapters(const AdapterRecord* adapters, int count, AdapterRecord* rows, int* rowCount)
{
    bool changed = false;
    for (int i = 0; i < count; ++i) {
        AdapterRecord* row = FindSavedRow(rows, *rowCount, adapters[i].Name);
        if (!row && *rowCount < MaxAdapters) {
            row = &rows[(*rowCount)++];
            ZeroMemory(row, sizeof(*row));
            StringCchCopyW(row->Name, AdapterNameUnits, adapters[i].Name);
            changed = true;
        }
        if (row) {
            changed |= RecordFamily(adapters[i], Ipv4Family, *row);
            changed |= RecordFamily(adapters[i], Ipv6Family, *row);
        }
    }
    return changed;
}

// Before anything is switched, the record must hold every operational adapter's servers from before
// filtering: without it, the next switch-off would hand out automatic servers in place of the user's
// own. It is written only when its content changes, so that a record still in use stays byte for
// byte. Returns the rows recorded, or -1 when the record can be neither read nor written.
static int RecordServersBeforeFiltering(const AdapterRecord* adapters, int count, AdapterRecord* rows)
{
    int rowCount = LoadSavedSettings(rows, MaxAdapters);
    if (rowCount == SavedSettingsUnreadable)
        return -1;
    if (rowCount == NoValidSavedSettings)
        rowCount = 0;
    if (RecordAdapters(adapters, count, rows, &rowCount) && !WriteSavedSettings(rows, rowCount))
        return -1;
    return rowCount;
}

static void SwitchAdapterOn(const AdapterRecord& adapter)
{
    if (adapter.Ipv4InterfaceIndex != 0)
        ApplyDnsServers(adapter, Ipv4Family, FilterServerListIpv4);
    if (adapter.Ipv6InterfaceIndex != 0)
        ApplyDnsServers(adapter, Ipv6Family, FilterServerListIpv6);
}

void EnableFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    AdapterRecord rows[MaxAdapters];
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalAdapters);
    if (count > 0) {
        // Only an adapter whose servers are in the record is switched: without a record none is, and an
        // adapter that a full record had no room for keeps its servers.
        int rowCount = RecordServersBeforeFiltering(adapters, count, rows);
        for (int i = 0; i < count; ++i) {
            if (FindSavedRow(rows, rowCount, adapters[i].Name))
                SwitchAdapterOn(adapters[i]);
        }
    }
    RunNetshScript();
    FlushResolverCache();
}

// Only families that filtering has are given back their saved servers: one the user has changed since
// is theirs. Without a saved row, automatic servers.
static void RestoreAdapter(const AdapterRecord& adapter, const AdapterRecord* row)
{
    if (FamilyIsFiltered(adapter, Ipv4Family))
        ApplyDnsServers(adapter, Ipv4Family, row ? row->Ipv4Servers : L"");
    if (FamilyIsFiltered(adapter, Ipv6Family))
        ApplyDnsServers(adapter, Ipv6Family, row ? row->Ipv6Servers : L"");
}

// The saved record may go only once the system shows that it is no longer needed: every adapter was
// seen, and no family is filtered. A restore that did not take effect keeps it for the next switch-off.
static bool RestoreIsComplete(AdapterRecord* adapters)
{
    bool listIsWhole = false;
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalOrFilteredAdapters, &listIsWhole);
    if (!listIsWhole)
        return false;
    for (int i = 0; i < count; ++i) {
        if (FamilyIsFiltered(adapters[i], Ipv4Family) || FamilyIsFiltered(adapters[i], Ipv6Family))
            return false;
    }
    return true;
}

void DisableFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    AdapterRecord rows[MaxAdapters];
    // A record that exists but cannot be read may hold the servers to give back: nothing is restored
    // without it, and it stays for a later pass.
    int rowCount = LoadSavedSettings(rows, MaxAdapters);
    if (rowCount != SavedSettingsUnreadable) {
        // Adapters that are down are restored too when filtering has them: one may have gone down since
        // the switch-on. Those that are down and unfiltered are left out before the cap of 32 applies.
        int count = EnumerateAdapters(adapters, MaxAdapters, OperationalOrFilteredAdapters);
        for (int i = 0; i < count; ++i)
            RestoreAdapter(adapters[i], FindSavedRow(rows, rowCount, adapters[i].Name));
        RunNetshScript();
        if (RestoreIsComplete(adapters))
            DeleteFileW(StateFilePath); // best effort, as every clean-up
    }
    FlushResolverCache();
}
