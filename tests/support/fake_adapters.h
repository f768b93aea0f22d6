// Adapter lists that a test defines, presented through the inventory's IP Helper seams in place of the
// machine's own adapters.
#pragma once

#include "dns/adapter_inventory.h"

struct FakeAdapter {
    const char* Name; // null for an entry without a name
    ULONG IfIndex;
    ULONG Ipv6IfIndex;
    IF_OPER_STATUS OperStatus;
    IFTYPE IfType;
};

const IFTYPE Ethernet = IF_TYPE_ETHERNET_CSMACD;

// Presents these adapters until PresentMachineAdapters; the array must outlive the presentation.
void PresentFakeAdapters(const FakeAdapter* adapters, int count);
void PresentMachineAdapters();

// How the fake adapter list answers, reset by PresentFakeAdapters.
extern int FakeQueryCalls;
extern ULONG FakeQuerySizes[8];        // the buffer size each call was given
extern int FakeOverflowAnswers;        // calls that answer "buffer too small" before the list is given
extern ULONG FakeQueryError;           // answered instead of the list when not ERROR_SUCCESS
extern ULONG FailingConversionIndex;   // an interface index whose LUID cannot be found

GUID FakeInterfaceGuid(ULONG index);
const FakeAdapter* FakeAdapterByGuid(const GUID& guid);
