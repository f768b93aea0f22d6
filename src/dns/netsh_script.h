// The netsh script: the fallback commands of one switching pass, run once by one hidden netsh at its end.
#pragma once

#include "dns/server_list.h"

// The system's netsh.exe, and the shared Windows folder's Temp, where scripts are made; start-up fills
// them, each empty without the Windows folder, so that nothing is run from elsewhere.
extern wchar_t NetshPath[MAX_PATH];
extern wchar_t ScriptFolder[MAX_PATH];

void AppendNetshCommands(ULONG interfaceIndex, IpFamily family, const wchar_t* list);
void WriteScriptLine(const wchar_t* format, ...);
// Returns whether every pending command was run: true without a script, false when the script could
// not be run or netsh did not finish.
bool RunNetshScript();

// The pending script, open while a pass has fallen back at least once; null otherwise.
extern HANDLE ScriptFile;
extern wchar_t ScriptPath[MAX_PATH];
