// Stand-ins for the system's SetInterfaceDnsSettings, which Wine lacks, in each way the real call can behave.
#pragma once

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
    DNS_INTERFACE_SETTINGS Settings;
    std::wstring NameServer;
};

void UseFakeDnsSettings(FakeDnsSettingsBehaviour behaviour);

// Each address of a list as Windows may store it: an IPv6 one in lower case, its longest run of zeros
// compressed.
std::wstring CanonicalForm(const std::wstring& list);
extern std::vector<FakeDnsSettingsCall> FakeDnsSettingsCalls;
