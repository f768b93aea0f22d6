// DNS server lists: the filter resolver's addresses, and a family's static servers as the registry holds them.
#pragma once

#include <windows.h>

// A server list is UTF-16 addresses separated by single commas; the empty list means automatic servers.
const int DnsServerListUnits = 256;
typedef wchar_t DnsServerList[DnsServerListUnits];

enum IpFamily { Ipv4Family, Ipv6Family };

// A family's DNS-over-HTTPS settings by server: "address flags template" for each server that has them,
// joined by commas, flags in hexadecimal; the template with "%", ",", "|", blanks and control characters
// written as %XX. Empty for none.
const int DohListUnits = 512;
typedef wchar_t DohList[DohListUnits];

// How a family's servers are encrypted: not at all where the DNS client takes no such settings or a
// policy prohibits them; else with a fall-back to plain DNS, unless a policy requires encryption.
enum DohChoice { NoDoh, DohWithFallback, DohOnly };

extern const wchar_t* const FilterResolverAddresses[4];
extern const wchar_t FilterServerListIpv4[];
extern const wchar_t FilterServerListIpv6[];
// The filter's DNS-over-HTTPS settings for a family's list, as a DohList; null for NoDoh.
const wchar_t* FilterDohList(IpFamily family, DohChoice choice);

// What reading a family's NameServer value found. A value that is missing or empty means automatic
// servers; one of another type, or too long, holds servers that cannot be known, which nothing may
// then save, change or give back. ServersRead is 0, as in a cleared record.
enum NameServerState { ServersRead, ServersUnreadable, NoInterfaceKey };

// The interface's key under HKEY_LOCAL_MACHINE, named by the adapter, for the family; false when the
// name does not fit.
const int InterfaceKeyPathUnits = 200;
bool FormatInterfaceKeyPath(IpFamily family, const wchar_t* adapterName, wchar_t* path, int units);

// out always holds a terminated list, empty unless the value was read.
NameServerState ReadInterfaceNameServers(IpFamily family, const wchar_t* adapterName, wchar_t* out);
void NormalizeServerList(wchar_t* list);

// Whether a list is the filter's: it holds at least one address, and every address in it is one of the
// filter's four. Any other list is the user's own, also one that mixes the filter's addresses with theirs.
bool IsFilterList(const wchar_t* list);

// Whether a family's servers, read with that outcome, are the very addresses of a list, in its order,
// however each is written: Windows may store an IPv6 address in another form than the one it was given.
bool ReadsBackAs(NameServerState state, const wchar_t* readBack, const wchar_t* list);

// Copies into out the elements of a list, normalised first, that are IPv4 or IPv6 address literals, in
// their order, joined by single commas. Anything else (a word, "=", a quote, a control character, a
// zone) is dropped.
void KeepAddressLiterals(const wchar_t* list, wchar_t* out);

// Cuts the next comma-separated element out of a list being split in place and advances the cursor
// past it; empty fields are skipped. Returns null when no element is left.
wchar_t* NextListElement(wchar_t** cursor);

bool EqualIgnoringAsciiCase(const wchar_t* a, const wchar_t* b);
