// Start-up without administrator rights: the relaunch as administrator, or the hand-off to a copy that
// already runs.
#pragma once

#include <windows.h>
#include <shellapi.h>

void RestrictDllSearchToSystemFolder();
int RelaunchElevated(const wchar_t* parameters);
// A copy without administrator rights: the running copy comes forward, or else an elevated copy is
// started, with a warning when it could not be.
void StartWithoutRights(const wchar_t* commandLine);

// Replaceable because Wine ignores the "runas" verb, and a test must not start a second program.
extern decltype(&ShellExecuteExW) ShellExecuteExProc;
