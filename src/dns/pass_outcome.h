// What a pass leaves, judged from what it found once its changes were made: whether the saved settings
// may go, and why the pass fell short, if it did.
#pragma once

#include "dns/dns_client_policy.h"
#include "dns/switching_plan.h"

// What a pass finds once its changes are made.
struct PassAftermath {
    bool SavedSettingsWritten; // a switch-on wrote the rows its plan changed (or had none to write)
    bool NetshFinished;        // the pass's netsh script, if it had one, ran to its end
    bool AdapterListIsWhole;   // switch-on: no adapter past the 32 a pass holds was left out
    int AdapterCount;
    AdapterRecord Adapters[MaxAdapters];      // the pass's adapters, in its order, their servers read again
    AdapterRecord RowInterfaces[MaxAdapters]; // switch-off: for each row, the interface it names, read by that name
};

// Whether the saved settings may go after a switch-off that carried out this plan.
bool SavedSettingsMayGo(const SavedSettings& saved, const SwitchingPlan& plan, const PassAftermath& after);

// After a switch-off that keeps the saved settings: marks each family the pass restored by its row's
// interface as it reads now, pending until it reads back as its saved list, so that a part of the list
// that a restore cut short is never taken for the user's own. Returns whether a mark changed.
bool RecordPendingRestores(const SwitchingPlan& plan, const PassAftermath& after, SavedSettings& saved);

// Whether a policy decides DNS in a way that makes a switch-on pointless or harmful. dohTaken: the DNS
// client takes DNS-over-HTTPS settings by server.
PassProblem PolicyProblem(const DnsClientPolicy& policy, bool dohTaken);
// How the filter's servers are encrypted.
DohChoice ChooseDoh(const DnsClientPolicy& policy, bool dohTaken);
PassProblem SwitchOnProblem(const SwitchingPlan& plan, const PassAftermath& after);
PassProblem SwitchOffProblem(const SwitchingPlan& plan, const PassAftermath& after);
// A catch-up tells only of the connections it meant to filter.
PassProblem CatchUpProblem(const SwitchingPlan& plan, const PassAftermath& after);
