// DNS server lists: the filter resolver's addresses, and a family's static servers as the registry holds them.
#include "dns/server_list.h"

#include <strsafe.h>

// From ntdll (ip2string.h in the Windows SDK); declared here where the headers at hand lack them.
extern "C" {
LONG NTAPI RtlIpv4StringToAddressW(const wchar_t* text, BOOLEAN strict, const wchar_t** terminator, void* address);
LONG NTAPI RtlIpv6StringToAddressW(const wchar_t* text, const wchar_t** terminator, void* address);
}

// AdGuard DNS, default servers: free, no account, blocks advertising and tracking domains. The lists
// that filtering applies are the table's addresses of each family joined, in their order of preference.
#define FILTER_IPV4_FIRST L"94.140.14.14"
#define FILTER_IPV4_SECOND L"94.140.15.15"
#define FILTER_IPV6_FIRST L"2a10:50c0::ad1:ff"
#define FILTER_IPV6_SECOND L"2a10:50c0::ad2:ff"
const wchar_t* const FilterResolverAddresses[4] = {FILTER_IPV4_FIRST, FILTER_IPV4_SECOND, FILTER_IPV6_FIRST,
                                                   FILTER_IPV6_SECOND};
const wchar_t FilterServerListIpv4[] = FILTER_IPV4_FIRST L"," FILTER_IPV4_SECOND;
const wchar_t FilterServerListIpv6[] = FILTER_IPV6_FIRST L"," FILTER_IPV6_SECOND;

// Windows knows no DNS-over-HTTPS template for the filter's addresses: each server is given it. Flags 2
// enable encryption alone, 6 let a network that blocks it still resolve, in plain text.
#define FILTER_DOH_TEMPLATE L"https://dns.adguard-dns.com/dns-query"
#define FILTER_DOH(first, second, flags) \
    first L" " flags L" " FILTER_DOH_TEMPLATE L"," second L" " flags L" " FILTER_DOH_TEMPLATE
static const wchar_t* const FilterDohLists[2][2] = {
    {FILTER_DOH(FILTER_IPV4_FIRST, FILTER_IPV4_SECOND, L"6"), FILTER_DOH(FILTER_IPV4_FIRST, FILTER_IPV4_SECOND, L"2")},
    {FILTER_DOH(FILTER_IPV6_FIRST, FILTER_IPV6_SECOND, L"6"), FILTER_DOH(FILTER_IPV6_FIRST, FILTER_IPV6_SECOND, L"2")},
};

const wchar_t* FilterDohList(IpFamily family, DohChoice choice)
{
    return choice == NoDoh ? nullptr : FilterDohLists[family == Ipv4Family ? 0 : 1][choice == DohOnly ? 1 : 0];
}

// A cut path would name another interface's key.
bool FormatInterfaceKeyPath(IpFamily family, const wchar_t* adapterName, wchar_t* path, int units)
{
    return SUCCEEDED(StringCchPrintfW(path, units,
                                      L"SYSTEM\\CurrentControlSet\\Services\\%ls\\Parameters\\Interfaces\\%ls",
                                      family == Ipv4Family ? L"Tcpip" : L"Tcpip6", adapterName));
}

NameServerState ReadInterfaceNameServers(IpFamily family, const wchar_t* adapterName, wchar_t* out)
{
    out[0] = L'\0';

    wchar_t keyPath[InterfaceKeyPathUnits];
    if (!FormatInterfaceKeyPath(family, adapterName, keyPath, ARRAYSIZE(keyPath)))
        return ServersUnreadable;

    HKEY key;
    LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND ? NoInterfaceKey : ServersUnreadable;
    DWORD bytes = DnsServerListUnits * sizeof(wchar_t);
    LSTATUS result = RegGetValueW(key, nullptr, L"NameServer", RRF_RT_REG_SZ, nullptr, out, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        out[0] = L'\0';
        return result == ERROR_FILE_NOT_FOUND ? ServersRead : ServersUnreadable;
    }
    NormalizeServerList(out);
    return ServersRead;
}

static bool IsListSeparator(wchar_t c)
{
    return c == L' ' || c == L',' || c == L';';
}

