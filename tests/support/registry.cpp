// The TCP/IP interface keys of the test machine's registry, where adapters keep their static DNS servers.
// Adapters are named as the adapter list names them: narrow text.
#include "support/registry.h"

#include <gtest/gtest.h>

#include "support/fake_adapters.h"

static std::wstring InterfaceKeyPath(IpFamily family, const char* adapterName)
{
    return std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + (family == Ipv4Family ? L"Tcpip" : L"Tcpip6") +
           L"\\Parameters\\Interfaces\\" + Wide(adapterName);
}

void SetNameServerValue(IpFamily family, const char* adapterName, DWORD type, const void* data, DWORD bytes)
{
    HKEY key;
    LSTATUS created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, InterfaceKeyPath(family, adapterName).c_str(), 0,
                                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    ASSERT_EQ(created, ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, L"NameServer", 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetNameServer(IpFamily family, const char* adapterName, const wchar_t* value)
{
    SetNameServerValue(family, adapterName, REG_SZ, value,
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

void DeleteNameServer(IpFamily family, const char* adapterName)
{
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, InterfaceKeyPath(family, adapterName).c_str(), L"NameServer");
}

void DeleteInterfaceKeys(const char* adapterName)
{
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InterfaceKeyPath(Ipv4Family, adapterName).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InterfaceKeyPath(Ipv6Family, adapterName).c_str());
}

std::wstring Servers(IpFamily family, const char* adapterName)
{
    DnsServerList servers;
    ReadInterfaceNameServers(family, Wide(adapterName).c_str(), servers);
    return servers;
}

std::wstring StoredNameServer(IpFamily family, const char* adapterName)
{
    wchar_t value[1024];
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, InterfaceKeyPath(family, adapterName).c_str(), L"NameServer",
                     RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

void ExpectServersAt(const char* file, int line, const char* adapterName, const std::wstring& ipv4,
                     const std::wstring& ipv6)
{
    testing::ScopedTrace caller(file, line, "the servers of " + std::string(adapterName));
    EXPECT_EQ(Servers(Ipv4Family, adapterName), ipv4);
    EXPECT_EQ(Servers(Ipv6Family, adapterName), ipv6);
}
