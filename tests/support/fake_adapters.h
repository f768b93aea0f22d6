// Adapter lists that a test defines, presented through the inventory's IP Helper seams in place of the
// machine's own adapters: the adapter list, and the interface table that tells each one's GUID.
#pragma once

#include <string>

#include "dns/adapter_inventory.h"

// What the interface table says an adapter's interface is.
enum FakeInterface {
    NetworkCard,      // a hardware interface
    VirtualAdapter,   // no hardware behind it
    EndPointDevice,   // a hardware interface of a device that reaches no network itself
    BluetoothAdapter, // no hardware flag, the Bluetooth medium
    IdleCard,         // a network card without an IP interface: in the interface table only
};

struct FakeAdapter {
    const char* Name; // null for an entry without a name
    ULONG IfIndex;
    ULONG Ipv6IfIndex;
    IF_OPER_STATUS OperStatus;
    IFTYPE IfType;
    FakeInterface Interface = NetworkCard;
    BYTE Card = 0; // adapters with the same number here have the same physical address; 0: one of its own
};

const IFTYPE Ethernet = IF_TYPE_ETHERNET_CSMACD;

// "{7E57nnnn-5E7E-4C15-9D00-00000000nnnn}", n in hexadecimal: a name no real adapter has, the same for
// the same n throughout the test program.
const char* TestAdapterName(int n);
std::wstring Wide(const char* name);

// An Ethernet adapter named TestAdapterName(n), with IPv4 index n and IPv6 index 1000 + n.
FakeAdapter TestAdapter(int n, IF_OPER_STATUS status = IfOperStatusUp);

// Presents these adapters in place of the machine's own, until the test's fixture puts the machine's
// adapter query back; the array must outlive the presentation.
void PresentFakeAdapters(const FakeAdapter* adapters, int count);
// The same for adapters with no DNS settings yet: their interface keys are deleted first.
void PresentNewAdapters(const FakeAdapter* adapters, int count);

// How the fake adapter list answers, reset by PresentFakeAdapters.
extern int FakeQueryCalls;
extern ULONG FakeQuerySizes[8];        // the buffer size each call was given
extern int FakeOverflowAnswers;        // calls that answer "buffer too small" before the list is given
extern ULONG FakeQueryError;           // answered instead of the list when not ERROR_SUCCESS
extern ULONG UnlistedInterfaceIndex;   // an interface, by its index, that the interface table leaves out

GUID FakeInterfaceGuid(ULONG index);
const FakeAdapter* FakeAdapterByGuid(const GUID& guid);
