// Adapter lists that a test defines, presented through the inventory's IP Helper seams in place of the
// machine's own adapters.
#include "support/fake_adapters.h"

#include <stdio.h>
#include <string.h>

#include <initializer_list>
#include <map>

#include "support/registry.h"

static const FakeAdapter* PresentedAdapters;
static int PresentedCount;

int FakeQueryCalls;
ULONG FakeQuerySizes[8];
int FakeOverflowAnswers;
ULONG FakeQueryError;
ULONG UnlistedInterfaceIndex;

static const ULONG NameBytes = 64;

// An adapter's interface is named by its IPv4 index, or else its IPv6 one.
static NET_LUID FakeLuid(const FakeAdapter& fake)
{
    NET_LUID luid;
    luid.Value = fake.IfIndex != 0 ? fake.IfIndex : fake.Ipv6IfIndex;
    return luid;
}

// Lays the list out in the caller's buffer as the platform does: entries first, then the names.
static ULONG WINAPI FakeGetAdaptersAddresses(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES buffer, PULONG size)
{
    if (FakeQueryCalls < 8)
        FakeQuerySizes[FakeQueryCalls] = *size;
    ++FakeQueryCalls;
    if (FakeQueryError != ERROR_SUCCESS)
        return FakeQueryError;

    ULONG needed = PresentedCount * (sizeof(IP_ADAPTER_ADDRESSES) + NameBytes);
    if (FakeOverflowAnswers > 0) { // as when adapters appear between two calls
        --FakeOverflowAnswers;
        *size += 1000;
        return ERROR_BUFFER_OVERFLOW;
    }
    if (PresentedCount == 0)
        return ERROR_NO_DATA;
    if (*size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }

    char* names = reinterpret_cast<char*>(buffer + PresentedCount);
    IP_ADAPTER_ADDRESSES* previous = nullptr;
    int listed = 0;
    for (int i = 0; i < PresentedCount; ++i) {
        const FakeAdapter& fake = PresentedAdapters[i];
        if (fake.Interface == IdleCard)
            continue;
        IP_ADAPTER_ADDRESSES* entry = &buffer[listed++];
        memset(entry, 0, sizeof(*entry));
        entry->Length = sizeof(*entry);
        entry->IfIndex = fake.IfIndex;
        entry->Ipv6IfIndex = fake.Ipv6IfIndex;
        entry->OperStatus = fake.OperStatus;
        entry->IfType = fake.IfType;
        entry->Luid = FakeLuid(fake);
        entry->FriendlyName = const_cast<PWCHAR>(L"Conexión de banda ancha"); // no connection has it here
        if (previous)
            previous->Next = entry;
        previous = entry;
        if (fake.Name) {
            char* name = names + i * NameBytes;
            strncpy(name, fake.Name, NameBytes - 1);
            name[NameBytes - 1] = '\0';
            entry->AdapterName = name;
        }
    }
    return listed > 0 ? ERROR_SUCCESS : ERROR_NO_DATA;
}

const char* TestAdapterName(int n)
{
    static std::map<int, std::string> names;
    std::string& name = names[n];
    if (name.empty()) {
        char text[40];
        snprintf(text, sizeof(text), "{7E57%04X-5E7E-4C15-9D00-00000000%04X}", n, n);
        name = text;
    }
    return name.c_str();
}

std::wstring Wide(const char* name)
{
    wchar_t wide[256];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, ARRAYSIZE(wide));
    return wide;
}

FakeAdapter TestAdapter(int n, IF_OPER_STATUS status)
{
    return {TestAdapterName(n), static_cast<ULONG>(n), static_cast<ULONG>(1000 + n), status, Ethernet};
}

GUID FakeInterfaceGuid(ULONG index)
{
    GUID guid = {0x7E570000u + index, 0x4E75, 0x626C, {0x61, 0x72, 0x6F, 0, 0, 0, 0, 1}};
    return guid;
}

