// Stand-ins for the system's SetInterfaceDnsSettings, which Wine lacks, in each way the real call can behave.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dns/dns_interface_settings.h"

enum FakeDnsSettingsBehaviour {
    AppliesToRegistry,      // writes the NameServer value of the fake adapter with that GUID; as Windows,
                            // refuses a null list
    AppliesInCanonicalForm, // the same, each address in the form Windows would print it
    Fails,                  // answers an error and changes nothing
    ChangesNothing,         // answers success and changes nothing
    NotOffered,             // the system has no such call
};

struct FakeDnsSettingsCall {
    GUID Interface;
    DNS_INTERFACE_SETTINGS Settings; // the version-1 fields of any version
    std::wstring NameServer;
    std::wstring Doh; // version 3: each property as "index flags template", comma-separated
};

void UseFakeDnsSettings(FakeDnsSettingsBehaviour behaviour);

// The DNS client's encryption settings by server, as Windows 11 keeps them: by adapter, family and server
// address. Where they are taken, version 3 of both calls reads and writes them, and FakeDoh holds them as
// "<adapter name>/<4 or 6>" to "address flags template" lines, in server order; where not
// (Windows 10), version 3 is refused with ERROR_INVALID_PARAMETER.
void UseFakeDohSettings(bool taken);
extern std::map<std::wstring, std::wstring> FakeDoh;

// Each address of a list as Windows may store it: an IPv6 one in lower case, its longest run of zeros
// compressed.
std::wstring CanonicalForm(const std::wstring& list);
extern std::vector<FakeDnsSettingsCall> FakeDnsSettingsCalls;
