// DNS over HTTPS by server, where the DNS client takes it. Windows keeps these settings by interface,
// family and server address; they are read and written through the version-3 settings, whose servers
// are told by their position in the family's list.
#include "dns/doh_settings.h"

#include <stdlib.h>
#include <strsafe.h>

GetInterfaceDnsSettingsFn* GetInterfaceDnsSettingsProc;
FreeInterfaceDnsSettingsFn* FreeInterfaceDnsSettingsProc;

static_assert(DNS_DOH_SERVER_SETTINGS_ENABLE == 0x2 && DNS_DOH_SERVER_SETTINGS_FALLBACK_TO_UDP == 0x4,
              "the filter's lists write 2 and 6");

static bool NeedsEscape(wchar_t c)
{
    return c <= L' ' || c == L'%' || c == L',' || c == L'|';
}

// Appends "address flags template" to the list; false when it does not fit.
static bool AppendEntry(wchar_t* list, const wchar_t* address, ULONG64 flags, const wchar_t* pattern)
{
    size_t length = wcslen(list);
    if (FAILED(StringCchPrintfW(list + length, DohListUnits - length, L"%ls%ls %llx ", length ? L"," : L"", address,
                                flags)))
        return false;
    for (const wchar_t* c = pattern ? pattern : L""; *c; ++c) {
        wchar_t piece[4] = {*c, L'\0'};
        if (NeedsEscape(*c))
            StringCchPrintfW(piece, ARRAYSIZE(piece), L"%%%02X", static_cast<unsigned>(*c));
        if (FAILED(StringCchCatW(list, DohListUnits, piece)))
            return false;
    }
    return true;
}

// The address of the list's server at this position, from 0; false when the list is shorter.
static bool ServerAt(const wchar_t* servers, ULONG position, wchar_t* address)
{
    DnsServerList copy;
    StringCchCopyW(copy, ARRAYSIZE(copy), servers);
    NormalizeServerList(copy);
    wchar_t* cursor = copy;
    wchar_t* element = NextListElement(&cursor);
    for (ULONG i = 0; element && i < position; ++i)
        element = NextListElement(&cursor);
    return element && SUCCEEDED(StringCchCopyW(address, 64, element));
}

// The settings as the DNS client answers them, by server address.
static bool FormatDohList(const DNS_INTERFACE_SETTINGS3& settings, wchar_t* list)
{
    list[0] = L'\0';
    for (ULONG i = 0; i < settings.cServerProperties; ++i) {
        const DNS_SERVER_PROPERTY& property = settings.ServerProperties[i];
        wchar_t address[64];
        if (property.Type != DnsServerDohProperty || !property.Property.DohSettings)
            continue;
        if (!settings.NameServer || !ServerAt(settings.NameServer, property.ServerIndex, address) ||
            !AppendEntry(list, address, property.Property.DohSettings->Flags, property.Property.DohSettings->Template))
            return false;
    }
    return true;
}

enum DohReading { DohNotTaken, DohRead, DohUnreadable };

static DohReading ReadFamily(const GUID& guid, IpFamily family, wchar_t* list)
{
    DNS_INTERFACE_SETTINGS3 settings = {};
    settings.Version = DNS_INTERFACE_SETTINGS_VERSION3;
    settings.Flags = family == Ipv6Family ? DNS_SETTING_IPV6 : 0;
    DWORD result = GetInterfaceDnsSettingsProc(guid, reinterpret_cast<DNS_INTERFACE_SETTINGS*>(&settings));
    if (result == ERROR_INVALID_PARAMETER)
        return DohNotTaken;
    if (result != NO_ERROR)
        return DohUnreadable;
    bool formatted = FormatDohList(settings, list);
    FreeInterfaceDnsSettingsProc(reinterpret_cast<DNS_INTERFACE_SETTINGS*>(&settings));
    return formatted ? DohRead : DohUnreadable;
}

// One bound family's settings into the record; false where version 3 is not taken.
static bool ReadFamilyInto(AdapterRecord& adapter, IpFamily family, wchar_t* doh, NameServerState* state)
{
    if (Family(adapter, family).InterfaceIndex == 0)
        return true;
    DohReading reading = ReadFamily(adapter.InterfaceGuid, family, doh);
    if (reading == DohUnreadable)
        *state = ServersUnreadable;
    return reading != DohNotTaken;
}

bool ReadDohSettings(AdapterRecord* adapters, int count)
{
    if (!GetInterfaceDnsSettingsProc || !FreeInterfaceDnsSettingsProc)
        return false;
    const GUID none = {};
    for (int i = 0; i < count; ++i) {
        AdapterRecord& adapter = adapters[i];
        // Without a GUID the DNS client cannot be asked, and its servers change through netsh alone.
        if (IsEqualGUID(adapter.InterfaceGuid, none))
            continue;
        if (!ReadFamilyInto(adapter, Ipv4Family, adapter.Ipv4Doh, &adapter.Ipv4State) ||
            !ReadFamilyInto(adapter, Ipv6Family, adapter.Ipv6Doh, &adapter.Ipv6State))
            return false;
    }
    return true;
}

// Undoes the template's escapes in place.
static void Unescape(wchar_t* text)
{
    wchar_t* out = text;
    for (wchar_t* in = text; *in; ++out) {
        wchar_t hex[3] = {in[0] == L'%' ? in[1] : L'\0', in[0] == L'%' && in[1] ? in[2] : L'\0', L'\0'};
        wchar_t* end;
        unsigned long value = wcstoul(hex, &end, 16);
        bool escape = in[0] == L'%' && end == hex + 2;
        *out = escape ? static_cast<wchar_t>(value) : *in;
        in += escape ? 3 : 1;
    }
    *out = L'\0';
}

// The position of an address in the list, from 0; -1 when it is not there.
static int PositionOf(const wchar_t* servers, const wchar_t* address)
{
    wchar_t each[64];
    for (ULONG i = 0; ServerAt(servers, i, each); ++i) {
        if (ReadsBackAs(ServersRead, each, address))
            return static_cast<int>(i);
    }
    return -1;
}

// Each entry is "address flags template"; one for a server the list does not hold is left out.
int MakeDohProperties(const wchar_t* doh, const wchar_t* servers, DohProperties* out)
{
    StringCchCopyW(out->Templates, DohListUnits, doh);
    int count = 0;
    wchar_t* cursor = out->Templates;
    for (wchar_t* entry = NextListElement(&cursor); entry && count < 16; entry = NextListElement(&cursor)) {
        wchar_t* flags = wcschr(entry, L' ');
        wchar_t* pattern = flags ? wcschr(flags + 1, L' ') : nullptr;
        if (!pattern)
            continue;
        *flags++ = L'\0';
        *pattern++ = L'\0';
        int position = PositionOf(servers, entry);
        if (position < 0)
            continue;
        Unescape(pattern);
        out->Settings[count].Template = pattern;
        out->Settings[count].Flags = _wcstoui64(flags, nullptr, 16);
        out->Properties[count] = {DNS_SERVER_PROPERTY_VERSION1, static_cast<ULONG>(position), DnsServerDohProperty, {}};
        out->Properties[count].Property.DohSettings = &out->Settings[count];
        ++count;
    }
    return count;
}
