// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
// Each pass gathers what the system holds, asks the switching plan what to do, and carries it out.
#include "dns/filtering_mode.h"

#include <windows.h>

#include "dns/adapter_inventory.h"
#include "dns/command_runner.h"
#include "dns/dns_applier.h"
#include "dns/doh_settings.h"
#include "dns/netsh_script.h"
#include "dns/pass_outcome.h"
#include "dns/switching_plan.h"
#include "settings/saved_settings.h"

// Each change through the system call, then those it did not take through one netsh. Returns whether
// netsh, if it was needed, ran every command.
static bool ApplyChanges(const AdapterRecord* adapters, const SwitchingPlan& plan)
{
    NetshChange fallBack[MaxFamilyChanges];
    int fallBackCount = 0;
    for (int i = 0; i < plan.ChangeCount; ++i) {
        const FamilyChange& change = plan.Changes[i];
        const AdapterRecord& adapter = adapters[change.Adapter];
        if (!ApplyDnsServers(adapter, change.Family, change.Servers, change.Doh))
            fallBack[fallBackCount++] = {Family(adapter, change.Family).InterfaceIndex, change.Family, change.Servers};
    }
    return RunNetshScript(fallBack, fallBackCount);
}

static void GiveBackThroughKeys(const SavedSettings& saved, const SwitchingPlan& plan)
{
    for (int i = 0; i < plan.KeyChangeCount; ++i) {
        const KeyChange& change = plan.KeyChanges[i];
        WriteInterfaceNameServers(saved.Rows[change.Row].Name, change.Family, change.Servers); // read back below
    }
}

// Each row's interface as its keys are now, read by name: that works for an adapter that is gone or
// down, and for a family that is not bound.
static void ReadRowInterfaces(const SavedSettings& saved, AdapterRecord* rowInterfaces)
{
    for (int i = 0; i < saved.RowCount; ++i) {
        AdapterRecord& rowInterface = rowInterfaces[i];
        ZeroMemory(&rowInterface, sizeof(rowInterface));
        CopyMemory(rowInterface.Name, saved.Rows[i].Name, sizeof(rowInterface.Name));
        ReadCurrentServers(&rowInterface);
    }
}

// The pass's adapters and each row's interface as they are now.
static void GatherAftermath(const AdapterRecord* adapters, int count, const SavedSettings* saved,
                            PassAftermath& after)
{
    after.AdapterCount = count;
    for (int i = 0; i < count; ++i) {
        after.Adapters[i] = adapters[i];
        ReadCurrentServers(&after.Adapters[i]);
    }
    ReadDohSettings(after.Adapters, count);
    if (saved)
        ReadRowInterfaces(*saved, after.RowInterfaces);
}

// Nothing is switched unless the saved settings hold the servers from before filtering: without them, the
// next switch-off would hand out automatic servers in place of the user's own.
static void SaveThenFilter(const AdapterRecord* adapters, int count, const SavedSettings& saved,
                           const SwitchingPlan& plan, PassAftermath& after)
{
    after.SavedSettingsWritten = !plan.RowsChanged || WriteSavedSettings(saved);
    after.NetshFinished = !after.SavedSettingsWritten || ApplyChanges(adapters, plan);
    GatherAftermath(adapters, count, nullptr, after);
    FlushResolverCache();
}

PassProblem EnableFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    SavedSettings saved;
    PassAftermath after;
    // Only the machine's own connections take the filter: a VPN's or a virtual network's servers are theirs.
    int count = EnumerateAdapters(adapters, MaxAdapters, OwnConnectionsUp, &after.AdapterListIsWhole);
    bool dohTaken = ReadDohSettings(adapters, count);
    DnsClientPolicy policy = ReadDnsClientPolicy();
    PassProblem policyProblem = PolicyProblem(policy, dohTaken);
    if (policyProblem != NoProblem)
        return policyProblem;
    LoadSavedSettings(&saved);

    SwitchingPlan plan = PlanSwitchOn(adapters, count, saved, ChooseDoh(policy, dohTaken));
    SaveThenFilter(adapters, count, saved, plan, after);
    return SwitchOnProblem(plan, after);
}

// Quiet when it finds nothing new: no change, no cache flush. A policy that decides DNS is told of only
// when there is a connection to filter.
PassProblem CatchUpFilteringMode()
{
    AdapterRecord adapters[MaxAdapters];
    SavedSettings saved;
    PassAftermath after;
    int count = EnumerateAdapters(adapters, MaxAdapters, OwnConnectionsUp);
    bool dohTaken = ReadDohSettings(adapters, count);
    DnsClientPolicy policy = ReadDnsClientPolicy();
    LoadSavedSettings(&saved);

    SwitchingPlan plan = PlanCatchUp(adapters, count, saved, ChooseDoh(policy, dohTaken));
    if (plan.Refused == NoProblem && plan.ChangeCount == 0 && !plan.RowsChanged)
        return NoProblem;
    PassProblem policyProblem = PolicyProblem(policy, dohTaken);
    if (policyProblem != NoProblem)
        return policyProblem;
    SaveThenFilter(adapters, count, saved, plan, after);
    return CatchUpProblem(plan, after);
}

PassProblem DisableFilteringMode(SwitchOffCause cause)
{
    AdapterRecord adapters[MaxAdapters];
    SavedSettings saved;
    PassAftermath after;
    // Adapters that are down are restored too when filtering has them: one may have gone down since the
    // switch-on. Those that are down and unfiltered are left out before the cap of 32 applies.
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalOrFilteredAdapters);
    DohChoice doh = ReadDohSettings(adapters, count) ? DohWithFallback : NoDoh;
    LoadSavedSettings(&saved);

    ReadRowInterfaces(saved, after.RowInterfaces);

    SwitchingPlan plan = PlanSwitchOff(adapters, count, saved, after.RowInterfaces, cause, doh);
    after.NetshFinished = ApplyChanges(adapters, plan);
    GiveBackThroughKeys(saved, plan);
    // Asked of the system as it is after the restore: one that did not take effect keeps the saved
    // settings for the next switch-off.
    GatherAftermath(adapters, count, &saved, after);
    if (SavedSettingsMayGo(saved, plan, after))
        DeleteSavedSettings();
    else if (RecordPendingRestores(plan, after, saved))
        WriteSavedSettings(saved); // best effort: the user is told the servers did not all come back
    FlushResolverCache();
    return SwitchOffProblem(plan, after);
}
