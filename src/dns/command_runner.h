// Running system programs without a window under a time-out, and clearing the DNS client's cache.
#pragma once

#include <windows.h>

// The system's ipconfig.exe, which start-up fills; empty without the Windows folder.
extern wchar_t IpconfigPath[MAX_PATH];

// Returns whether the command ran to its end within the time-out.
bool RunHiddenCommand(const wchar_t* commandLine, DWORD timeoutMs);
void FlushResolverCache();

// Replaceable because Wine's DnsFlushResolverCache is a stub: tests offer a DNS client of their own.
extern decltype(&LoadLibraryExW) LoadLibraryExProc;
