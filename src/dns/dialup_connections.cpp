// Windows' own dial-up, broadband (PPPoE) and VPN connections, as their phone-book entries describe them.
#include "dns/dialup_connections.h"

#include <ras.h>

// Connections that are up at once; more than this and the type is not told.
static const int MaxDialUpConnections = 16;

// An entry may carry alternate phone numbers after the entry itself.
union EntryBuffer {
    RASENTRYW Entry;
    BYTE Bytes[sizeof(RASENTRYW) + 4096];
};

struct RasCalls {
    decltype(&RasEnumConnectionsW) EnumConnections;
    decltype(&RasGetEntryPropertiesW) GetEntryProperties;
};

// The connection's phone book may be the user's own or the one of all users; the connection names it.
static DWORD EntryTypeOfConnection(const RasCalls& ras, const wchar_t* connectionName)
{
    RASCONNW connections[MaxDialUpConnections] = {};
    connections[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = sizeof(connections);
    DWORD count = 0;
    if (ras.EnumConnections(connections, &bytes, &count) != ERROR_SUCCESS)
        return 0;
    for (DWORD i = 0; i < count && i < MaxDialUpConnections; ++i) {
        if (CompareStringOrdinal(connections[i].szEntryName, -1, connectionName, -1, TRUE) != CSTR_EQUAL)
            continue;
        EntryBuffer buffer = {};
        buffer.Entry.dwSize = sizeof(RASENTRYW);
        DWORD entryBytes = sizeof(buffer);
        if (ras.GetEntryProperties(connections[i].szPhonebook, connections[i].szEntryName, &buffer.Entry,
                                   &entryBytes, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        return buffer.Entry.dwType;
    }
    return 0;
}

// rasapi32.dll is loaded only when a dial-up connection is met, and from the system folder only: it is
// not one of Windows' known DLLs, and the program's own folder may be writable by anyone.
DWORD DialUpEntryType(const wchar_t* connectionName)
{
    if (!connectionName)
        return 0;
    HMODULE library = LoadLibraryExW(L"rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return 0;
    RasCalls ras = {
        reinterpret_cast<decltype(&RasEnumConnectionsW)>(
            reinterpret_cast<void*>(GetProcAddress(library, "RasEnumConnectionsW"))),
        reinterpret_cast<decltype(&RasGetEntryPropertiesW)>(
            reinterpret_cast<void*>(GetProcAddress(library, "RasGetEntryPropertiesW"))),
    };
    DWORD type = ras.EnumConnections && ras.GetEntryProperties ? EntryTypeOfConnection(ras, connectionName) : 0;
    FreeLibrary(library);
    return type;
}
