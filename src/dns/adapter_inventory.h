// Adapter inventory: the network adapters that can carry DNS servers, and whether filtering mode is on.
#pragma once

#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include "dns/server_list.h"

const int AdapterNameUnits = 40;
const int MaxAdapters = 32;

// One adapter as the inventory sees it; also one row of the saved settings, where only the name and
// the two lists are set.
struct AdapterRecord {
    wchar_t Name[AdapterNameUnits];
    GUID InterfaceGuid;
    ULONG Ipv4InterfaceIndex;
    ULONG Ipv6InterfaceIndex;
    DnsServerList Ipv4Servers;
    DnsServerList Ipv6Servers;
    NameServerState Ipv4State; // how each list was read; ServersRead in a saved row
    NameServerState Ipv6State;
    DohList Ipv4Doh; // read only where the DNS client takes DNS-over-HTTPS settings
    DohList Ipv6Doh;
};

// One family of an adapter: its interface index (0 when the family is not bound), its servers and how
// they were read.
struct FamilyView {
    ULONG InterfaceIndex;
    const wchar_t* Servers;
    NameServerState State;
    const wchar_t* Doh;
};

FamilyView Family(const AdapterRecord& adapter, IpFamily family);

// Which adapters that can carry DNS servers a pass lists.
enum AdapterFilter {
    AllAdapters,
    OperationalAdapters,
    OperationalOrFilteredAdapters, // up, or with a filtered family
    OwnConnectionsUp,              // up, and one of the machine's own connections
};

// Fills records in the platform's order and returns how many. listIsWhole, when given, tells whether
// that is every adapter the filter keeps: false when the platform's list could not be read or when
// more adapters qualified than the records hold.
int EnumerateAdapters(AdapterRecord* records, int capacity, AdapterFilter filter, bool* listIsWhole = nullptr);

// Reads both families' servers, and how they were read, of the interface the record names.
void ReadCurrentServers(AdapterRecord* record);

// The first adapter whose name is this one, in any ASCII case, as the registry finds keys; -1 for none.
int FindAdapter(const AdapterRecord* adapters, int count, const wchar_t* name);

// A family is filtered when it is bound (its interface index is not 0) and its list is the filter's.
bool FamilyIsFiltered(const AdapterRecord& adapter, IpFamily family);

enum FilteringMode { FilteringOff, FilteringOn };
// On when a family of an adapter that is up, or of one that went down since, is filtered.
FilteringMode DetectFilteringMode();

// Replaceable because Wine presents only the host's interfaces: no adapter of every type and state, and
// no failure of the query, on demand. The interface table gives each adapter's GUID.
extern decltype(&GetAdaptersAddresses) GetAdaptersAddressesProc;
extern decltype(&GetIfTable2) GetIfTable2Proc;
