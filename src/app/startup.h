// Start-up: the elevation check and relaunch, and the process-wide paths the DNS code needs.
#pragma once

#include <windows.h>
#include <shellapi.h>

void RestrictDllSearchToSystemFolder();
bool IsProcessElevated();
int RelaunchElevated(const wchar_t* parameters);
void InitializePaths();

// The shell's start call, replaceable because a test must not start a second program.
typedef BOOL WINAPI ShellExecuteExFn(SHELLEXECUTEINFOW* info);
extern ShellExecuteExFn* ShellExecuteExProc;

// The shared Windows folder, replaceable because under Wine it is the only Windows folder there is.
typedef UINT WINAPI GetSystemWindowsDirectoryFn(LPWSTR buffer, UINT units);
extern GetSystemWindowsDirectoryFn* GetSystemWindowsDirectoryProc;
