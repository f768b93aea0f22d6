// Stand-ins for the system's SetInterfaceDnsSettings, which Wine lacks, in each way the real call can behave.
#include "support/fake_dns_settings.h"

#include <algorithm>

#include "dns/dns_applier.h"
#include "support/fake_adapters.h"
#include "support/registry.h"

std::vector<FakeDnsSettingsCall> FakeDnsSettingsCalls;
static FakeDnsSettingsBehaviour Behaviour;

static DWORD WINAPI FakeSetInterfaceDnsSettings(GUID interfaceGuid, const DNS_INTERFACE_SETTINGS* settings)
{
    FakeDnsSettingsCall call = {interfaceGuid, *settings, settings->NameServer == nullptr,
                                settings->NameServer ? settings->NameServer : L""};
    FakeDnsSettingsCalls.push_back(call);

    if (Behaviour == Fails)
        return ERROR_NOT_SUPPORTED;
    if (Behaviour == ChangesNothing)
        return NO_ERROR;

    const FakeAdapter* adapter = FakeAdapterByGuid(interfaceGuid);
    if (!adapter)
        return ERROR_NOT_FOUND;
    std::wstring value = call.NameServer;
    if (Behaviour == AppliesInUpperCase)
        std::transform(value.begin(), value.end(), value.begin(), towupper);
    IpFamily family = (settings->Flags & DNS_SETTING_IPV6) ? Ipv6Family : Ipv4Family;
    SetNameServer(family, adapter->Name, value.c_str());
    return NO_ERROR;
}

void UseFakeDnsSettings(FakeDnsSettingsBehaviour behaviour)
{
    Behaviour = behaviour;
    FakeDnsSettingsCalls.clear();
    SetInterfaceDnsSettingsProc = behaviour == NotOffered ? nullptr : FakeSetInterfaceDnsSettings;
}
