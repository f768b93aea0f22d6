// Windows' own dial-up, broadband (PPPoE) and VPN connections, as their phone-book entries describe them.
// rasapi32.dll is loaded on the first call, from the system folder only: only where a PPP interface is met.
#include "dns/dialup_connections.h"

#include <ras.h>

// Connections that are up at once; more than this and the type is not told.
static const int MaxDialUpConnections = 16;

// An entry may carry alternate phone numbers after the entry itself.
union EntryBuffer {
    RASENTRYW Entry;
    BYTE Bytes[sizeof(RASENTRYW) + 4096];
};

// The connection's phone book may be the user's own or the one of all users; the connection names it.
DWORD DialUpEntryType(const wchar_t* connectionName)
{
    if (!connectionName)
        return 0;
    RASCONNW connections[MaxDialUpConnections] = {};
    connections[0].dwSize = sizeof(RASCONNW);
    DWORD bytes = sizeof(connections);
    DWORD count = 0;
    if (RasEnumConnectionsW(connections, &bytes, &count) != ERROR_SUCCESS)
        return 0;
    for (DWORD i = 0; i < count && i < MaxDialUpConnections; ++i) {
        if (CompareStringOrdinal(connections[i].szEntryName, -1, connectionName, -1, TRUE) != CSTR_EQUAL)
            continue;
        EntryBuffer buffer = {};
        buffer.Entry.dwSize = sizeof(RASENTRYW);
        DWORD entryBytes = sizeof(buffer);
        if (RasGetEntryPropertiesW(connections[i].szPhonebook, connections[i].szEntryName, &buffer.Entry,
                                   &entryBytes, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        return buffer.Entry.dwType;
    }
    return 0;
}