void NormalizeServerList(wchar_t* list)
{
    wchar_t* write = list;
    bool separatorPending = false;
    for (const wchar_t* read = list; *read != L'\0'; ++read) {
        if (IsListSeparator(*read)) {
            separatorPending = write != list;
            continue;
        }
        if (separatorPending) {
            *write++ = L',';
            separatorPending = false;
        }
        *write++ = *read;
    }
    *write = L'\0';
}

wchar_t* NextListElement(wchar_t** cursor)
{
    wchar_t* start = *cursor;
    while (*start == L',')
        ++start;
    if (*start == L'\0') {
        *cursor = start;
        return nullptr;
    }
    wchar_t* end = start;
    while (*end != L'\0' && *end != L',')
        ++end;
    if (*end == L',')
        *end++ = L'\0';
    *cursor = end;
    return start;
}

static wchar_t AsciiLower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualIgnoringAsciiCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b))
            return false;
    }
    return *a == *b;
}

struct ParsedAddress {
    bool Ipv6;
    BYTE Bytes[16];
};

// An element counts only when the system's own parser takes the whole of it as one address.
static bool ParseAddress(const wchar_t* element, ParsedAddress* address)
{
    ZeroMemory(address, sizeof(*address));
    const wchar_t* end = nullptr;
    if (RtlIpv4StringToAddressW(element, TRUE, &end, address->Bytes) == 0 && *end == L'\0')
        return true;
    address->Ipv6 = true;
    return RtlIpv6StringToAddressW(element, &end, address->Bytes) == 0 && *end == L'\0';
}

static bool IsAddressLiteral(const wchar_t* element)
{
    ParsedAddress address;
    return ParseAddress(element, &address);
}

static bool SameAddress(const wchar_t* a, const wchar_t* b)
{
    ParsedAddress first, second;
    return ParseAddress(a, &first) && ParseAddress(b, &second) && first.Ipv6 == second.Ipv6 &&
           memcmp(first.Bytes, second.Bytes, sizeof(first.Bytes)) == 0;
}

static bool IsFilterAddress(const wchar_t* element)
{
    for (const wchar_t* address : FilterResolverAddresses) {
        if (SameAddress(element, address))
            return true;
    }
    return false;
}

bool IsFilterList(const wchar_t* list)
{
    DnsServerList addresses;
    KeepAddressLiterals(list, addresses);
    wchar_t* cursor = addresses;
    int count = 0;
    for (wchar_t* element = NextListElement(&cursor); element; element = NextListElement(&cursor), ++count) {
        if (!IsFilterAddress(element))
            return false;
    }
    return count > 0;
}

static bool SameAddresses(const wchar_t* a, const wchar_t* b)
{
    DnsServerList first, second;
    // A list always fits; a longer text is judged by its first 255 units.
    StringCchCopyW(first, ARRAYSIZE(first), a);
    StringCchCopyW(second, ARRAYSIZE(second), b);
    wchar_t *firstCursor = first, *secondCursor = second;
    for (;;) {
        wchar_t* firstElement = NextListElement(&firstCursor);
        wchar_t* secondElement = NextListElement(&secondCursor);
        if (!firstElement || !secondElement)
            return !firstElement && !secondElement;
        if (!SameAddress(firstElement, secondElement))
            return false;
    }
}

bool ReadsBackAs(NameServerState state, const wchar_t* readBack, const wchar_t* list)
{
    return state != ServersUnreadable && SameAddresses(readBack, list);
}

void KeepAddressLiterals(const wchar_t* list, wchar_t* out)
{
    // A saved list may have been written by hand, as Windows itself writes lists: with blanks or
    // semicolons between the addresses, which must not be dropped with them.
    DnsServerList copy;
    StringCchCopyW(copy, ARRAYSIZE(copy), list);
    NormalizeServerList(copy);
    out[0] = L'\0';

    wchar_t* cursor = copy;
    for (wchar_t* element = NextListElement(&cursor); element; element = NextListElement(&cursor)) {
        if (!IsAddressLiteral(element))
            continue;
        if (out[0] != L'\0')
            StringCchCatW(out, DnsServerListUnits, L",");
        StringCchCatW(out, DnsServerListUnits, element);
    }
}
