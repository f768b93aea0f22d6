// Which adapters are the machine's own connections, judged by what they are rather than the type they
// report: a VPN's virtual adapter reports Ethernet as a network card does.
//
// A network card's driver registers as one that controls a device (NDIS_MINIPORT_ATTRIBUTES_HARDWARE_DEVICE),
// and Windows then sets HardwareInterface: so do the emulated and paravirtual cards of a virtual machine,
// and the USB devices of a tethered phone. The virtual adapters of VPN clients (TAP-Windows, AnyConnect,
// GlobalProtect, FortiClient) and of virtual networks (host-only networks, WSL's and the Default
// Switch's vEthernet) do not. Two connections that are a user's own lack it: a phone tethered over
// Bluetooth, whose adapter sits on the Bluetooth stack and reports the Bluetooth medium, and a Hyper-V
// host's external switch, which takes the card's IP interface away and gives the host a virtual adapter
// with the card's physical address.
#include "dns/own_connections.h"

#include <ras.h>

#include "dns/dialup_connections.h"

// The DNS servers of a tunnel or a VPN belong to it: filtering them breaks the VPN's own names, and a
// VPN that lets DNS reach only its own servers would then block every query. WireGuard's adapter is of
// the proprietary virtual type. Windows' own VPN, broadband (PPPoE) and dial-up connections are all
// PPP, and for broadband and dial-up users that is the internet connection itself; a PPP connection
// whose kind cannot be told is left alone.
static bool IsTunnelOrVpn(IFTYPE type, DWORD dialUpEntryType)
{
    if (type == IF_TYPE_PPP)
        return dialUpEntryType != RASET_Broadband && dialUpEntryType != RASET_Phone;
    return type == IF_TYPE_TUNNEL || type == IF_TYPE_PROP_VIRTUAL;
}

bool CanCarryDnsServers(const ConnectionFacts& facts)
{
    return facts.Type != IF_TYPE_SOFTWARE_LOOPBACK && !IsTunnelOrVpn(facts.Type, facts.DialUpEntryType);
}

// A PPP connection is judged by its phone-book entry alone; an adapter the interface table cannot tell
// about is judged as every adapter was before the table was read.
bool IsOwnConnection(const ConnectionFacts& facts)
{
    if (!CanCarryDnsServers(facts))
        return false;
    if (facts.Type == IF_TYPE_PPP || !facts.InTable)
        return true;
    if (facts.Hardware)
        return !facts.EndPoint;
    return facts.Bluetooth || facts.TakesOverIdleCard;
}

static bool HasIpInterface(const IP_ADAPTER_ADDRESSES* list, NET_LUID luid)
{
    for (const IP_ADAPTER_ADDRESSES* adapter = list; adapter; adapter = adapter->Next) {
        if (adapter->Luid.Value == luid.Value)
            return adapter->IfIndex != 0 || adapter->Ipv6IfIndex != 0;
    }
    return false;
}

// A card's filter drivers show as interfaces of their own with the card's physical address; only the
// card itself counts.
static bool TakesOverIdleCard(const MIB_IF_ROW2& row, const IP_ADAPTER_ADDRESSES* list, const MIB_IF_TABLE2* table)
{
    if (row.PhysicalAddressLength == 0)
        return false;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IF_ROW2& card = table->Table[i];
        if (card.InterfaceAndOperStatusFlags.HardwareInterface && !card.InterfaceAndOperStatusFlags.FilterInterface &&
            card.PhysicalAddressLength == row.PhysicalAddressLength &&
            memcmp(card.PhysicalAddress, row.PhysicalAddress, row.PhysicalAddressLength) == 0 &&
            !HasIpInterface(list, card.InterfaceLuid))
            return true;
    }
    return false;
}

// A PPP interface's friendly name is its connection's phone-book entry; the phone book is read only then.
ConnectionFacts GatherConnectionFacts(const IP_ADAPTER_ADDRESSES* adapter, const MIB_IF_ROW2* row,
                                      const IP_ADAPTER_ADDRESSES* list, const MIB_IF_TABLE2* table)
{
    ConnectionFacts facts = {};
    facts.Type = adapter->IfType;
    facts.DialUpEntryType = adapter->IfType == IF_TYPE_PPP ? DialUpEntryType(adapter->FriendlyName) : 0;
    if (!row)
        return facts;
    facts.InTable = true;
    facts.Hardware = row->InterfaceAndOperStatusFlags.HardwareInterface;
    facts.EndPoint = row->InterfaceAndOperStatusFlags.EndPointInterface;
    facts.Bluetooth = row->PhysicalMediumType == NdisPhysicalMediumBluetooth;
    facts.TakesOverIdleCard = !facts.Hardware && TakesOverIdleCard(*row, list, table);
    return facts;
}
