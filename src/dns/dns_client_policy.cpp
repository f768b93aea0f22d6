// The DNS client's Group Policy, which an administrator or a management tool sets and which decides
// over every adapter's own servers.
#include "dns/dns_client_policy.h"

#include <strsafe.h>

static const wchar_t DnsClientPolicyKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";

DnsClientPolicy ReadDnsClientPolicy()
{
    DnsClientPolicy policy = {};
    DWORD bytes = sizeof(policy.NameServer);
    LSTATUS status = RegGetValueW(HKEY_LOCAL_MACHINE, DnsClientPolicyKey, L"NameServer", RRF_RT_REG_SZ, nullptr,
                                  policy.NameServer, &bytes);
    // A value that is there but too long or of another type may still name servers: it counts as set.
    if (status == ERROR_MORE_DATA || status == ERROR_UNSUPPORTED_TYPE)
        StringCchCopyW(policy.NameServer, DnsServerListUnits, L"?");
    else if (status != ERROR_SUCCESS)
        policy.NameServer[0] = L'\0';

    bytes = sizeof(policy.DoHPolicy);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, DnsClientPolicyKey, L"DoHPolicy", RRF_RT_REG_DWORD, nullptr,
                     &policy.DoHPolicy, &bytes) != ERROR_SUCCESS)
        policy.DoHPolicy = 0;
    return policy;
}
