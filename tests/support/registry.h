// The TCP/IP interface keys of the test machine's registry, where adapters keep their static DNS servers.
#pragma once

#include <string>

#include "dns/server_list.h"

void SetNameServer(IpFamily family, const wchar_t* adapterName, const wchar_t* value);
void SetNameServerValue(IpFamily family, const wchar_t* adapterName, DWORD type, const void* data, DWORD bytes);
void DeleteNameServer(IpFamily family, const wchar_t* adapterName);
void DeleteInterfaceKeys(const wchar_t* adapterName);

// The servers as Nublaro reads them: normalised, empty for automatic.
std::wstring Servers(IpFamily family, const wchar_t* adapterName);

// The value exactly as stored, or "<missing>".
std::wstring StoredNameServer(IpFamily family, const wchar_t* adapterName);
