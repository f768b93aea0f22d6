// The netsh script: the fallback commands of one switching pass, run once by one hidden netsh at its end.
#pragma once

#include "dns/server_list.h"

// The system's netsh.exe, and the shared Windows folder's Temp, where scripts are made; start-up fills
// them, each empty without the Windows folder, so that nothing is run from elsewhere.
extern wchar_t NetshPath[MAX_PATH];
extern wchar_t ScriptFolder[MAX_PATH];

// One family of one interface that the system call did not change, and the list it is to get.
struct NetshChange {
    ULONG InterfaceIndex;
    IpFamily Family;
    const wchar_t* Servers;
};

// Room for the commands of any one change: a list of 255 units holds at most 85 addresses.
const int NetshCommandsUnits = 8192;

// The script's lines for one change, each ending in CR LF: automatic servers for a list without any
// address literal, else one line per address literal, the first replacing the family's servers.
void FormatNetshCommands(const NetshChange& change, wchar_t* text, int units);

// Writes the changes' commands into one script and runs it with one hidden netsh. Returns whether every
// command ran: true without changes, false when the script could not be made or netsh did not finish.
bool RunNetshScript(const NetshChange* changes, int count);
