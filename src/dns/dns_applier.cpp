// The one place that changes the system's DNS configuration: one family of one adapter at a time.
#include "dns/dns_applier.h"


SetInterfaceDnsSettingsFn* SetInterfaceDnsSettingsProc;

// The system call counts only when the registry then shows the very addresses that were asked for.
static bool AppliedBySystem(const AdapterRecord& adapter, IpFamily family, wchar_t* list)
{
    DNS_INTERFACE_SETTINGS settings = {};
    settings.Version = DNS_INTERFACE_SETTINGS_VERSION1;
    settings.Flags = DNS_SETTING_NAMESERVER | (family != Ipv4Family ? DNS_SETTING_IPV6 : 0);
    // An empty string asks for automatic servers; Windows refuses a null list with the name-server flag.
    settings.NameServer = list;
    if (SetInterfaceDnsSettingsProc(adapter.InterfaceGuid, &settings) != NO_ERROR)
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

bool ApplyDnsServers(const AdapterRecord& adapter, IpFamily family, const wchar_t* list)
{
    // Lists are applied as text, and a saved list comes from a file anyone may have edited: only
    // address literals may reach the system call.
    DnsServerList applied;
    KeepAddressLiterals(list, applied);
    return SetInterfaceDnsSettingsProc && AppliedBySystem(adapter, family, applied);
}
