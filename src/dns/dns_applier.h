// The one place that changes the system's DNS configuration: one family of one adapter at a time.
#pragma once

#include "dns/adapter_inventory.h"
#include "dns/dns_interface_settings.h"

// The system's SetInterfaceDnsSettings, which start-up looks up; null where the system lacks it.
extern SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

// Returns whether the system call took effect: the registry then shows the list's address literals.
// Where it did not, the pass falls back to netsh.
bool ApplyDnsServers(const AdapterRecord& adapter, IpFamily family, const wchar_t* list);
