// What a switching pass changes, decided from what it gathered: pure functions over adapters and rows
// that reach no system, so that every rule about the saved settings and the adapters' servers reads in
// one place.
//
// The saved settings are the only copy of the servers a user had before filtering. A family's filter servers
// live in its interface's NameServer value, which outlives the adapter (Windows keeps an unplugged
// adapter's keys) and stays while the family is unbound; so a list that is the filter's never counts
// as the user's own.
#include "dns/switching_plan.h"

#include <strsafe.h>

static_assert(SavedNameUnits == AdapterNameUnits && SavedListUnits == DnsServerListUnits,
              "a saved row holds an adapter's name and lists whole");

static int FindRow(const SavedSettings& saved, const wchar_t* name)
{
    for (int i = 0; i < saved.RowCount; ++i) {
        if (EqualIgnoringAsciiCase(saved.Rows[i].Name, name))
            return i;
    }
    return -1;
}

static void AddChange(SwitchingPlan& plan, int adapter, IpFamily family, const wchar_t* servers)
{
    plan.Changes[plan.ChangeCount++] = {adapter, family, servers};
}

// Saved settings that exist but cannot be read may hold the only copy of the user's servers: a pass
// then changes nothing. This is the one place that asks.
static SwitchingPlan EmptyPlan(const SavedSettings& saved)
{
    SwitchingPlan plan = {};
    plan.Refused = saved.State == SavedSettingsUnreadable ? SavedSettingsNotRead : NoProblem;
    return plan;
}

// The adapter's row, made when it has none and the saved settings have room; -1 when they are full.
static int FindOrAddRow(SavedSettings& saved, SwitchingPlan& plan, const wchar_t* name)
{
    int row = FindRow(saved, name);
    if (row >= 0 || saved.RowCount == MaxSavedRows)
        return row;
    row = saved.RowCount++;
    ZeroMemory(&saved.Rows[row], sizeof(saved.Rows[row]));
    StringCchCopyW(saved.Rows[row].Name, SavedNameUnits, name);
    plan.RowsChanged = true;
    return row;
}

// A list that is the filter's is never the user's own: it never replaces a saved list, and a new row
// keeps it as automatic servers. Neither does one that cannot be read. Any other list is saved as it
// is now, its address literals only, so that servers the user set since come back rather than older
// ones. Returns whether the saved list changed.
static bool SaveFamily(const wchar_t* current, NameServerState state, wchar_t* saved)
{
    if (state == ServersUnreadable || IsFilterList(current))
        return false;
    DnsServerList own;
    KeepAddressLiterals(current, own);
    if (wcscmp(saved, own) == 0)
        return false;
    StringCchCopyW(saved, DnsServerListUnits, own);
    return true;
}

// A family is filtered only when it is bound and its servers could be read: servers that cannot be
// known could not be given back.
static bool MayFilter(const AdapterRecord& adapter, IpFamily family)
{
    FamilyView view = Family(adapter, family);
    return view.InterfaceIndex != 0 && view.State != ServersUnreadable;
}

// Only an adapter whose servers are in the saved settings is switched on: one that full saved settings
// have no room for keeps its servers, since filtering it would leave nothing to give back.
// The adapter's servers into its row, then the filter for every family that may have it.
static void SaveAndFilter(const AdapterRecord* adapters, int adapter, SavedRow& row, SwitchingPlan& plan)
{
    const AdapterRecord& record = adapters[adapter];
    plan.RowsChanged |= SaveFamily(record.Ipv4Servers, record.Ipv4State, row.Ipv4Servers);
    plan.RowsChanged |= SaveFamily(record.Ipv6Servers, record.Ipv6State, row.Ipv6Servers);
    if (MayFilter(record, Ipv4Family))
        AddChange(plan, adapter, Ipv4Family, FilterServerListIpv4);
    if (MayFilter(record, Ipv6Family))
        AddChange(plan, adapter, Ipv6Family, FilterServerListIpv6);
}

SwitchingPlan PlanSwitchOn(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        int row = FindOrAddRow(saved, plan, adapters[i].Name);
        if (row >= 0)
            SaveAndFilter(adapters, i, saved.Rows[row], plan);
    }
    return plan;
}

// A connection that arrived or came up since the switch-on gets the filter as a switch-on would give it.
// One with a row is left as it is, whatever its servers: the user may have set them since. So is one
// that holds the filter without a row, which the user may have set by hand.
SwitchingPlan PlanCatchUp(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        const AdapterRecord& adapter = adapters[i];
        if (FindRow(saved, adapter.Name) >= 0 || FamilyIsFiltered(adapter, Ipv4Family) ||
            FamilyIsFiltered(adapter, Ipv6Family))
            continue;
        int row = FindOrAddRow(saved, plan, adapter.Name);
        if (row >= 0)
            SaveAndFilter(adapters, i, saved.Rows[row], plan);
    }
    return plan;
}

// A dock's or USB adapter unplugged while filtered keeps the filter in its keys, and would use it again
// when it returns, with nothing left to give back: its saved servers go into those keys instead.
static void PlanKeyChanges(const AdapterRecord* adapters, int adapterCount, const SavedSettings& saved,
                           const AdapterRecord* rowInterfaces, SwitchingPlan& plan)
{
    for (int i = 0; i < saved.RowCount; ++i) {
        if (FindAdapter(adapters, adapterCount, saved.Rows[i].Name) >= 0)
            continue;
        const AdapterRecord& keys = rowInterfaces[i];
        if (keys.Ipv4State == ServersRead && IsFilterList(keys.Ipv4Servers))
            plan.KeyChanges[plan.KeyChangeCount++] = {i, Ipv4Family, saved.Rows[i].Ipv4Servers};
        if (keys.Ipv6State == ServersRead && IsFilterList(keys.Ipv6Servers))
            plan.KeyChanges[plan.KeyChangeCount++] = {i, Ipv6Family, saved.Rows[i].Ipv6Servers};
    }
}

// Only families that filtering has get their saved servers back: one the user has changed since is
// theirs. Without a saved row, a click gives automatic servers, as the user asked for no filter; a
// close leaves the family as it is.
SwitchingPlan PlanSwitchOff(const AdapterRecord* adapters, int adapterCount, const SavedSettings& saved,
                            const AdapterRecord* rowInterfaces, SwitchOffCause cause)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        int row = FindRow(saved, adapters[i].Name);
        if (row < 0 && cause == WindowClosing)
            continue;
        if (FamilyIsFiltered(adapters[i], Ipv4Family))
            AddChange(plan, i, Ipv4Family, row >= 0 ? saved.Rows[row].Ipv4Servers : L"");
        if (FamilyIsFiltered(adapters[i], Ipv6Family))
            AddChange(plan, i, Ipv6Family, row >= 0 ? saved.Rows[row].Ipv6Servers : L"");
    }
    PlanKeyChanges(adapters, adapterCount, saved, rowInterfaces, plan);
    return plan;
}
