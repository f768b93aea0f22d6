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