const FakeAdapter* FakeAdapterByGuid(const GUID& guid)
{
    for (int i = 0; i < PresentedCount; ++i) {
        const FakeAdapter& fake = PresentedAdapters[i];
        ULONG index = fake.IfIndex != 0 ? fake.IfIndex : fake.Ipv6IfIndex;
        if (IsEqualGUID(guid, FakeInterfaceGuid(index)))
            return &fake;
    }
    return nullptr;
}

// Allocated as Wine's own interface table is, so that the program frees it with FreeMibTable.
static NETIO_STATUS WINAPI FakeGetIfTable2(PMIB_IF_TABLE2* table)
{
    size_t bytes = sizeof(MIB_IF_TABLE2) + PresentedCount * sizeof(MIB_IF_ROW2);
    *table = static_cast<MIB_IF_TABLE2*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
    for (int i = 0; i < PresentedCount; ++i) {
        const FakeAdapter& fake = PresentedAdapters[i];
        NET_LUID luid = FakeLuid(fake);
        if (luid.Value == UnlistedInterfaceIndex)
            continue;
        MIB_IF_ROW2& row = (*table)->Table[(*table)->NumEntries++];
        row.InterfaceLuid = luid;
        row.InterfaceIndex = static_cast<NET_IFINDEX>(luid.Value);
        row.InterfaceGuid = FakeInterfaceGuid(static_cast<ULONG>(luid.Value));
        row.Type = fake.IfType;
        row.InterfaceAndOperStatusFlags.HardwareInterface =
            fake.Interface == NetworkCard || fake.Interface == EndPointDevice || fake.Interface == IdleCard;
        row.InterfaceAndOperStatusFlags.EndPointInterface = fake.Interface == EndPointDevice;
        row.PhysicalMediumType = fake.Interface == BluetoothAdapter ? NdisPhysicalMediumBluetooth
                                                                    : NdisPhysicalMedium802_3;
        row.PhysicalAddressLength = 6;
        BYTE address[6] = {0x02, 0x7E, 0x57, 0, static_cast<BYTE>(luid.Value >> 8), static_cast<BYTE>(luid.Value)};
        if (fake.Card != 0)
            address[3] = 0xCA, address[4] = 0, address[5] = fake.Card;
        memcpy(row.PhysicalAddress, address, sizeof(address));
    }
    return NO_ERROR;
}

// The stand-in netsh finds these adapters' registry keys by their interface indices here.
static void MapInterfacesForNetsh(const FakeAdapter* adapters, int count)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\NetshStandIn\\Interfaces");
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\NetshStandIn\\Interfaces", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < count; ++i) {
        if (!adapters[i].Name)
            continue;
        std::wstring name = Wide(adapters[i].Name);
        for (ULONG index : {adapters[i].IfIndex, adapters[i].Ipv6IfIndex}) {
            if (index == 0)
                continue;
            wchar_t valueName[16];
            swprintf(valueName, 16, L"%lu", index);
            RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                           static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        }
    }
    RegCloseKey(key);
}

void PresentNewAdapters(const FakeAdapter* adapters, int count)
{
    for (int i = 0; i < count; ++i) {
        if (adapters[i].Name)
            DeleteInterfaceKeys(adapters[i].Name);
    }
    PresentFakeAdapters(adapters, count);
}

void PresentFakeAdapters(const FakeAdapter* adapters, int count)
{
    MapInterfacesForNetsh(adapters, count);
    PresentedAdapters = adapters;
    PresentedCount = count;
    FakeQueryCalls = 0;
    memset(FakeQuerySizes, 0, sizeof(FakeQuerySizes));
    FakeOverflowAnswers = 0;
    FakeQueryError = ERROR_SUCCESS;
    UnlistedInterfaceIndex = 0;
    GetAdaptersAddressesProc = FakeGetAdaptersAddresses;
    GetIfTable2Proc = FakeGetIfTable2;
}
