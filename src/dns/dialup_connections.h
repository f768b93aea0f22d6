// Windows' own dial-up, broadband (PPPoE) and VPN connections, as their phone-book entries describe them.
#pragma once

#include <windows.h>

// The type of the phone-book entry of the connected dial-up connection of that name (RASET_Phone,
// RASET_Vpn, RASET_Broadband and so on), or 0 when it cannot be told.
DWORD DialUpEntryType(const wchar_t* connectionName);
