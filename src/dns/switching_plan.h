// What a switching pass changes, decided from what it gathered: pure functions over adapters and rows
// that reach no system, so that every rule about the saved settings and the adapters' servers reads in
// one place.
#pragma once

#include "dns/adapter_inventory.h"
#include "settings/saved_settings.h"

// One family of one gathered adapter, and the list it is to get (a saved row's, or a constant).
struct FamilyChange {
    int Adapter;
    IpFamily Family;
    const wchar_t* Servers;
    int Row;            // the adapter's saved row; -1 for none
    const wchar_t* Doh; // its DNS-over-HTTPS settings, as a DohList; null leaves them as they are
};

const int MaxFamilyChanges = 2 * MaxAdapters;

// One family of a saved row whose adapter Windows no longer lists, to get its saved list in its
// interface's keys.
struct KeyChange {
    int Row;
    IpFamily Family;
    const wchar_t* Servers;
};

// Why a pass did not do all that was asked of it, each told to the user in a sentence of its own.
enum PassProblem {
    NoProblem,
    SavedSettingsNotWritten, // the servers from before could not be saved, so nothing was switched
    SavedSettingsNotRead,    // the saved servers could not be read, so nothing was changed
    DnsSetByPolicy,
    EncryptedDnsRequired,
    NoAdapterConnected,
    ServersNotRead,      // an adapter's servers could not be read, so it was left as it is
    FilterNotApplied,    // an adapter did not take the filter
    ServersNotGivenBack, // a restore did not take effect; the saved settings stay for the next switch-off
};

struct SwitchingPlan {
    PassProblem Refused; // why the pass may change nothing at all; NoProblem when it may go ahead
    bool RowsChanged;    // the saved settings must be written, and hold them, before any family is changed
    int ChangeCount;
    FamilyChange Changes[MaxFamilyChanges]; // in the order they are to be made
    int KeyChangeCount;
    KeyChange KeyChanges[2 * MaxSavedRows];
};

// One family of a saved row: its list, its encryption, and whether a restore of it was cut short.
struct SavedFamily {
    const wchar_t* Servers;
    const wchar_t* Doh;
    bool RestorePending;
};
SavedFamily Family(const SavedRow& row, IpFamily family);

// A click asks for the filter to go from every adapter; closing the window gives back only what the
// saved settings hold, since a filter without a row may well have been put there by the user.
enum SwitchOffCause { SwitchedOffByUser, WindowClosing };

// A switch-on brings the saved rows up to date in place. doh: how the filter's servers are encrypted.
SwitchingPlan PlanSwitchOn(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved,
                           DohChoice doh = NoDoh);
// While filtering is on: the filter for the machine's connections that are new since, their servers saved first.
SwitchingPlan PlanCatchUp(const AdapterRecord* adapters, int adapterCount, SavedSettings& saved,
                          DohChoice doh = NoDoh);
// rowInterfaces: for each saved row, the interface it names as its keys are now, read by that name. doh:
// anything but NoDoh gives each family back its own encryption, none where it had none.
SwitchingPlan PlanSwitchOff(const AdapterRecord* adapters, int adapterCount, const SavedSettings& saved,
                            const AdapterRecord* rowInterfaces, SwitchOffCause cause, DohChoice doh = NoDoh);
