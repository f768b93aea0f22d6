// The DNS client's Group Policy, which an administrator or a management tool sets and which decides
// over every adapter's own servers.
#pragma once

#include "dns/server_list.h"

// DoHPolicy 1: encrypted DNS is prohibited; 3: every name must be resolved over encrypted DNS.
const DWORD EncryptedDnsProhibitedPolicy = 1;
const DWORD EncryptedDnsRequiredPolicy = 3;

struct DnsClientPolicy {
    DnsServerList NameServer; // servers for every connection, as the policy holds them; empty without
    DWORD DoHPolicy;          // 0 without a policy
};

DnsClientPolicy ReadDnsClientPolicy();
