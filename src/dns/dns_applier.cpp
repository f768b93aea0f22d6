// The one place that changes the system's DNS configuration: one family of one adapter at a time.
#include "dns/dns_applier.h"

#include "dns/doh_settings.h"

SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

// The servers with their DNS-over-HTTPS settings, every server without one in the text getting none.
static DWORD SetWithDoh(const AdapterRecord& adapter, IpFamily family, wchar_t* list, const wchar_t* doh)
{
    DohProperties properties;
    DNS_INTERFACE_SETTINGS3 settings = {};
    settings.Version = DNS_INTERFACE_SETTINGS_VERSION3;
    settings.Flags = DNS_SETTING_NAMESERVER | DNS_SETTING_DOH | (family != Ipv4Family ? DNS_SETTING_IPV6 : 0);
    settings.NameServer = list;
    settings.cServerProperties = MakeDohProperties(doh, list, &properties);
    settings.ServerProperties = settings.cServerProperties ? properties.Properties : nullptr;
    return SetInterfaceDnsSettingsProc(adapter.InterfaceGuid, reinterpret_cast<DNS_INTERFACE_SETTINGS*>(&settings));
}

static DWORD SetPlain(const AdapterRecord& adapter, IpFamily family, wchar_t* list)
{
    DNS_INTERFACE_SETTINGS settings = {};
    settings.Version = DNS_INTERFACE_SETTINGS_VERSION1;
    settings.Flags = DNS_SETTING_NAMESERVER | (family != Ipv4Family ? DNS_SETTING_IPV6 : 0);
    // An empty string asks for automatic servers; Windows refuses a null list with the name-server flag.
    settings.NameServer = list;
    return SetInterfaceDnsSettingsProc(adapter.InterfaceGuid, &settings);
}

// The system call counts only when the registry then shows the very addresses that were asked for. Where
// the version-3 call fails, the servers still go in plain, as they do where it is not taken.
static bool AppliedBySystem(const AdapterRecord& adapter, IpFamily family, wchar_t* list, const wchar_t* doh)
{
    if ((!doh || SetWithDoh(adapter, family, list, doh) != NO_ERROR) && SetPlain(adapter, family, list) != NO_ERROR)
        return false;

    DnsServerList readBack;
    return ReadsBackAs(ReadInterfaceNameServers(family, adapter.Name, readBack), readBack, list);
}

bool WriteInterfaceNameServers(const wchar_t* adapterName, IpFamily family, const wchar_t* list)
{
    DnsServerList applied;
    KeepAddressLiterals(list, applied);
    wchar_t keyPath[InterfaceKeyPathUnits];
    HKEY key;
    if (!FormatInterfaceKeyPath(family, adapterName, keyPath, ARRAYSIZE(keyPath)) ||
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LSTATUS written = RegSetValueExW(key, L"NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(applied),
                                     static_cast<DWORD>((wcslen(applied) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return written == ERROR_SUCCESS;
}

bool ApplyDnsServers(const AdapterRecord& adapter, IpFamily family, const wchar_t* list, const wchar_t* doh)
{
    // Lists are applied as text, and a saved list comes from a file anyone may have edited: only
    // address literals may reach the system call.
    DnsServerList applied;
    KeepAddressLiterals(list, applied);
    return SetInterfaceDnsSettingsProc && AppliedBySystem(adapter, family, applied, doh);
}
