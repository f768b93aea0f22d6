// Stand-ins for the system's SetInterfaceDnsSettings, which Wine lacks, in each way the real call can behave.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/fake_dns_settings.h"

#include <algorithm>

#include "dns/dns_applier.h"
#include "support/fake_adapters.h"
#include "support/registry.h"

std::vector<FakeDnsSettingsCall> FakeDnsSettingsCalls;
static FakeDnsSettingsBehaviour Behaviour;

std::wstring CanonicalForm(const std::wstring& list)
{
    std::wstring canonical;
    for (size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = std::min(list.find(L',', start), list.size());
        std::wstring address = list.substr(start, end - start);
        IN6_ADDR bytes;
        wchar_t text[64];
        if (InetPtonW(AF_INET6, address.c_str(), &bytes) == 1)
            address = InetNtopW(AF_INET6, &bytes, text, 64);
        canonical += (start ? L"," : L"") + address;
    }
    return canonical;
}

static DWORD WINAPI FakeSetInterfaceDnsSettings(GUID interfaceGuid, const DNS_INTERFACE_SETTINGS* settings)
{
    FakeDnsSettingsCall call = {interfaceGuid, *settings, settings->NameServer ? settings->NameServer : L""};
    FakeDnsSettingsCalls.push_back(call);

    if (Behaviour == Fails || !settings->NameServer)
        return ERROR_NOT_SUPPORTED;
    if (Behaviour == ChangesNothing)
        return NO_ERROR;

    const FakeAdapter* adapter = FakeAdapterByGuid(interfaceGuid);
    if (!adapter)
        return ERROR_NOT_FOUND;
    std::wstring value = Behaviour == AppliesInCanonicalForm ? CanonicalForm(call.NameServer) : call.NameServer;
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
