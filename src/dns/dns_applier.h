// The one place that changes the system's DNS configuration: one family of one adapter at a time.
#pragma once

#include "dns/adapter_inventory.h"
#include "dns/dns_interface_settings.h"

// The system's SetInterfaceDnsSettings, which start-up looks up; null where the system lacks it.
extern SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

// Returns whether the system call took effect: the registry then shows the list's address literals.
// Where it did not, the pass falls back to netsh, which carries no encryption. doh: the family's
// DNS-over-HTTPS settings as a DohList, given through the version-3 call; null leaves them alone.
bool ApplyDnsServers(const AdapterRecord& adapter, IpFamily family, const wchar_t* list,
                     const wchar_t* doh = nullptr);

// For an adapter Windows no longer lists: writes the list's address literals, none for automatic
// servers, into its interface key's NameServer value, which Windows applies when the adapter returns.
// The key must exist: nothing is made for an adapter this machine has never had.
bool WriteInterfaceNameServers(const wchar_t* adapterName, IpFamily family, const wchar_t* list);
