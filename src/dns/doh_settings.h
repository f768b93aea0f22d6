// DNS over HTTPS by server, where the DNS client takes it (Windows 11): each family's own settings read,
// and the properties of a change made from their text.
#pragma once

#include "dns/adapter_inventory.h"
#include "dns/dns_interface_settings.h"

// The system's calls, which start-up looks up; null where the system lacks them, as Wine does.
extern GetInterfaceDnsSettingsFn* GetInterfaceDnsSettingsProc;
extern FreeInterfaceDnsSettingsFn* FreeInterfaceDnsSettingsProc;

// Reads each bound family's settings of each adapter into its record. Returns false where the DNS client
// takes no version-3 settings (Windows 10, Wine), which are then left empty. A family whose settings cannot be read counts as
// one whose servers cannot: nothing may then save, change or give it back.
bool ReadDohSettings(AdapterRecord* adapters, int count);

// The properties of a change to a list of servers, from the text of a DohList: one for each entry whose
// address the list holds, told by its position there. Returns how many.
struct DohProperties {
    DNS_SERVER_PROPERTY Properties[16];
    DNS_DOH_SERVER_SETTINGS Settings[16];
    wchar_t Templates[DohListUnits];
};
int MakeDohProperties(const wchar_t* doh, const wchar_t* servers, DohProperties* out);
