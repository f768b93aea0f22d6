// Start-up: the elevation check and relaunch, and the process-wide paths the DNS code needs.
#pragma once

#include <windows.h>
#include <shellapi.h>

void RestrictDllSearchToSystemFolder();
bool IsProcessElevated(HANDLE process = GetCurrentProcess());
int RelaunchElevated(const wchar_t* parameters);
// A copy without administrator rights: the running copy comes forward, or else an elevated copy is
// started, with a warning when it could not be.
void StartWithoutRights(const wchar_t* commandLine);
void InitializePaths();

// The token query, replaceable because every process under Wine is elevated.
extern decltype(&OpenProcessToken) OpenProcessTokenProc;

// The shell's start call, replaceable because a test must not start a second program.
typedef BOOL WINAPI ShellExecuteExFn(SHELLEXECUTEINFOW* info);
extern ShellExecuteExFn* ShellExecuteExProc;

// The shared Windows folder, replaceable because under Wine it is the only Windows folder there is.
typedef UINT WINAPI GetSystemWindowsDirectoryFn(LPWSTR buffer, UINT units);
extern GetSystemWindowsDirectoryFn* GetSystemWindowsDirectoryProc;
