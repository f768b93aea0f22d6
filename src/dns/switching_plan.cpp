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

static_assert(SavedNameUnits == AdapterNameUnits && SavedListUnits == DnsServerListUnits &&
                  SavedDohUnits == DohListUnits,
              "a saved row holds an adapter's name, lists and encryption whole");

static int FindRow(const SavedSettings& saved, const wchar_t* name)
{
    for (int i = 0; i < saved.RowCount; ++i) {
        if (EqualIgnoringAsciiCase(saved.Rows[i].Name, name))
            return i;
    }
    return -1;
}

SavedFamily Family(const SavedRow& row, IpFamily family)
{
    if (family == Ipv4Family)
        return {row.Ipv4Servers, row.Ipv4Doh, row.Ipv4RestorePending};
    return {row.Ipv6Servers, row.Ipv6Doh, row.Ipv6RestorePending};
}

static void AddChange(SwitchingPlan& plan, int adapter, IpFamily family, const wchar_t* servers, int row,
                      const wchar_t* doh)
{
    plan.Changes[plan.ChangeCount++] = {adapter, family, servers, row, doh};
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
// keeps it as automatic servers. Neither does one that cannot be read, nor the part of a saved list that
// a restore cut short left. Any other list is saved as it is now, its address literals only, so that
// servers the user set since come back rather than older ones, with their encryption. Returns whether
// the saved row changed.
static bool SaveFamily(const AdapterRecord& adapter, IpFamily family, SavedRow& row)
{
    FamilyView current = Family(adapter, family);
    if (current.State == ServersUnreadable || IsFilterList(current.Servers) || Family(row, family).RestorePending)
        return false;
    DnsServerList own;
    KeepAddressLiterals(current.Servers, own);
    wchar_t* saved = family == Ipv4Family ? row.Ipv4Servers : row.Ipv6Servers;
    wchar_t* savedDoh = family == Ipv4Family ? row.Ipv4Doh : row.Ipv6Doh;
    if (wcscmp(saved, own) == 0 && wcscmp(savedDoh, current.Doh) == 0)
        return false;
    StringCchCopyW(saved, DnsServerListUnits, own);
    StringCchCopyW(savedDoh, DohListUnits, current.Doh);
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
static void SaveAndFilter(const AdapterRecord* adapters, int adapter, SavedSettings& saved, int row,
                          DohChoice doh, SwitchingPlan& plan)
{
    const AdapterRecord& record = adapters[adapter];
    plan.RowsChanged |= SaveFamily(record, Ipv4Family, saved.Rows[row]);
    plan.RowsChanged |= SaveFamily(record, Ipv6Family, saved.Rows[row]);
    if (MayFilter(record, Ipv4Family))
        AddChange(plan, adapter, Ipv4Family, FilterServerListIpv4, row, FilterDohList(Ipv4Family, doh));
    if (MayFilter(record, Ipv6Family))
        AddChange(plan, adapter, Ipv6Family, FilterServerListIpv6, row, FilterDohList(Ipv6Family, doh));
}

SwitchingPlan PlanSwitchOn(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved, DohChoice doh)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        int row = FindOrAddRow(saved, plan, adapters[i].Name);
        if (row >= 0)
            SaveAndFilter(adapters, i, saved, row, doh, plan);
    }
    return plan;
}

// A connection that arrived or came up since the switch-on gets the filter as a switch-on would give it.
// One with a row is left as it is, whatever its servers: the user may have set them since. So is one
// that holds the filter without a row, which the user may have set by hand.
SwitchingPlan PlanCatchUp(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved, DohChoice doh)
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
            SaveAndFilter(adapters, i, saved, row, doh, plan);
    }
    return plan;
}

// Whether a family holds what filtering put there: the filter, or a part of its saved list that a restore
// cut short left, which is not the user's choice either.
static bool IsFilteringsDoing(const wchar_t* servers, const SavedRow* row, IpFamily family)
{
    return IsFilterList(servers) || (row && Family(*row, family).RestorePending);
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
        if (keys.Ipv4State == ServersRead && IsFilteringsDoing(keys.Ipv4Servers, &saved.Rows[i], Ipv4Family))
            plan.KeyChanges[plan.KeyChangeCount++] = {i, Ipv4Family, saved.Rows[i].Ipv4Servers};
        if (keys.Ipv6State == ServersRead && IsFilteringsDoing(keys.Ipv6Servers, &saved.Rows[i], Ipv6Family))
            plan.KeyChanges[plan.KeyChangeCount++] = {i, Ipv6Family, saved.Rows[i].Ipv6Servers};
    }
}

// No DNS-over-HTTPS setting of the filter's stays behind: a family gets its own back, or none.
static void PlanRestore(const AdapterRecord* adapters, int adapter, IpFamily family, const SavedSettings& saved,
                        int row, DohChoice doh, SwitchingPlan& plan)
{
    FamilyView view = Family(adapters[adapter], family);
    const SavedRow* savedRow = row >= 0 ? &saved.Rows[row] : nullptr;
    if (view.InterfaceIndex == 0 || !IsFilteringsDoing(view.Servers, savedRow, family))
        return;
    SavedFamily own = savedRow ? Family(*savedRow, family) : SavedFamily{L"", L"", false};
    AddChange(plan, adapter, family, own.Servers, row, doh == NoDoh ? nullptr : own.Doh);
}

// Only families that filtering has get their saved servers back: one the user has changed since is
// theirs. Without a saved row, a click gives automatic servers, as the user asked for no filter; a
// close leaves the family as it is.
SwitchingPlan PlanSwitchOff(const AdapterRecord* adapters, int adapterCount, const SavedSettings& saved,
                            const AdapterRecord* rowInterfaces, SwitchOffCause cause, DohChoice doh)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        int row = FindRow(saved, adapters[i].Name);
        if (row < 0 && cause == WindowClosing)
            continue;
        PlanRestore(adapters, i, Ipv4Family, saved, row, doh, plan);
        PlanRestore(adapters, i, Ipv6Family, saved, row, doh, plan);
    }
    PlanKeyChanges(adapters, adapterCount, saved, rowInterfaces, plan);
    return plan;
}
