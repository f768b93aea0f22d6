// The TCP/IP interface keys of the test machine's registry, where adapters keep their static DNS servers.
// Adapters are named as the adapter list names them: narrow text.
#pragma once

#include <string>

#include "dns/server_list.h"

void SetNameServer(IpFamily family, const char* adapterName, const wchar_t* value);
void SetNameServerValue(IpFamily family, const char* adapterName, DWORD type, const void* data, DWORD bytes);
void DeleteNameServer(IpFamily family, const char* adapterName);
void DeleteInterfaceKeys(const char* adapterName);

// The servers as Nublaro reads them: normalised, empty for automatic.
std::wstring Servers(IpFamily family, const char* adapterName);

// The value exactly as stored, or "<missing>".
std::wstring StoredNameServer(IpFamily family, const char* adapterName);

// Expects both families' servers of an adapter, as Nublaro reads them; a failure names the caller's line.
#define ExpectServers(adapterName, ipv4, ipv6) ExpectServersAt(__FILE__, __LINE__, adapterName, ipv4, ipv6)
void ExpectServersAt(const char* file, int line, const char* adapterName, const std::wstring& ipv4,
                     const std::wstring& ipv6);
