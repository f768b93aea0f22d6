// Adapter inventory: the network adapters that can carry DNS servers, and whether filtering mode is on.
#include "dns/adapter_inventory.h"

#include "dns/own_connections.h"

decltype(&GetAdaptersAddresses) GetAdaptersAddressesProc = GetAdaptersAddresses;
decltype(&GetIfTable2) GetIfTable2Proc = GetIfTable2;

// Addresses and DNS servers are left out: the inventory needs names, indices, type and status only.
static const ULONG AdapterQueryFlags =
    GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
static const ULONG FirstQueryBytes = 15000;
static const int MaxQueryCalls = 3;

// Returns the platform's adapter list in a heap buffer the caller frees, or null.
static IP_ADAPTER_ADDRESSES* QueryAdapterList()
{
    HANDLE heap = GetProcessHeap();
    ULONG size = FirstQueryBytes;
    IP_ADAPTER_ADDRESSES* list = nullptr;
    ULONG result;
    int calls = 0;
    do {
        if (list)
            HeapFree(heap, 0, list);
        list = static_cast<IP_ADAPTER_ADDRESSES*>(HeapAlloc(heap, 0, size));
        if (!list)
            return nullptr;
        result = GetAdaptersAddressesProc(AF_UNSPEC, AdapterQueryFlags, nullptr, list, &size);
        ++calls;
    } while (result == ERROR_BUFFER_OVERFLOW && calls < MaxQueryCalls);

    if (result != ERROR_SUCCESS) {
        HeapFree(heap, 0, list);
        return nullptr;
    }
    return list;
}

// Every interface of the machine, with its GUID; null when the table cannot be read. FreeMibTable frees it.
static MIB_IF_TABLE2* QueryInterfaceTable()
{
    MIB_IF_TABLE2* table = nullptr;
    return GetIfTable2Proc(&table) == NO_ERROR ? table : nullptr;
}

static const MIB_IF_ROW2* FindInterface(const MIB_IF_TABLE2* table, NET_LUID luid)
{
    for (ULONG i = 0; table && i < table->NumEntries; ++i) {
        if (table->Table[i].InterfaceLuid.Value == luid.Value)
            return &table->Table[i];
    }
    return nullptr;
}

// The filter of the pass decides on what the facts say the adapter is, and on whether it is up.
static bool Qualifies(const IP_ADAPTER_ADDRESSES* adapter, const ConnectionFacts& facts, AdapterFilter filter)
{
    if (!CanCarryDnsServers(facts) || (filter == OwnConnectionsUp && !IsOwnConnection(facts)))
        return false;
    return filter == AllAdapters || filter == OperationalOrFilteredAdapters || adapter->OperStatus == IfOperStatusUp;
}

// An adapter that is down passes the filter of the switch-off only with a filtered family, which shows
// once its servers are read.
static bool KeepsRecord(const IP_ADAPTER_ADDRESSES* adapter, const AdapterRecord& record, AdapterFilter filter)
{
    return filter != OperationalOrFilteredAdapters || adapter->OperStatus == IfOperStatusUp ||
           FamilyIsFiltered(record, Ipv4Family) || FamilyIsFiltered(record, Ipv6Family);
}

// Returns false for an adapter whose name does not fit: a cut name would address another registry key.
// An interface the table does not list keeps a zero GUID: the netsh path needs none.
static bool FillRecord(const IP_ADAPTER_ADDRESSES* adapter, const MIB_IF_ROW2* interfaceRow, AdapterRecord* record)
{
    wchar_t name[AdapterNameUnits] = {}; // copied whole: nothing of the stack may follow the name
    if (MultiByteToWideChar(CP_ACP, 0, adapter->AdapterName, -1, name, AdapterNameUnits) == 0)
        return false;

    ZeroMemory(record, sizeof(*record));
    CopyMemory(record->Name, name, sizeof(name));
    record->Ipv4InterfaceIndex = adapter->IfIndex;
    record->Ipv6InterfaceIndex = adapter->Ipv6IfIndex;
    ReadCurrentServers(record);
    if (interfaceRow)
        record->InterfaceGuid = interfaceRow->InterfaceGuid;
    return true;
}

int EnumerateAdapters(AdapterRecord* records, int capacity, AdapterFilter filter, bool* listIsWhole)
{
    if (listIsWhole)
        *listIsWhole = false;
    IP_ADAPTER_ADDRESSES* list = QueryAdapterList();
    if (!list)
        return 0;
    MIB_IF_TABLE2* interfaces = QueryInterfaceTable();

    // Once the records are full, one more qualifying adapter tells that the list was cut; that is only
    // looked for when the caller asks.
    bool whole = true;
    int filled = 0;
    AdapterRecord candidate;
    for (const IP_ADAPTER_ADDRESSES* adapter = list; adapter && whole; adapter = adapter->Next) {
        if (filled == capacity && !listIsWhole)
            break;
        if (!adapter->AdapterName || (adapter->IfIndex == 0 && adapter->Ipv6IfIndex == 0))
            continue;
        const MIB_IF_ROW2* row = FindInterface(interfaces, adapter->Luid);
        if (!Qualifies(adapter, GatherConnectionFacts(adapter, row, list, interfaces), filter) ||
            !FillRecord(adapter, row, &candidate) || !KeepsRecord(adapter, candidate, filter))
            continue;
        if (filled == capacity)
            whole = false;
        else
            records[filled++] = candidate;
    }
    HeapFree(GetProcessHeap(), 0, list);
    if (interfaces)
        FreeMibTable(interfaces);
    if (listIsWhole)
        *listIsWhole = whole;
    return filled;
}

void ReadCurrentServers(AdapterRecord* record)
{
    record->Ipv4State = ReadInterfaceNameServers(Ipv4Family, record->Name, record->Ipv4Servers);
    record->Ipv6State = ReadInterfaceNameServers(Ipv6Family, record->Name, record->Ipv6Servers);
}

int FindAdapter(const AdapterRecord* adapters, int count, const wchar_t* name)
{
    for (int i = 0; i < count; ++i) {
        if (EqualIgnoringAsciiCase(adapters[i].Name, name))
            return i;
    }
    return -1;
}

FamilyView Family(const AdapterRecord& adapter, IpFamily family)
{
    if (family == Ipv4Family)
        return {adapter.Ipv4InterfaceIndex, adapter.Ipv4Servers, adapter.Ipv4State, adapter.Ipv4Doh};
    return {adapter.Ipv6InterfaceIndex, adapter.Ipv6Servers, adapter.Ipv6State, adapter.Ipv6Doh};
}

bool FamilyIsFiltered(const AdapterRecord& adapter, IpFamily family)
{
    FamilyView view = Family(adapter, family);
    return view.InterfaceIndex != 0 && IsFilterList(view.Servers);
}

FilteringMode DetectFilteringMode()
{
    // In airplane mode, or with the lid just opened, the filtered connection is down, and still filtered.
    AdapterRecord adapters[MaxAdapters];
    int count = EnumerateAdapters(adapters, MaxAdapters, OperationalOrFilteredAdapters);
    for (int i = 0; i < count; ++i) {
        if (FamilyIsFiltered(adapters[i], Ipv4Family) || FamilyIsFiltered(adapters[i], Ipv6Family))
            return FilteringOn;
    }
    return FilteringOff;
}
