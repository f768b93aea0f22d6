// What a switching pass changes, decided from what it gathered: pure functions over adapters and rows
// that reach no system, so that every rule about the saved settings and the adapters' servers reads in
// one place.
//
// The saved settings are the only copy of the servers a user had before filtering. A family's filter servers
// live in its interface's NameServer value, which outlives the adapter (Windows keeps an unplugged
// adapter's keys) and stays while the family is unbound; so a list that is the filter's never counts
// as the user's own, and the saved settings stay while any such family has saved servers to get back, and
// until every restore shows in full. Every doubt keeps it: it costs nothing to keep.
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

static int FindAdapter(const AdapterRecord* adapters, int count, const wchar_t* name)
{
    for (int i = 0; i < count; ++i) {
        if (EqualIgnoringAsciiCase(adapters[i].Name, name))
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
SwitchingPlan PlanSwitchOn(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved)
{
    SwitchingPlan plan = EmptyPlan(saved);
    if (plan.Refused != NoProblem)
        return plan;
    for (int i = 0; i < adapterCount; ++i) {
        const AdapterRecord& adapter = adapters[i];
        int row = FindOrAddRow(saved, plan, adapter.Name);
        if (row < 0)
            continue;
        plan.RowsChanged |= SaveFamily(adapter.Ipv4Servers, adapter.Ipv4State, saved.Rows[row].Ipv4Servers);
        plan.RowsChanged |= SaveFamily(adapter.Ipv6Servers, adapter.Ipv6State, saved.Rows[row].Ipv6Servers);
        if (MayFilter(adapter, Ipv4Family))
            AddChange(plan, i, Ipv4Family, FilterServerListIpv4);
        if (MayFilter(adapter, Ipv6Family))
            AddChange(plan, i, Ipv6Family, FilterServerListIpv6);
    }
    return plan;
}

// Only families that filtering has get their saved servers back: one the user has changed since is
// theirs. Without a saved row, a click gives automatic servers, as the user asked for no filter; a
// close leaves the family as it is.
SwitchingPlan PlanSwitchOff(const AdapterRecord* adapters, int adapterCount, const SavedSettings& saved,
                            SwitchOffCause cause)
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
    return plan;
}

// As the applier takes a list: its address literals only, none meaning automatic servers.
static bool IsAutomatic(const wchar_t* saved)
{
    DnsServerList applied;
    KeepAddressLiterals(saved, applied);
    return applied[0] == L'\0';
}

// A restore counts once the family reads back, address by address, as the list the applier was given.
static bool TookEffect(const FamilyChange& change, const AdapterRecord& now)
{
    DnsServerList applied;
    KeepAddressLiterals(change.Servers, applied);
    FamilyView view = Family(now, change.Family);
    return ReadsBackAs(view.State, view.Servers, applied);
}

// Every adapter was seen, netsh finished, and every restore reads back in full.
static bool RestoresTookEffect(const SwitchingPlan& plan, const PassAftermath& after)
{
    if (!after.NetshFinished || !after.AdapterListIsWhole)
        return false;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        if (!TookEffect(plan.Changes[i], after.Adapters[plan.Changes[i].Adapter]))
            return false;
    }
    return true;
}

// A saved list of automatic servers is not needed: without it, automatic servers are what comes back.
// A family that cannot be read may still hold the filter.
static bool FamilyNeedsRow(const wchar_t* now, NameServerState state, const wchar_t* saved)
{
    return (state == ServersUnreadable || IsFilterList(now)) && !IsAutomatic(saved);
}

// A row that names no adapter listed here and no interface key of this machine is another machine's
// (the folder may be synced or carried on a stick): its servers can only come back there.
static bool BelongsHere(const SavedRow& row, const AdapterRecord& rowInterface, const PassAftermath& after)
{
    return FindAdapter(after.Adapters, after.AdapterCount, row.Name) >= 0 ||
           rowInterface.Ipv4State != NoInterfaceKey || rowInterface.Ipv6State != NoInterfaceKey;
}

// The saved settings may go only once the system shows that nothing needs it any more: every adapter was
// seen, netsh finished, every restore reads back in full, every row belongs here, and no interface a
// row names, seen or not, bound or not, still holds the filter while its saved servers wait to come back.
bool SavedSettingsMayGo(const SavedSettings& saved, const SwitchingPlan& plan, const PassAftermath& after)
{
    if (plan.Refused != NoProblem || !RestoresTookEffect(plan, after))
        return false;
    for (int i = 0; i < saved.RowCount; ++i) {
        const SavedRow& row = saved.Rows[i];
        const AdapterRecord& now = after.RowInterfaces[i];
        if (!BelongsHere(row, now, after) || FamilyNeedsRow(now.Ipv4Servers, now.Ipv4State, row.Ipv4Servers) ||
            FamilyNeedsRow(now.Ipv6Servers, now.Ipv6State, row.Ipv6Servers))
            return false;
    }
    return true;
}

// Whether a family of an adapter the pass saw is one for which holds is true.
static bool AnyFamily(const PassAftermath& after, bool (*holds)(const AdapterRecord&, IpFamily))
{
    for (int i = 0; i < after.AdapterCount; ++i) {
        if (holds(after.Adapters[i], Ipv4Family) || holds(after.Adapters[i], Ipv6Family))
            return true;
    }
    return false;
}

static bool BoundAndUnreadable(const AdapterRecord& adapter, IpFamily family)
{
    FamilyView view = Family(adapter, family);
    return view.InterfaceIndex != 0 && view.State == ServersUnreadable;
}

// Also true for an adapter that full saved settings had no room for, which was never switched.
static bool BoundAndUnfiltered(const AdapterRecord& adapter, IpFamily family)
{
    return Family(adapter, family).InterfaceIndex != 0 && !FamilyIsFiltered(adapter, family);
}

// Servers a policy sets replace every adapter's own, so the filter would change nothing while the window
// said it was on. With encrypted DNS required, servers that Windows knows no encryption for, as the
// filter's, resolve no name at all.
PassProblem PolicyProblem(const DnsClientPolicy& policy)
{
    if (wcsspn(policy.NameServer, L" \t\r\n,;") != wcslen(policy.NameServer))
        return DnsSetByPolicy;
    return policy.DoHPolicy == EncryptedDnsRequiredPolicy ? EncryptedDnsRequired : NoProblem;
}

// Told in this order, the first that holds: the one that stopped the whole pass before one that
// stopped a part of it.
PassProblem SwitchOnProblem(const SwitchingPlan& plan, const PassAftermath& after)
{
    if (after.AdapterCount == 0)
        return NoAdapterConnected;
    if (plan.Refused != NoProblem)
        return plan.Refused;
    if (!after.SavedSettingsWritten)
        return SavedSettingsNotWritten;
    if (AnyFamily(after, BoundAndUnreadable))
        return ServersNotRead;
    return AnyFamily(after, BoundAndUnfiltered) ? FilterNotApplied : NoProblem;
}

// Servers the saved settings keep for an adapter that is gone, or for another machine, are not a failure:
// they wait where they belong.
PassProblem SwitchOffProblem(const SwitchingPlan& plan, const PassAftermath& after)
{
    if (plan.Refused != NoProblem)
        return plan.Refused;
    if (AnyFamily(after, BoundAndUnreadable))
        return ServersNotRead;
    return RestoresTookEffect(plan, after) ? NoProblem : ServersNotGivenBack;
}
