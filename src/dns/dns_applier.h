// The one place that changes the system's DNS configuration: one family of one adapter at a time.
#pragma once

#include "dns/adapter_inventory.h"
#include "dns/dns_interface_settings.h"

// The system's SetInterfaceDnsSettings, which start-up looks up; null where the system lacks it.
extern SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

void ApplyDnsServers(const AdapterRecord& adapter, IpFamily family, const wchar_t* list);
