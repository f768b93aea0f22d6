// Stand-ins for the system's SetInterfaceDnsSettings, which Wine lacks, in each way the real call can behave.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/fake_dns_settings.h"

#include <algorithm>

#include "dns/dns_applier.h"
#include "dns/doh_settings.h"
#include "support/fake_adapters.h"
#include "support/registry.h"

std::vector<FakeDnsSettingsCall> FakeDnsSettingsCalls;
std::map<std::wstring, std::wstring> FakeDoh;
static FakeDnsSettingsBehaviour Behaviour;
static bool DohTaken;

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

static std::vector<std::wstring> Split(const std::wstring& list, const wchar_t* separators)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0, end; start < list.size(); start = end + 1) {
        end = std::min(list.find_first_of(separators, start), list.size());
        if (end > start)
            parts.push_back(list.substr(start, end - start));
    }
    return parts;
}

static std::wstring DohKey(const FakeAdapter& adapter, const DNS_INTERFACE_SETTINGS* settings)
{
    return Wide(adapter.Name) + ((settings->Flags & DNS_SETTING_IPV6) ? L"/6" : L"/4");
}

static std::wstring Hex(ULONG64 value)
{
    wchar_t text[24];
    swprintf(text, 24, L"%llx", value);
    return text;
}

// What the call was given, and what the DNS client keeps: the settings by server address.
static void TakeDoh(const DNS_INTERFACE_SETTINGS3& settings, FakeDnsSettingsCall& call, std::wstring* kept)
{
    std::vector<std::wstring> servers = Split(call.NameServer, L", ;");
    for (ULONG i = 0; i < settings.cServerProperties; ++i) {
        const DNS_SERVER_PROPERTY& property = settings.ServerProperties[i];
        const DNS_DOH_SERVER_SETTINGS& doh = *property.Property.DohSettings;
        std::wstring flags = Hex(doh.Flags);
        call.Doh += (i ? L"," : L"") + std::to_wstring(property.ServerIndex) + L" " + flags + L" " + doh.Template;
        if (kept && property.ServerIndex < servers.size())
            *kept += (kept->empty() ? L"" : L"\n") + servers[property.ServerIndex] + L" " + flags + L" " + doh.Template;
    }
}

static DWORD WINAPI FakeSetInterfaceDnsSettings(GUID interfaceGuid, const DNS_INTERFACE_SETTINGS* settings)
{
    FakeDnsSettingsCall call = {interfaceGuid, *settings, settings->NameServer ? settings->NameServer : L"", L""};
    const FakeAdapter* adapter = FakeAdapterByGuid(interfaceGuid);
    std::wstring kept;
    bool version3 = settings->Version == DNS_INTERFACE_SETTINGS_VERSION3;
    if (version3)
        TakeDoh(*reinterpret_cast<const DNS_INTERFACE_SETTINGS3*>(settings), call, &kept);
    FakeDnsSettingsCalls.push_back(call);

    if (version3 && !DohTaken)
        return ERROR_INVALID_PARAMETER;
    if (Behaviour == Fails || !settings->NameServer)
        return ERROR_NOT_SUPPORTED;
    if (Behaviour == ChangesNothing)
        return NO_ERROR;
    if (!adapter)
        return ERROR_NOT_FOUND;
    std::wstring value = Behaviour == AppliesInCanonicalForm ? CanonicalForm(call.NameServer) : call.NameServer;
    IpFamily family = (settings->Flags & DNS_SETTING_IPV6) ? Ipv6Family : Ipv4Family;
    SetNameServer(family, adapter->Name, value.c_str());
    if (version3 && (settings->Flags & DNS_SETTING_DOH))
        FakeDoh[DohKey(*adapter, settings)] = kept;
    return NO_ERROR;
}

static wchar_t* Copy(const std::wstring& text)
{
    wchar_t* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (text.size() + 1) * sizeof(wchar_t)));
    wcscpy(copy, text.c_str());
    return copy;
}

// As the DNS client answers: the family's servers as the registry holds them, and a property for each
// that has settings, by its position.
static DWORD WINAPI FakeGetInterfaceDnsSettings(GUID interfaceGuid, DNS_INTERFACE_SETTINGS* settings)
{
    const FakeAdapter* adapter = FakeAdapterByGuid(interfaceGuid);
    if (settings->Version == DNS_INTERFACE_SETTINGS_VERSION3 && !DohTaken)
        return ERROR_INVALID_PARAMETER;
    if (!adapter || settings->Version != DNS_INTERFACE_SETTINGS_VERSION3)
        return ERROR_NOT_FOUND;
    auto& answer = *reinterpret_cast<DNS_INTERFACE_SETTINGS3*>(settings);
    std::wstring servers = StoredNameServer((settings->Flags & DNS_SETTING_IPV6) ? Ipv6Family : Ipv4Family, adapter->Name);
    std::vector<std::wstring> addresses = Split(servers, L", ;");
    std::vector<std::wstring> entries = Split(FakeDoh[DohKey(*adapter, settings)], L"\n");
    answer.NameServer = Copy(servers);
    answer.ServerProperties = static_cast<DNS_SERVER_PROPERTY*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (entries.size() + 1) * sizeof(DNS_SERVER_PROPERTY)));
    for (const std::wstring& entry : entries) {
        size_t blank = entry.find(L' '), second = entry.find(L' ', blank + 1);
        auto server = std::find(addresses.begin(), addresses.end(), entry.substr(0, blank));
        if (server == addresses.end())
            continue;
        auto* doh = static_cast<DNS_DOH_SERVER_SETTINGS*>(HeapAlloc(GetProcessHeap(), 0, sizeof(DNS_DOH_SERVER_SETTINGS)));
        *doh = {Copy(entry.substr(second + 1)), wcstoull(entry.substr(blank + 1, second - blank - 1).c_str(), nullptr, 16)};
        DNS_SERVER_PROPERTY& property = answer.ServerProperties[answer.cServerProperties++];
        property = {DNS_SERVER_PROPERTY_VERSION1, static_cast<ULONG>(server - addresses.begin()), DnsServerDohProperty, {}};
        property.Property.DohSettings = doh;
    }
    return NO_ERROR;
}

static void WINAPI FakeFreeInterfaceDnsSettings(DNS_INTERFACE_SETTINGS* settings)
{
    auto& answer = *reinterpret_cast<DNS_INTERFACE_SETTINGS3*>(settings);
    for (ULONG i = 0; i < answer.cServerProperties; ++i) {
        HeapFree(GetProcessHeap(), 0, answer.ServerProperties[i].Property.DohSettings->Template);
        HeapFree(GetProcessHeap(), 0, answer.ServerProperties[i].Property.DohSettings);
    }
    HeapFree(GetProcessHeap(), 0, answer.ServerProperties);
    HeapFree(GetProcessHeap(), 0, answer.NameServer);
}

void UseFakeDohSettings(bool taken)
{
    DohTaken = taken;
    FakeDoh.clear();
    GetInterfaceDnsSettingsProc = FakeGetInterfaceDnsSettings;
    FreeInterfaceDnsSettingsProc = FakeFreeInterfaceDnsSettings;
}

void UseFakeDnsSettings(FakeDnsSettingsBehaviour behaviour)
{
    Behaviour = behaviour;
    FakeDnsSettingsCalls.clear();
    DohTaken = false;
    SetInterfaceDnsSettingsProc = behaviour == NotOffered ? nullptr : FakeSetInterfaceDnsSettings;
}
