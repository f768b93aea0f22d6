// Which adapters are the machine's own connections, judged by what they are rather than the type they
// report: a VPN's virtual adapter reports Ethernet as a network card does.
#pragma once

#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

// What the adapter list, the interface table and the phone book tell of one adapter.
struct ConnectionFacts {
    IFTYPE Type;
    DWORD DialUpEntryType;  // the phone-book entry type of a PPP interface's connection; 0 when unknown
    bool InTable;           // the interface table could be read and lists the adapter's interface
    bool Hardware;          // HardwareInterface: its driver controls a device
    bool EndPoint;          // EndPointInterface: a device, such as a phone, that reaches no network itself
    bool Bluetooth;         // its physical medium is Bluetooth
    bool TakesOverIdleCard; // it carries the physical address of a hardware card without an IP interface
};

// Loopback, tunnels and VPNs keep their own DNS servers in every pass.
bool CanCarryDnsServers(const ConnectionFacts& facts);
// Whether a switch-on gives the adapter the filter: it can carry DNS servers and is one of the machine's
// own connections, not a VPN's or a virtual network's.
bool IsOwnConnection(const ConnectionFacts& facts);

// adapter is an entry of list, row its interface's row of table; both null where the table could not be
// read or does not list it.
ConnectionFacts GatherConnectionFacts(const IP_ADAPTER_ADDRESSES* adapter, const MIB_IF_ROW2* row,
                                      const IP_ADAPTER_ADDRESSES* list, const MIB_IF_TABLE2* table);
