// What a pass leaves, judged from what it found once its changes were made: whether the saved settings
// may go, and why the pass fell short, if it did. Pure functions, as the plan's.
//
// The saved settings stay while any family has saved servers to get back, and until every restore shows
// in full: every doubt keeps them, since keeping them costs nothing.
#include "dns/pass_outcome.h"

// As the applier takes a list: its address literals only, none meaning automatic servers.
static bool IsAutomatic(const wchar_t* saved)
{
    DnsServerList applied;
    KeepAddressLiterals(saved, applied);
    return applied[0] == L'\0';
}

// A restore counts once the family reads back, address by address, as the list the applier was given,
// and, where it gave encryption settings, with those.
static bool TookEffect(IpFamily family, const wchar_t* servers, const AdapterRecord& now, const wchar_t* doh = nullptr)
{
    DnsServerList applied;
    KeepAddressLiterals(servers, applied);
    FamilyView view = Family(now, family);
    return ReadsBackAs(view.State, view.Servers, applied) && (!doh || wcscmp(view.Doh, doh) == 0);
}

// netsh finished, and every restore reads back in full. Adapters past the 32 the pass saw are looked at
// through the saved rows: those with servers to get back keep the saved settings.
static bool RestoresTookEffect(const SwitchingPlan& plan, const PassAftermath& after)
{
    if (!after.NetshFinished)
        return false;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        const FamilyChange& change = plan.Changes[i];
        if (!TookEffect(change.Family, change.Servers, after.Adapters[change.Adapter], change.Doh))
            return false;
    }
    for (int i = 0; i < plan.KeyChangeCount; ++i) {
        const KeyChange& change = plan.KeyChanges[i];
        if (!TookEffect(change.Family, change.Servers, after.RowInterfaces[change.Row]))
            return false;
    }
    return true;
}

// A saved list of automatic servers is not needed: without it, automatic servers are what comes back.
// A family that cannot be read may still hold the filter; one whose restore was cut short holds a part
// of its list until it reads back whole.
static bool FamilyNeedsRow(const AdapterRecord& now, IpFamily family, const SavedRow& row)
{
    FamilyView view = Family(now, family);
    SavedFamily saved = Family(row, family);
    bool cutShort = saved.RestorePending && !TookEffect(family, saved.Servers, now);
    return (view.State == ServersUnreadable || IsFilterList(view.Servers) || cutShort) && !IsAutomatic(saved.Servers);
}

// A row that names no adapter listed here and no interface key of this machine is another machine's
// (the folder may be synced or carried on a stick): its servers can only come back there.
static bool BelongsHere(const SavedRow& row, const AdapterRecord& rowInterface, const PassAftermath& after)
{
    return FindAdapter(after.Adapters, after.AdapterCount, row.Name) >= 0 ||
           rowInterface.Ipv4State != NoInterfaceKey || rowInterface.Ipv6State != NoInterfaceKey;
}

// The saved settings may go only once the system shows that nothing needs it any more: netsh finished,
// every restore reads back in full, every row belongs here, and no interface a row names, seen or not,
// bound or not, still holds the filter while its saved servers wait to come back.
bool SavedSettingsMayGo(const SavedSettings& saved, const SwitchingPlan& plan, const PassAftermath& after)
{
    if (plan.Refused != NoProblem || !RestoresTookEffect(plan, after))
        return false;
    for (int i = 0; i < saved.RowCount; ++i) {
        const SavedRow& row = saved.Rows[i];
        const AdapterRecord& now = after.RowInterfaces[i];
        if (!BelongsHere(row, now, after) || FamilyNeedsRow(now, Ipv4Family, row) || FamilyNeedsRow(now, Ipv6Family, row))
            return false;
    }
    return true;
}

// A family that still holds the filter is filtering's anyway, and one that reads back whole is the user's
// again: only what lies between is marked.
static bool MarkRestore(SavedRow& row, IpFamily family, const AdapterRecord& now)
{
    bool pending = !TookEffect(family, Family(row, family).Servers, now) && !IsFilterList(Family(now, family).Servers);
    bool& mark = family == Ipv4Family ? row.Ipv4RestorePending : row.Ipv6RestorePending;
    bool changed = mark != pending;
    mark = pending;
    return changed;
}

bool RecordPendingRestores(const SwitchingPlan& plan, const PassAftermath& after, SavedSettings& saved)
{
    bool changed = false;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        const FamilyChange& change = plan.Changes[i];
        if (change.Row >= 0)
            changed |= MarkRestore(saved.Rows[change.Row], change.Family, after.RowInterfaces[change.Row]);
    }
    for (int i = 0; i < plan.KeyChangeCount; ++i) {
        const KeyChange& change = plan.KeyChanges[i];
        changed |= MarkRestore(saved.Rows[change.Row], change.Family, after.RowInterfaces[change.Row]);
    }
    return changed;
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
// said it was on. With encrypted DNS required, servers that Windows knows no encryption for resolve no
// name at all: the filter's are given theirs only where the DNS client takes it.
PassProblem PolicyProblem(const DnsClientPolicy& policy, bool dohTaken)
{
    if (wcsspn(policy.NameServer, L" \t\r\n,;") != wcslen(policy.NameServer))
        return DnsSetByPolicy;
    return policy.DoHPolicy == EncryptedDnsRequiredPolicy && !dohTaken ? EncryptedDnsRequired : NoProblem;
}

// A network that blocks encryption (a captive portal, some providers) still resolves, filtered in plain
// text, unless a policy requires encryption; one that prohibits it gets plain servers.
DohChoice ChooseDoh(const DnsClientPolicy& policy, bool dohTaken)
{
    if (!dohTaken || policy.DoHPolicy == EncryptedDnsProhibitedPolicy)
        return NoDoh;
    return policy.DoHPolicy == EncryptedDnsRequiredPolicy ? DohOnly : DohWithFallback;
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
    // Past the 32 adapters a pass can hold, the rest keep their servers.
    return AnyFamily(after, BoundAndUnfiltered) || !after.AdapterListIsWhole ? FilterNotApplied : NoProblem;
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

PassProblem CatchUpProblem(const SwitchingPlan& plan, const PassAftermath& after)
{
    if (plan.Refused != NoProblem)
        return plan.Refused;
    if (!after.SavedSettingsWritten)
        return SavedSettingsNotWritten;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        const AdapterRecord& now = after.Adapters[plan.Changes[i].Adapter];
        if (BoundAndUnreadable(now, Ipv4Family) || BoundAndUnreadable(now, Ipv6Family))
            return ServersNotRead;
        if (!FamilyIsFiltered(now, plan.Changes[i].Family))
            return FilterNotApplied;
    }
    return NoProblem;
}
